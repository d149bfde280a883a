// The dialog's preview render. It runs off the main loop, so that the
// dialog answers the user while a thick shape renders for seconds: the main
// thread reads the area and the settings, a thread of the render's own
// renders them, and the main thread draws the result once it is complete.
// One render runs at a time; a request that comes meanwhile stops it, and
// the settings as they stand then render next. A result that a later
// request has overtaken is never drawn.
#pragma once

#include <libgimp/gimp.h>
#include <libgimpwidgets/gimpwidgetstypes.h>

// Renders the area that `preview` shows with the settings as the dialog's
// controls have left them in bVals; the preview's "invalidated" signal
// calls it.
void ormolo2(GimpDrawable* drawable, GimpPreview* preview);

// A progress bar beside the preview's own switch, shown while the preview
// waits more than about a third of a second for a render.
void addPreviewProgressBar(GimpPreview* preview);

// The preview was switched off: the render in flight is stopped and its
// result never drawn.
void dropPreviewRender();

// The dialog has ended: the render in flight is stopped and waited for
// (until its current step of columns ends) and the preview's memory goes.
// Touches no widget, which may be gone already.
void endPreviewRenders();
