// Process entry of the plug-in: GIMP starts this executable and libgimp
// calls back into query and run.
#include <libgimp/gimp.h>

#include "host/registration.h"
#include "host/run.h"

const GimpPlugInInfo PLUG_IN_INFO = {
    nullptr, // init
    nullptr, // quit
    query,
    run,
};

MAIN()
