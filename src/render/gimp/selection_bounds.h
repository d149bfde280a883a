// The render region of a final render: the bounds of the drawable's
// selection, the whole drawable when nothing is selected.
#pragma once

#include <libgimp/gimp.h>

// Corners as gimp_drawable_mask_bounds gives them: (x2, y2) lies one past
// the last column and row.
struct SelectionBounds {
    gint x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// False when GIMP has none to give, for a drawable that belongs to no image.
bool readSelectionBounds(gint32 drawableId, SelectionBounds& bounds);
