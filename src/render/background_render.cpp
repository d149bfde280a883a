#include "render/background_render.h"

#include <chrono>
#include <system_error>

#include "render/random_stream.h"
#include "render/render.h"

namespace {

// Progress comes at least this often while rows are slow, so that a
// progress display moves smoothly.
constexpr std::chrono::milliseconds progressInterval(100);

} // namespace

BackgroundRender::BackgroundRender(PixelView<uint8_t> region, const RenderSettings& settings,
                                   RenderWorkspace& workspace)
    : firstDraw_(randomStreamPosition())
{
    try {
        thread_ = std::thread([this, region, settings, &workspace] { run(region, settings, workspace); });
    } catch (const std::system_error&) {
        // Without a thread of its own the render runs here, as it must.
        run(region, settings, workspace);
    }
}

BackgroundRender::~BackgroundRender()
{
    if (!ended_) {
        requestStop();
        finish();
        giveBackDraws();
    }
}

void BackgroundRender::run(PixelView<uint8_t> region, RenderSettings settings, RenderWorkspace& workspace)
{
    complete_ = renderRegion(region, region, settings,
                             [this](const char*, double fraction) { progress_.store(fraction); }, 0, &workspace,
                             progressInterval, &stop_);
    finished_.store(true);
}

bool BackgroundRender::finished() const
{
    return finished_.load();
}

void BackgroundRender::requestStop()
{
    stop_.store(true);
}

double BackgroundRender::progress() const
{
    return progress_.load();
}

bool BackgroundRender::finish()
{
    if (thread_.joinable())
        thread_.join();
    ended_ = true;
    return complete_;
}

void BackgroundRender::giveBackDraws()
{
    setRandomStreamPosition(firstDraw_);
}
