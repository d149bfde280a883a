// The dialog's preview render.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

// Renders the area that `preview` shows with the settings as the dialog's
// controls have left them in bVals; the preview's "invalidated" signal
// calls it.
void ormolo2(GimpDrawable* drawable, GimpPreview* preview);
