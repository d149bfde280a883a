#include "tile_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "heap_meter.h"
#include "render/render.h"
#include "timing.h"

void printTileTimes(const Image& tile, const char* tileName, int threads, bool quick,
                    const std::function<bool(const std::string& name)>& include)
{
    const int runs = quick ? 1 : 10;
    std::printf("\ntile: the ordinary render and --tile of the same image in turn, best of %d run%s each;\n"
                "cpu ms: processor time of all threads, which a busy machine does not inflate as much;\n"
                "B/px: peak heap bytes live during one render, per pixel\n",
                runs, runs == 1 ? "" : "s");
    std::printf("%-24s %9s %9s %9s %7s %9s %9s %7s %6s %6s\n", "case", "size", "ms", "tile ms", "x", "cpu ms",
                "tile cpu", "x", "B/px", "tile");
    const struct { const char* name; SlopeProfile profile; } profiles[] = {{"flat", SlopeProfile::flat},
                                                                            {"round2", SlopeProfile::round2}};
    const double pixels = static_cast<double>(tile.width) * tile.height;
    std::vector<uint8_t> output(tile.pixels.size());
    const PixelView<uint8_t> outputView(output.data(), tile.width, tile.height, tile.channels);
    for (const auto& profile : profiles) {
        const std::string name = std::string("tile-") + tileName + "-" + profile.name;
        if (!include(name))
            continue;
        double seconds[2] = {HUGE_VAL, HUGE_VAL}, cpuSeconds[2] = {HUGE_VAL, HUGE_VAL}, heap[2];
        // The two alternate, so that a busy machine slows both alike.
        for (int run = 0; run < runs; ++run)
            for (bool tiled : {false, true}) {
                RenderSettings settings;
                settings.profile = profile.profile;
                settings.tile = tiled;
                heapMeterReset();
                const std::clock_t cpuStart = std::clock();
                const double wall =
                    secondsOf([&] { renderRegion(tile.view(), outputView, settings, {}, threads); });
                const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
                seconds[tiled] = std::min(seconds[tiled], wall);
                cpuSeconds[tiled] = std::min(cpuSeconds[tiled], cpu);
                heap[tiled] = static_cast<double>(heapMeterPeakAboveReset()) / pixels;
            }
        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", tile.width, tile.height);
        std::printf("%-24s %9s %9.1f %9.1f %7.3f %9.1f %9.1f %7.3f %6.1f %6.1f\n", name.c_str(), size,
                    seconds[0] * 1e3, seconds[1] * 1e3, seconds[1] / seconds[0], cpuSeconds[0] * 1e3,
                    cpuSeconds[1] * 1e3, cpuSeconds[1] / cpuSeconds[0], heap[0], heap[1]);
        std::fflush(stdout);
    }
}
