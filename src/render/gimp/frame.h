// The renderer as GIMP sees it: renders the area that the dialog's drawable
// preview shows, or the drawable's selection for good.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

#include "render/gimp/selection_bounds.h"

// The preview render, which the preview's "invalidated" signal calls; the
// preview is never null.
void ormolo2(GimpDrawable* drawable, GimpPreview* preview);

// The final render over the selection `bounds` of the drawable, telling
// whether the result reached the drawable: null when it did (or the
// selection is empty), otherwise a message with one %d for the drawable's
// ID, and the drawable is unchanged.
const char* renderSelection(GimpDrawable* drawable, const SelectionBounds& bounds);

// Preview renders keep the probe they read, their pixel buffer and the
// renderer's buffers for the next preview render of the same dialog; this
// lets them go. The final render always reads the probe afresh.
void ormolo2ForgetPreview();
