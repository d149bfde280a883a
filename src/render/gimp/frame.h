// The renderer as GIMP sees it: renders the drawable's selection for good
// (preview null) or the area that a drawable preview shows.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

void ormolo2(GimpDrawable* drawable, GimpPreview* preview);

// ormolo2(drawable, NULL), telling whether the result reached the drawable:
// null when it did (or the selection is empty), otherwise a message with one
// %d for the drawable's ID, and the drawable is unchanged.
const char* renderSelection(GimpDrawable* drawable);

// Preview renders keep the probe they read, their pixel buffer and the
// renderer's buffers for the next preview render of the same dialog; this
// lets them go. The final render always reads the probe afresh.
void ormolo2ForgetPreview();
