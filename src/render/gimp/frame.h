// The renderer as GIMP sees it: renders the area that the dialog's drawable
// preview shows, or the drawable's selection for good.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

#include "render/gimp/selection_bounds.h"
#include "render/image_view.h"
#include "render/render_settings.h"

struct RenderWorkspace;

// Both renders reflect the drawable `probeId` when it names one (the
// settings' own probe is not read), otherwise they write a normal map.

// A preview render comes in three steps, so that the render itself can run
// off the main thread, the only one that calls libgimp: readPreviewArea on
// the main thread, renderRegion of the job's pixels in place on any thread,
// drawPreviewArea on the main thread.
struct PreviewJob {
    gint x1 = 0, y1 = 0;                   // the area's corner in the drawable
    PixelView<uint8_t> pixels;             // the area as read, then as rendered
    RenderSettings settings;               // with the probe as read
    RenderWorkspace* workspace = nullptr;  // buffers kept from one preview render to the next
};

// Reads the area that the dialog's preview shows, and the probe, into
// memory that the job uses until the next read or ormolo2ForgetPreview;
// false when the area is empty or GIMP gives no pixel format the renderer
// knows.
bool readPreviewArea(GimpDrawable* drawable, GimpPreview* preview, const RenderSettings& settings,
                     gint32 probeId, PreviewJob& job);

// Draws the job's rendered pixels into the preview.
void drawPreviewArea(GimpDrawable* drawable, GimpPreview* preview, const PreviewJob& job);

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
