// A test-only plug-in with three procedures that Script-Fu lacks:
// - test-ormolo2-call-with-nparams calls plug-in-ormolo2 with a chosen
//   number of arguments (Script-Fu always passes every registered one) and
//   returns the status it got;
// - test-ormolo2-save-png writes a drawable's bytes to a PNG file as they
//   are, in a few milliseconds: GIMP's own PNG export starts GEGL in its
//   process and takes over a second per file;
// - test-ormolo2-write-deep-png writes the 16-bit and palette PNG files that
//   the tests load into GIMP: every 16-bit value in each channel, a
//   soft-edged shape whose samples fall anywhere between two 8-bit values,
//   and palette files whose pixels name entries beyond their palette.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <libgimp/gimp.h>
#include <png.h>

#include "png_chunks.h"

namespace {

GimpParam values[2];

GimpParamDef param(GimpPDBArgType type, const char* name)
{
    return {type, const_cast<gchar*>(name), const_cast<gchar*>(name)};
}

void install(const char* name, int argCount, const GimpParamDef* args, int resultCount = 0,
             const GimpParamDef* results = nullptr)
{
    gimp_install_procedure(name, "Test helper", "Test helper", "Ormolo", "Ormolo", "2024", nullptr, nullptr,
                           GIMP_PLUGIN, argCount, resultCount, args, results);
}

void query()
{
    static const GimpParamDef callArgs[] = {
        param(GIMP_PDB_INT32, "run-mode"),     param(GIMP_PDB_INT32, "target-run-mode"),
        param(GIMP_PDB_INT32, "nparams"),      param(GIMP_PDB_IMAGE, "image"),
        param(GIMP_PDB_DRAWABLE, "drawable"),
    };
    static const GimpParamDef callResults[] = {param(GIMP_PDB_INT32, "status")};
    install("test-ormolo2-call-with-nparams", G_N_ELEMENTS(callArgs), callArgs, G_N_ELEMENTS(callResults),
            callResults);

    static const GimpParamDef saveArgs[] = {
        param(GIMP_PDB_INT32, "run-mode"),
        param(GIMP_PDB_DRAWABLE, "drawable"),
        param(GIMP_PDB_STRING, "filename"),
    };
    install("test-ormolo2-save-png", G_N_ELEMENTS(saveArgs), saveArgs);

    static const GimpParamDef deepArgs[] = {
        param(GIMP_PDB_INT32, "run-mode"),
        param(GIMP_PDB_STRING, "filename"),
        param(GIMP_PDB_INT32, "kind"),
    };
    install("test-ormolo2-write-deep-png", G_N_ELEMENTS(deepArgs), deepArgs);
}

// Passes the first nparams of: run mode, image, drawable, then Round2 at
// depth 20 with no probe, then one argument too many.
GimpPDBStatusType callWithNparams(const GimpParam* param)
{
    GimpParam args[12];
    args[0].type = GIMP_PDB_INT32;
    args[0].data.d_int32 = param[1].data.d_int32;
    args[1].type = GIMP_PDB_IMAGE;
    args[1].data.d_image = param[3].data.d_image;
    args[2].type = GIMP_PDB_DRAWABLE;
    args[2].data.d_drawable = param[4].data.d_drawable;
    const guint8 int8Values[] = {0, 3, 3};
    for (int i = 0; i < 3; ++i) {
        args[3 + i].type = GIMP_PDB_INT8;
        args[3 + i].data.d_int8 = int8Values[i];
    }
    const gdouble depths[] = {10.0, 7.0, 20.0};
    for (int i = 0; i < 3; ++i) {
        args[6 + i].type = GIMP_PDB_FLOAT;
        args[6 + i].data.d_float = depths[i];
    }
    args[9].type = GIMP_PDB_DRAWABLE;
    args[9].data.d_drawable = -1;
    args[10].type = GIMP_PDB_FLOAT;
    args[10].data.d_float = 1.0;
    args[11].type = GIMP_PDB_INT32;
    args[11].data.d_int32 = 0;

    gint count = 0;
    GimpParam* got = gimp_run_procedure2("plug-in-ormolo2", &count, param[2].data.d_int32, args);
    const GimpPDBStatusType status = count > 0 ? got[0].data.d_status : GIMP_PDB_EXECUTION_ERROR;
    gimp_destroy_params(got, count);
    return status;
}

bool savePng(gint32 drawableId, const char* filename)
{
    GimpDrawable* drawable = gimp_drawable_get(drawableId);
    const gint width = drawable->width, height = drawable->height, bpp = drawable->bpp;
    std::vector<guchar> pixels(static_cast<size_t>(width) * height * bpp);
    GimpPixelRgn rgn;
    gimp_pixel_rgn_init(&rgn, drawable, 0, 0, width, height, FALSE, FALSE);
    gimp_pixel_rgn_get_rect(&rgn, pixels.data(), 0, 0, width, height);
    gimp_drawable_detach(drawable);

    // Indexed drawables are written as grey: their bytes are the indices.
    const png_uint_32 formats[] = {PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB,
                                   PNG_FORMAT_RGBA};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = formats[bpp - 1];
    return png_image_write_to_file(&image, filename, 0, pixels.data(), 0, nullptr) != 0;
}

// The 16-bit files, by kind.
enum DeepKind {
    roundingEdgesRgb,   // 256 x 2: the samples on both sides of every rounding boundary
    roundingEdgesRgba,
    shapeRgb,           // 64 x 48: a soft ellipse and bar in the first channel
    shapeRgbaGamma,     // the same with varying alpha and a gamma chunk
    shapeGrey,
    shapeGreyAlpha,
    deepKinds,
    // Palette files, whose pixels also name entries beyond the palette:
    paletteEdges = deepKinds,  // 256 x 2, 8 bits: every index, 200 entries
    paletteEdgesAlpha,         // the same with the alphas of the first 100 entries
    paletteShape,              // 64 x 48, 4 bits: the shape's cover in 16 steps, 9 entries
    kinds
};

struct DeepImage {
    int width, height, channels;
    std::vector<uint16_t> samples;
};

// Coverage of the shape at (x, y): 0 outside, 1 inside, soft over three
// pixels, so that edge samples take every kind of 16-bit value.
double shapeCover(int x, int y)
{
    const double ex = (x + 0.5 - 24.0) / 16.0, ey = (y + 0.5 - 24.0) / 16.0;
    const double ellipse = (1.0 - std::sqrt(ex * ex + ey * ey)) * 16.0 / 3.0 + 0.5;
    const double bar = std::min({x + 0.5 - 40.0, 56.0 - (x + 0.5), y + 0.5 - 12.0, 36.0 - (y + 0.5)}) / 3.0 + 0.5;
    return std::clamp(std::max(ellipse, bar), 0.0, 1.0);
}

DeepImage deepImage(int kind)
{
    const bool edges = kind == roundingEdgesRgb || kind == roundingEdgesRgba;
    const int channelsOfKind[deepKinds] = {3, 4, 3, 4, 1, 2};
    DeepImage image{edges ? 256 : 64, edges ? 2 : 48, channelsOfKind[kind], {}};
    uint32_t noise = 12345;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < image.channels; ++c) {
                noise = noise * 1103515245u + 12345u;
                const int jitter = static_cast<int>((noise >> 16) % 801) - 400;
                int value;
                if (edges)  // 257 k + 128 rounds down to k, 257 k + 129 up to k + 1
                    value = 257 * ((x + 37 * c) % 256) + 128 + y;
                else if (c == 0)
                    value = static_cast<int>(std::lround(shapeCover(x, y) * 65535.0)) + jitter;
                else if (c == image.channels - 1 && (image.channels == 2 || image.channels == 4))
                    value = x < 48 ? 65535 - (noise >> 16) % 300 : (x * 1021 + y * 4099) % 65536;
                else
                    value = (x * 997 + y * 1999 + c * 7919) % 65536;
                image.samples.push_back(static_cast<uint16_t>(std::clamp(value, 0, 65535)));
            }
    return image;
}

