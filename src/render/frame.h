// The renderer as GIMP sees it: renders the drawable's selection for good
// (preview null) or the area that a drawable preview shows.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

void ormolo2(GimpDrawable* drawable, GimpPreview* preview);
