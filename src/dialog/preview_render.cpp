#include "dialog/preview_render.h"

#include "host/bvals.h"
#include "host/render_settings_of.h"
#include "render/gimp/frame.h"

void ormolo2(GimpDrawable* drawable, GimpPreview* preview)
{
    renderPreviewArea(drawable, preview, renderSettingsOf(bVals), bVals.probeImgDrawable);
}
