// The one process-wide settings record of the plug-in: the run entry fills
// it, the renderer frame reads it and the dialog edits it.
#pragma once

#include "host/ormolo_vals.h"

extern OrmoloVals bVals;
