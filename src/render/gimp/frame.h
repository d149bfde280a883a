// The renderer as GIMP sees it: renders the area that the dialog's drawable
// preview shows, or the drawable's selection for good.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

#include "render/gimp/selection_bounds.h"
#include "render/render_settings.h"

// Both renders reflect the drawable `probeId` when it names one (the
// settings' own probe is not read), otherwise they write a normal map.

// Renders the area that the dialog's preview shows into the preview.
void renderPreviewArea(GimpDrawable* drawable, GimpPreview* preview, const RenderSettings& settings,
                       gint32 probeId);

// The final render over the selection `bounds` of the drawable, telling
// whether the result reached the drawable: null when it did (or the
// selection is empty), otherwise a message with one %d for the drawable's
// ID, and the drawable is unchanged.
const char* renderSelection(GimpDrawable* drawable, const SelectionBounds& bounds,
                            const RenderSettings& settings, gint32 probeId);

// Preview renders keep the probe they read, their pixel buffer and the
// renderer's buffers for the next preview render of the same dialog; this
// lets them go. The final render always reads the probe afresh.
void ormolo2ForgetPreview();
