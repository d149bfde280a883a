#include "render/worker_count.h"

#include <algorithm>
#include <cstddef>
#include <thread>

namespace {

// Neighbour visits that keep a worker busy for about a millisecond, well
// above what starting and joining a thread costs.
constexpr double minimumWorkPerWorker = 2e6;

// The neighbour visits of the output pass, roughly: the square around each
// visited inside pixel that its radius (height + 2, at most the Flat
// smoothing radius) spans. Counting stops at `enough`.
double neighbourVisits(HeightField heights, const RenderSettings& settings, double enough)
{
    const bool flat = settings.profile == SlopeProfile::flat;
    const float flatCap = static_cast<float>(std::max(settings.maxFlatRadius, 0));
    const float widest = static_cast<float>(std::max(heights.width, heights.height));
    const int frame = unvisitedFrame(settings.tile);
    double visits = 0.0;
    for (int y = frame; y < heights.height - frame && visits < enough; ++y) {
        const float* row = heights.row(y);
        for (int x = frame; x < heights.width - frame; ++x) {
            if (!(row[x] > 0.0f))
                continue;
            float radius = std::min(row[x] + 2.0f, widest);
            if (flat)
                radius = std::min(radius, flatCap);
            const double side = 2.0 * radius + 1.0;
            visits += side * side;
        }
    }
    return visits;
}

} // namespace

int workerCount(int threads)
{
    if (threads > 0)
        return threads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int workersForRender(HeightField heights, const RenderSettings& settings, int threads)
{
    if (threads > 0)
        return threads;
    const int cores = workerCount(0);
    const double visits = neighbourVisits(heights, settings, cores * minimumWorkPerWorker);
    return static_cast<int>(std::clamp(visits / minimumWorkPerWorker, 1.0, static_cast<double>(cores)));
}
