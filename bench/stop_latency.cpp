#include "stop_latency.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "render/background_render.h"
#include "render/render_workspace.h"
#include "synthetic_images.h"
#include "timing.h"

namespace {

using Clock = std::chrono::steady_clock;

// A 200 x 200 white area with a 2 x 2 hole near its corner: every pixel's
// bevel reaches to the hole, as in the dialog test's previews that take
// seconds.
Image holeImage()
{
    Image image = blankImage(200, 200, 3);
    image.pixels.assign(image.pixels.size(), 255);
    for (int y = 4; y < 6; ++y)
        for (int x = 4; x < 6; ++x)
            std::fill_n(&image.pixels[(static_cast<size_t>(y) * image.width + x) * 3], 3, uint8_t{0});
    return image;
}

void measure(const char* name, const Image& image)
{
    const RenderSettings settings;  // Round2, normal map
    RenderWorkspace workspace;
    std::vector<uint8_t> region;
    const auto renderWhole = [&] {
        region = image.pixels;
        BackgroundRender render(PixelView<uint8_t>(region.data(), image.width, image.height, image.channels),
                                settings, workspace);
        render.finish();
    };
    const double renderSeconds = bestSeconds(renderWhole, 1.0, 5);

    std::vector<double> latencies;
    int completed = 0;
    for (int repeat = 0; repeat < 5; ++repeat)
        for (double share : {0.1, 0.3, 0.5, 0.7, 0.9}) {
            region = image.pixels;
            BackgroundRender render(PixelView<uint8_t>(region.data(), image.width, image.height, image.channels),
                                    settings, workspace);
            std::this_thread::sleep_for(std::chrono::duration<double>(share * renderSeconds));
            const Clock::time_point request = Clock::now();
            render.requestStop();
            if (render.finish()) {
                ++completed;
                continue;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - request).count());
        }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double share) {
        return latencies.empty() ? 0.0 : latencies[static_cast<size_t>(share * (latencies.size() - 1))];
    };
    std::printf("%-26s %9dx%-4d %9.1f %7zu %9d %9.2f %9.2f %9.2f\n", name, image.width, image.height,
                renderSeconds * 1e3, latencies.size(), completed, at(0.5), at(0.9), at(1.0));
}

} // namespace

void runStopLatency(const Image& preview)
{
    std::printf("Each render is asked to stop at 10, 30, 50, 70 and 90%% of its time, five times;\n"
                "stop ms: from the request to the render's return (its thread joined),\n"
                "over the renders that had not completed by then\n\n");
    std::printf("%-26s %14s %9s %7s %9s %9s %9s %9s\n", "case", "size", "render ms", "stopped", "completed",
                "median ms", "90% ms", "max ms");
    measure("preview512-text60-round2", preview);
    measure("preview200-hole-round2", holeImage());
}
