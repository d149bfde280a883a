// What plug-in-ormolo2 asks of the drawable it renders into, checked before
// anything is read or written, so that a call it cannot carry out leaves the
// image untouched and says why.
#pragma once

#include <libgimp/gimp.h>

#include "render/gimp/selection_bounds.h"

// Null when the procedure can render into the drawable, with the drawable's
// selection bounds in `bounds`; otherwise a message for the caller, with one
// %d for the drawable's ID.
const char* drawableRefusal(gint32 drawableId, SelectionBounds& bounds);