// Colours and alphas of palette entry i, all different.
std::array<uint8_t, 3> paletteColour(int i)
{
    return {static_cast<uint8_t>(i * 37 + 11), static_cast<uint8_t>(i * 91 + 50), static_cast<uint8_t>(i * 13 + 200)};
}

bool writePalettePng(const char* filename, int kind)
{
    const bool edges = kind != paletteShape;
    const int width = edges ? 256 : 64, height = edges ? 2 : 48;
    std::vector<uint16_t> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            indices.push_back(static_cast<uint16_t>(edges ? (y == 0 ? x : 255 - x)
                                                          : std::lround(shapeCover(x, y) * 15.0)));
    std::vector<std::array<uint8_t, 3>> palette;
    for (int i = 0; i < (edges ? 200 : 9); ++i)
        palette.push_back(edges ? paletteColour(i) : std::array<uint8_t, 3>{static_cast<uint8_t>(i * 255 / 8), 0, 0});
    std::vector<PngChunk> chunks = {paletteChunk(palette)};
    if (kind == paletteEdgesAlpha) {
        chunks.push_back({"tRNS", {}});
        for (int i = 0; i < 100; ++i)
            chunks.back().data.push_back(static_cast<uint8_t>(i * 29 + 3));
    }
    return saveSamplesPng(filename, width, height, pngPalette, edges ? 8 : 4, indices, chunks);
}

bool writeDeepPng(const char* filename, int kind)
{
    if (kind >= deepKinds && kind < kinds)
        return writePalettePng(filename, kind);
    if (kind < 0 || kind >= deepKinds)
        return false;
    const DeepImage image = deepImage(kind);
    const PngColorType types[] = {pngGrey, pngGreyAlpha, pngRgb, pngRgba};
    std::vector<PngChunk> chunks;
    if (kind == shapeRgbaGamma)
        chunks.push_back(gammaChunk(45455));  // as ImageMagick tags its files
    return saveSamplesPng(filename, image.width, image.height, types[image.channels - 1], 16, image.samples,
                          chunks);
}

void run(const gchar* name, gint, const GimpParam* param, gint* nreturn_vals,
         GimpParam** return_vals)
{
    *nreturn_vals = 1;
    *return_vals = values;
    values[0].type = GIMP_PDB_STATUS;
    values[0].data.d_status = GIMP_PDB_SUCCESS;
    if (std::strcmp(name, "test-ormolo2-call-with-nparams") == 0) {
        *nreturn_vals = 2;
        values[1].type = GIMP_PDB_INT32;
        values[1].data.d_int32 = callWithNparams(param);
    } else if (std::strcmp(name, "test-ormolo2-write-deep-png") == 0) {
        if (!writeDeepPng(param[1].data.d_string, param[2].data.d_int32))
            values[0].data.d_status = GIMP_PDB_EXECUTION_ERROR;
    } else if (!savePng(param[1].data.d_drawable, param[2].data.d_string)) {
        values[0].data.d_status = GIMP_PDB_EXECUTION_ERROR;
    }
}

} // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, query, run};

MAIN()
