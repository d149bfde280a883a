// A test-only plug-in with two procedures that Script-Fu lacks:
// - test-ormolo2-call-with-nparams calls plug-in-ormolo2 with a chosen
//   number of arguments (Script-Fu always passes every registered one) and
//   returns the status it got;
// - test-ormolo2-save-png writes a drawable's bytes to a PNG file as they
//   are, in a few milliseconds: GIMP's own PNG export starts GEGL in its
//   process and takes over a second per file.
#include <cstring>
#include <vector>

#include <libgimp/gimp.h>
#include <png.h>

namespace {

GimpParam values[2];

GimpParamDef param(GimpPDBArgType type, const char* name)
{
    return {type, const_cast<gchar*>(name), const_cast<gchar*>(name)};
}

void query()
{
    static const GimpParamDef callArgs[] = {
        param(GIMP_PDB_INT32, "run-mode"),     param(GIMP_PDB_INT32, "target-run-mode"),
        param(GIMP_PDB_INT32, "nparams"),      param(GIMP_PDB_IMAGE, "image"),
        param(GIMP_PDB_DRAWABLE, "drawable"),
    };
    static const GimpParamDef callResults[] = {param(GIMP_PDB_INT32, "status")};
    gimp_install_procedure("test-ormolo2-call-with-nparams", "Test helper", "Test helper", "Ormolo",
                           "Ormolo", "2024", nullptr, nullptr, GIMP_PLUGIN,
                           G_N_ELEMENTS(callArgs), G_N_ELEMENTS(callResults), callArgs,
                           callResults);

    static const GimpParamDef saveArgs[] = {
        param(GIMP_PDB_INT32, "run-mode"),
        param(GIMP_PDB_DRAWABLE, "drawable"),
        param(GIMP_PDB_STRING, "filename"),
    };
    gimp_install_procedure("test-ormolo2-save-png", "Test helper", "Test helper", "Ormolo",
                           "Ormolo", "2024", nullptr, nullptr, GIMP_PLUGIN,
                           G_N_ELEMENTS(saveArgs), 0, saveArgs, nullptr);
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
    } else if (!savePng(param[1].data.d_drawable, param[2].data.d_string)) {
        values[0].data.d_status = GIMP_PDB_EXECUTION_ERROR;
    }
}

} // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, query, run};

MAIN()
