#include "host/registration.h"

#include <libgimp/gimp.h>

void query()
{
    static const GimpParamDef args[ormoloArgumentCount] = {
        {GIMP_PDB_INT32, const_cast<gchar*>("run-mode"),
         const_cast<gchar*>("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }")},
        {GIMP_PDB_IMAGE, const_cast<gchar*>("image"), const_cast<gchar*>("Input image (unused)")},
        {GIMP_PDB_DRAWABLE, const_cast<gchar*>("drawable"),
         const_cast<gchar*>("Input and result drawable")},
        {GIMP_PDB_INT8, const_cast<gchar*>("invertInput"), const_cast<gchar*>("Invert input")},
        {GIMP_PDB_INT8, const_cast<gchar*>("slopeType"),
         const_cast<gchar*>("Slope type { flat (1), round (2), round2 (3) }")},
        {GIMP_PDB_INT8, const_cast<gchar*>("maxNormMBlurRad"),
         const_cast<gchar*>("Maximum blur radius of depth map for flat slope")},
        {GIMP_PDB_FLOAT, const_cast<gchar*>("slopeDepthFlat"), const_cast<gchar*>("Flat Depth")},
        {GIMP_PDB_FLOAT, const_cast<gchar*>("slopeDepthRound"), const_cast<gchar*>("Round Depth")},
        {GIMP_PDB_FLOAT, const_cast<gchar*>("slopeDepthRound2"),
         const_cast<gchar*>("Round2 Depth")},
        {GIMP_PDB_DRAWABLE, const_cast<gchar*>("probeImgDrawable"),
         const_cast<gchar*>("Spherical probe image drawable {none (-1)}")},
        {GIMP_PDB_FLOAT, const_cast<gchar*>("specularity"),
         const_cast<gchar*>("Specularity of probe image reflection {diffuse (0) .. specular (1)}")},
    };

    gimp_install_procedure(ormoloProcedureName, "Ormolo 2.0",
                           "Bevel white foreground object and apply reflection of probe image",
                           "Ormolo 2.0 developers", "Ormolo 2.0 developers", "2013-03-19",
                           "_Ormolo 2.0...", "RGB*", GIMP_PLUGIN, ormoloArgumentCount, 0, args,
                           nullptr);
    gimp_plugin_menu_register(ormoloProcedureName, "<Image>/Filters/Map");
}
