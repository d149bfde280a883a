#include "tile_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "heap_meter.h"
#include "render/render.h"
#include "timing.h"

void printTileTimes(const Image& tile, const char* tileName, int threads, bool quick,
                    const std::function<bool(const std::string& name)>& include)
{
    std::printf("\ntile: ms of the best of %s, ordinary render and --tile of the same image in turn;\n"
                "heap B/px: peak bytes live during one render, per pixel\n",
                quick ? "1 run" : "10 runs");
    std::printf("%-30s %9s %9s %9s %8s %9s %9s\n", "case", "size", "plain ms", "tile ms", "x plain",
                "heap B/px", "tile B/px");
    const struct { const char* name; SlopeProfile profile; } profiles[] = {{"flat", SlopeProfile::flat},
                                                                            {"round2", SlopeProfile::round2}};
    const double pixels = static_cast<double>(tile.width) * tile.height;
    std::vector<uint8_t> output(tile.pixels.size());
    const PixelView<uint8_t> outputView(output.data(), tile.width, tile.height, tile.channels);
    for (const auto& profile : profiles) {
        const std::string name = std::string("tile-") + tileName + "-" + profile.name;
        if (!include(name))
            continue;
        RenderSettings settings[2];
        for (bool tiled : {false, true}) {
            settings[tiled].profile = profile.profile;
            settings[tiled].tile = tiled;
        }
        const auto render = [&](bool tiled) {
            renderRegion(tile.view(), outputView, settings[tiled], {}, threads);
        };
        // The two alternate, so that a busy machine slows both alike.
        double seconds[2] = {HUGE_VAL, HUGE_VAL}, heap[2];
        for (int run = 0; run < (quick ? 1 : 10); ++run)
            for (bool tiled : {false, true}) {
                heapMeterReset();
                seconds[tiled] = std::min(seconds[tiled], secondsOf([&] { render(tiled); }));
                heap[tiled] = static_cast<double>(heapMeterPeakAboveReset()) / pixels;
            }
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", tile.width, tile.height);
        std::printf("%-30s %9s %9.1f %9.1f %8.3f %9.1f %9.1f\n", name.c_str(), size, seconds[0] * 1e3,
                    seconds[1] * 1e3, seconds[1] / seconds[0], heap[0], heap[1]);
        std::fflush(stdout);
    }
}
