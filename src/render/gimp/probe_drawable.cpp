#include "render/gimp/probe_drawable.h"

#include <cstddef>
#include <vector>

namespace {

// One probe pixel of any drawable type as red, green, blue and alpha.
void expandPixel(const guchar* source, GimpImageType type, const guchar* colormap, gint colors,
                 guchar* rgba)
{
    switch (type) {
    case GIMP_RGB_IMAGE:
    case GIMP_RGBA_IMAGE:
        rgba[0] = source[0];
        rgba[1] = source[1];
        rgba[2] = source[2];
        rgba[3] = type == GIMP_RGBA_IMAGE ? source[3] : 255;
        return;
    case GIMP_GRAY_IMAGE:
    case GIMP_GRAYA_IMAGE:
        rgba[0] = rgba[1] = rgba[2] = source[0];
        rgba[3] = type == GIMP_GRAYA_IMAGE ? source[1] : 255;
        return;
    case GIMP_INDEXED_IMAGE:
    case GIMP_INDEXEDA_IMAGE: {
        const gint index = source[0] < colors ? source[0] : 0;
        for (int c = 0; c < 3; ++c)
            rgba[c] = colormap ? colormap[index * 3 + c] : 0;
        rgba[3] = type == GIMP_INDEXEDA_IMAGE ? source[1] : 255;
        return;
    }
    }
}

bool typeHasAlpha(GimpImageType type)
{
    return type == GIMP_RGBA_IMAGE || type == GIMP_GRAYA_IMAGE || type == GIMP_INDEXEDA_IMAGE;
}

} // namespace

bool readProbeDrawable(gint32 drawableId, ProbeImage& probe)
{
    if (!gimp_drawable_is_valid(drawableId))
        return false;
    GimpDrawable* drawable = gimp_drawable_get(drawableId);
    const gint width = static_cast<gint>(drawable->width);
    const gint height = static_cast<gint>(drawable->height);
    const gint bpp = static_cast<gint>(drawable->bpp);
    const GimpImageType type = gimp_drawable_type(drawableId);

    // One read of the whole probe, from its own tiles: when the probe is the
    // drawable being rendered, it shows the pixels from before the render.
    std::vector<guchar> pixels(static_cast<size_t>(width) * height * bpp);
    GimpPixelRgn region;
    gimp_pixel_rgn_init(&region, drawable, 0, 0, width, height, FALSE, FALSE);
    gimp_pixel_rgn_get_rect(&region, pixels.data(), 0, 0, width, height);
    gimp_drawable_detach(drawable);

    gint colors = 0;
    guchar* colormap = nullptr;
    if (type == GIMP_INDEXED_IMAGE || type == GIMP_INDEXEDA_IMAGE)
        colormap = gimp_image_get_colormap(gimp_item_get_image(drawableId), &colors);

    probe.width = width;
    probe.height = height;
    probe.hasAlpha = typeHasAlpha(type);
    probe.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
        expandPixel(&pixels[i * bpp], type, colormap, colors, &probe.rgba[i * 4]);
    g_free(colormap);
    return width > 0 && height > 0;
}
