// One render on a thread of its own, for a host whose own thread must stay
// free while it runs: the dialog's toolkit answers the user meanwhile. The
// host starts it, looks now and then whether it has finished, may ask it to
// stop, and ends it with finish(), then shows its result or drops it.
//
// A render counts in the random stream only when it is shown: the host gives
// back the draws of a stopped or dropped render's blurred samples, so that
// the next render takes the draws it would have taken had the dropped one
// never run. This holds while the host runs one render at a time and
// nothing else draws from the stream meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "render/image_view.h"
#include "render/render_settings.h"

struct RenderWorkspace;

class BackgroundRender {
public:
    // Starts rendering `region` in place with `settings`. The region, the
    // probe that the settings name and the workspace belong to the render
    // until finish() has returned.
    BackgroundRender(PixelView<uint8_t> region, const RenderSettings& settings, RenderWorkspace& workspace);
    // Stops the render, waits for it and gives its draws back, unless
    // finish() has ended it.
    ~BackgroundRender();
    BackgroundRender(const BackgroundRender&) = delete;
    BackgroundRender& operator=(const BackgroundRender&) = delete;

    bool finished() const;
    // The render stops at its next step of columns.
    void requestStop();
    // How far the render has got, 0 to 1, as its progress reports say.
    double progress() const;
    // Waits for the render, which a stop ends within a step. True when it
    // completed: the region holds the render. Otherwise the region is as it
    // was.
    bool finish();
    // For a render that is not shown: the random stream goes back to where
    // it stood when the render started.
    void giveBackDraws();

private:
    void run(PixelView<uint8_t> region, RenderSettings settings, RenderWorkspace& workspace);

    const uint64_t firstDraw_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<double> progress_{0.0};
    bool complete_ = false;
    bool ended_ = false;
    std::thread thread_;
};
