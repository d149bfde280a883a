// Whether the dialog has a display to open on. The toolkit ends the process
// when it cannot open its display, so this is asked before it starts.
#pragma once

// The display that GIMP names for the plug-in, or else $DISPLAY, as the
// toolkit would choose it.
bool dialogDisplayOpens();
