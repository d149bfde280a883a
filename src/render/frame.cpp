#include "render/frame.h"

#include <cstddef>

#include <libgimp/gimpui.h>

#include "host/bvals.h"
#include "render/probe_drawable.h"
#include "render/render.h"

namespace {

void forwardToProgressBar(const char* text, double fraction)
{
    if (text)
        gimp_progress_set_text(text);
    gimp_progress_update(fraction);
}

} // namespace

void ormolo2(GimpDrawable* drawable, GimpPreview* preview)
{
    const gint32 drawableId = drawable->drawable_id;
    gint x1, y1, width, height;
    if (preview) {
        gimp_preview_get_position(preview, &x1, &y1);
        gimp_preview_get_size(preview, &width, &height);
    } else {
        gimp_progress_init("Ormolo 2.0...");
        gint x2, y2;
        gimp_drawable_mask_bounds(drawableId, &x1, &y1, &x2, &y2);
        width = x2 - x1;
        height = y2 - y1;
    }
    if (width <= 0 || height <= 0)
        return;

    const gint channels = gimp_drawable_bpp(drawableId);
    gimp_tile_cache_ntiles(drawable->width / gimp_tile_width() + 17);

    GimpPixelRgn rgnIn;
    gimp_pixel_rgn_init(&rgnIn, drawable, x1, y1, width, height, FALSE, FALSE);
    guchar* pixels = static_cast<guchar*>(
        g_malloc(static_cast<size_t>(width) * static_cast<size_t>(height) * channels));
    gimp_pixel_rgn_get_rect(&rgnIn, pixels, x1, y1, width, height);

    ProbeImage probe;
    const bool reflectsProbe = readProbeDrawable(bVals.probeImgDrawable, probe);
    renderRegion(pixels, pixels, width, height, channels, bVals, reflectsProbe ? &probe : nullptr,
                 preview ? ProgressFn() : ProgressFn(forwardToProgressBar));

    // Every row goes back, border rows included: a shadow row left unwritten
    // would be merged into the image as black.
    GimpPixelRgn rgnOut;
    gimp_pixel_rgn_init(&rgnOut, drawable, x1, y1, width, height, preview == nullptr, TRUE);
    gimp_pixel_rgn_set_rect(&rgnOut, pixels, x1, y1, width, height);
    g_free(pixels);

    if (preview) {
        gimp_drawable_preview_draw_region(GIMP_DRAWABLE_PREVIEW(preview), &rgnOut);
        return;
    }
    gimp_drawable_flush(drawable);
    gimp_drawable_merge_shadow(drawableId, TRUE);
    gimp_drawable_update(drawableId, x1, y1, width, height);
}
