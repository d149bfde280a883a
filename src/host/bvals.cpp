#include "host/bvals.h"

OrmoloVals bVals = ormoloDefaults;
