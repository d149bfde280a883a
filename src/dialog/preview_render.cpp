#include "dialog/preview_render.h"

#include <memory>
#include <vector>

#include <libgimp/gimpui.h>

#include "dialog/preview_evidence.h"
#include "host/bvals.h"
#include "host/render_settings_of.h"
#include "render/background_render.h"
#include "render/gimp/frame.h"

namespace {

// How often the main loop looks at the render in flight, for its result and
// to move the progress bar.
constexpr guint pollMilliseconds = 10;

// A preview that comes quicker than this shows no progress bar.
constexpr gint64 progressDelayMicroseconds = 330 * 1000;

// The preview's renders, all on the main thread. Every request for a render
// takes the next generation; the render in flight carries the generation it
// started with, and its result is drawn only when no request came after it.
struct PreviewRenders {
    GimpDrawable* drawable = nullptr;
    GimpPreview* preview = nullptr;
    GtkWidget* progressBar = nullptr;
    unsigned newest = 0;
    bool requested = false;  // the render in flight is to be followed by one of the newest settings
    std::unique_ptr<BackgroundRender> render;
    unsigned renderGeneration = 0;
    PreviewJob job;
    guint poll = 0;          // the timeout source, while a render is in flight
    gint64 waitingSince = 0; // when the preview began to wait for the render
    // The last result drawn, with its own copy of the pixels.
    PreviewJob shown;
    std::vector<guchar> shownPixels;
};

PreviewRenders renders;

gboolean pollRender(gpointer);

void startRender()
{
    renders.requested = false;
    if (!readPreviewArea(renders.drawable, renders.preview, renderSettingsOf(bVals), bVals.probeImgDrawable,
                         renders.job))
        return;
    renders.renderGeneration = renders.newest;
    renders.render = std::make_unique<BackgroundRender>(renders.job.pixels, renders.job.settings,
                                                        *renders.job.workspace);
    notePreviewStarted(renders.renderGeneration, renders.job);
    if (!renders.poll)
        renders.poll = g_timeout_add(pollMilliseconds, pollRender, nullptr);
}

// Waits for the render in flight, which has finished or been asked to stop,
// and draws its result unless a later request has overtaken it. A render
// that is not drawn takes no draws from the random stream.
void endRender()
{
    const bool complete = renders.render->finish();
    if (complete && renders.renderGeneration == renders.newest) {
        drawPreviewArea(renders.drawable, renders.preview, renders.job);
        notePreviewDrawn(renders.renderGeneration, renders.job);
        const PixelView<uint8_t>& pixels = renders.job.pixels;
        renders.shownPixels.assign(pixels.data, pixels.data + pixels.byteCount());
        renders.shown = renders.job;
        renders.shown.pixels.data = renders.shownPixels.data();
    } else {
        renders.render->giveBackDraws();
        notePreviewDropped(renders.renderGeneration, complete);
    }
    renders.render.reset();
}

void showProgress()
{
    if (g_get_monotonic_time() - renders.waitingSince < progressDelayMicroseconds)
        return;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(renders.progressBar), renders.render->progress());
    gtk_widget_show(renders.progressBar);
}

gboolean pollRender(gpointer)
{
    if (!renders.render->finished()) {
        showProgress();
        return G_SOURCE_CONTINUE;
    }
    endRender();
    if (renders.requested)
        startRender();
    if (renders.render)
        return G_SOURCE_CONTINUE;
    gtk_widget_hide(renders.progressBar);
    renders.poll = 0;
    return G_SOURCE_REMOVE;
}

} // namespace

void ormolo2(GimpDrawable* drawable, GimpPreview* preview)
{
    renders.drawable = drawable;
    renders.preview = preview;
    // GIMP has just drawn the drawable as it is into the preview: the last
    // result stays in view until the next one is complete.
    if (renders.shown.pixels.data)
        drawPreviewArea(drawable, preview, renders.shown);
    ++renders.newest;
    if (renders.render) {
        renders.render->requestStop();
        renders.requested = true;
        return;
    }
    renders.waitingSince = g_get_monotonic_time();
    startRender();
}

void addPreviewProgressBar(GimpPreview* preview)
{
    GtkWidget* bar = gtk_progress_bar_new();
    // Showing the bar must not move the preview's area: a new allocation of
    // the area asks for a new render. So the bar asks for no more height
    // than the switch has (it takes the row's height), and for a width that
    // fits beside the switch.
    gtk_widget_set_size_request(bar, 80, 1);
    gtk_widget_set_no_show_all(bar, TRUE);
    gtk_box_pack_end(GTK_BOX(gimp_preview_get_controls(preview)), bar, FALSE, FALSE, 0);
    renders.progressBar = bar;
}

void dropPreviewRender()
{
    ++renders.newest;
    renders.requested = false;
    if (renders.render)
        renders.render->requestStop();
}

void endPreviewRenders()
{
    if (renders.poll)
        g_source_remove(renders.poll);
    dropPreviewRender();
    if (renders.render)
        endRender();
    renders = PreviewRenders();
    ormolo2ForgetPreview();
}
