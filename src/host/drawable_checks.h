// What plug-in-ormolo2 asks of the drawable it renders into, checked before
// anything is read or written, so that a call it cannot carry out leaves the
// image untouched and says why.
#pragma once

#include <libgimp/gimp.h>

// Null when the procedure can render into the drawable; otherwise a message
// for the caller, with one %d for the drawable's ID.
const char* drawableRefusal(gint32 drawableId);

// The corners of the drawable's selection bounds, as gimp_drawable_mask_bounds
// gives them; false when GIMP has none to give, for a drawable that belongs
// to no image.
bool selectionBounds(gint32 drawableId, gint& x1, gint& y1, gint& x2, gint& y2);
