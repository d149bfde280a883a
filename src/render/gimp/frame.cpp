#include "render/gimp/frame.h"

#include <cstddef>
#include <vector>

#include <libgimp/gimpui.h>

#include "render/gimp/probe_drawable.h"
#include "render/render.h"
#include "render/render_workspace.h"

namespace {

// What one dialog's preview renders share: the probe, read once (again
// only when another drawable is chosen), and the region's pixel buffer and
// the renderer's buffers, whose pages stay mapped from one preview render to
// the next.
struct PreviewMemory {
    bool probeRead = false;
    gint32 probeId = -1;
    bool reflectsProbe = false;
    ProbeImage probe;
    std::vector<guchar> pixels;
    RenderWorkspace workspace;
};

PreviewMemory previewMemory;

const ProbeImage* previewProbe(gint32 probeId)
{
    if (!previewMemory.probeRead || previewMemory.probeId != probeId) {
        previewMemory.probeRead = true;
        previewMemory.probeId = probeId;
        previewMemory.reflectsProbe = readProbeDrawable(probeId, previewMemory.probe);
    }
    return previewMemory.reflectsProbe ? &previewMemory.probe : nullptr;
}

void forwardToProgressBar(const char* text, double fraction)
{
    if (text)
        gimp_progress_set_text(text);
    gimp_progress_update(fraction);
}

// Reads the area of the drawable into `buffer`; false when GIMP gives no
// pixel format the renderer knows.
bool readArea(GimpDrawable* drawable, gint x1, gint y1, gint width, gint height, std::vector<guchar>& buffer,
              PixelView<uint8_t>& region)
{
    const gint channels = gimp_drawable_bpp(drawable->drawable_id);
    if (channels != 3 && channels != 4)
        return false;
    gimp_tile_cache_ntiles(drawable->width / gimp_tile_width() + 17);
    buffer.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * channels);
    GimpPixelRgn rgnIn;
    gimp_pixel_rgn_init(&rgnIn, drawable, x1, y1, width, height, FALSE, FALSE);
    gimp_pixel_rgn_get_rect(&rgnIn, buffer.data(), x1, y1, width, height);
    region = PixelView<uint8_t>(buffer.data(), width, height, channels);
    return true;
}

// Writes the rendered area into the drawable's shadow tiles and sets up
// `rgnOut` over them. Every row goes back, border rows included: a shadow
// row left unwritten would be merged into the image as black.
void writeArea(GimpDrawable* drawable, gint x1, gint y1, PixelView<uint8_t> region, bool final,
               GimpPixelRgn& rgnOut)
{
    gimp_pixel_rgn_init(&rgnOut, drawable, x1, y1, region.width, region.height, final, TRUE);
    gimp_pixel_rgn_set_rect(&rgnOut, region.data, x1, y1, region.width, region.height);
}

} // namespace

bool readPreviewArea(GimpDrawable* drawable, GimpPreview* preview, const RenderSettings& settings,
                     gint32 probeId, PreviewJob& job)
{
    gint width, height;
    gimp_preview_get_position(preview, &job.x1, &job.y1);
    gimp_preview_get_size(preview, &width, &height);
    if (width <= 0 || height <= 0 ||
        !readArea(drawable, job.x1, job.y1, width, height, previewMemory.pixels, job.pixels))
        return false;
    job.settings = settings;
    job.settings.probe = previewProbe(probeId);
    job.workspace = &previewMemory.workspace;
    return true;
}

void drawPreviewArea(GimpDrawable* drawable, GimpPreview* preview, const PreviewJob& job)
{
    GimpPixelRgn rgnOut;
    writeArea(drawable, job.x1, job.y1, job.pixels, false, rgnOut);
    gimp_drawable_preview_draw_region(GIMP_DRAWABLE_PREVIEW(preview), &rgnOut);
}

const char* renderSelection(GimpDrawable* drawable, const SelectionBounds& bounds,
                            const RenderSettings& settings, gint32 probeId)
{
    const gint32 drawableId = drawable->drawable_id;
    gimp_progress_init("Ormolo 2.0...");
    const gint x1 = bounds.x1, y1 = bounds.y1, width = bounds.x2 - x1, height = bounds.y2 - y1;
    if (width <= 0 || height <= 0)
        return nullptr;
    std::vector<guchar> pixels;
    PixelView<uint8_t> region;
    if (!readArea(drawable, x1, y1, width, height, pixels, region))
        return "Ormolo 2.0: drawable %d is not RGB or RGBA";
    RenderSettings finalSettings = settings;
    ProbeImage probe;
    finalSettings.probe = readProbeDrawable(probeId, probe) ? &probe : nullptr;
    renderRegion(region, region, finalSettings, ProgressFn(forwardToProgressBar));
    GimpPixelRgn rgnOut;
    writeArea(drawable, x1, y1, region, true, rgnOut);
    gimp_drawable_flush(drawable);
    if (!gimp_drawable_merge_shadow(drawableId, TRUE))
        return "Ormolo 2.0: GIMP did not take the result into drawable %d";
    gimp_drawable_update(drawableId, x1, y1, width, height);
    return nullptr;
}

void ormolo2ForgetPreview()
{
    previewMemory = PreviewMemory();
}
