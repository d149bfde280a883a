#include "thickness_sweep.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "render/render.h"
#include "synthetic_images.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

struct SweepRun {
    double seconds;
    double cpuSeconds;      // of every thread, which a busy machine does not inflate as much
    double longestSilence;  // seconds between two progress reports, or before the first
};

SweepRun timedRender(const Image& image, const RenderSettings& settings, int threads)
{
    Image output{image.width, image.height, image.channels, std::vector<uint8_t>(image.pixels.size())};
    const std::clock_t cpuStart = std::clock();
    const Clock::time_point start = Clock::now();
    Clock::time_point lastReport = start;
    double longestSilence = 0.0;
    renderRegion(image.view(), output.view(), settings,
                 [&](const char*, double) {
                     const Clock::time_point now = Clock::now();
                     longestSilence = std::max(longestSilence, secondsBetween(lastReport, now));
                     lastReport = now;
                 },
                 threads);
    const Clock::time_point end = Clock::now();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return {secondsBetween(start, end), cpuSeconds, std::max(longestSilence, secondsBetween(lastReport, end))};
}

} // namespace

void runThicknessSweep(int threads)
{
    const struct {
        const char* name;
        SlopeProfile profile;
        int32_t maxFlatRadius;
    } profiles[] = {{"flat", SlopeProfile::flat, 3}, {"flat-r32", SlopeProfile::flat, 32},
                    {"round", SlopeProfile::round, 3}, {"round2", SlopeProfile::round2, 3}};
    const int radii[] = {50, 100, 200, 400};

    std::printf("threads: %d%s\n", threads, threads == 0 ? " = all cores" : "");
    std::printf("one disc of the given radius, 20 px of background around it; one run each\n");
    std::printf("cpu ms: processor time of all threads; x r50: cpu ms / that of the disc of\n"
                "radius 50 under the same profile\n");
    std::printf("silence: longest time without a progress report\n\n");
    std::printf("%-18s %9s %10s %10s %8s %11s\n", "case", "size", "ms", "cpu ms", "x r50", "silence ms");
    for (const auto& profile : profiles) {
        double firstCpuSeconds = 0.0;
        for (int radius : radii) {
            const int size = 2 * radius + 40;
            Image disc = blankImage(size, size, 3);
            drawDisc(disc, size / 2.0 + 0.3, size / 2.0 - 0.4, radius);
            RenderSettings settings;
            settings.profile = profile.profile;
            settings.maxFlatRadius = profile.maxFlatRadius;
            const SweepRun run = timedRender(disc, settings, threads);
            if (radius == radii[0])
                firstCpuSeconds = run.cpuSeconds;
            char name[32], dimensions[32];
            std::snprintf(name, sizeof name, "disc%d-%s", radius, profile.name);
            std::snprintf(dimensions, sizeof dimensions, "%dx%d", size, size);
            std::printf("%-18s %9s %10.1f %10.1f %8.1f %11.1f\n", name, dimensions, run.seconds * 1e3,
                        run.cpuSeconds * 1e3, run.cpuSeconds / firstCpuSeconds, run.longestSilence * 1e3);
            std::fflush(stdout);
        }
    }
}
