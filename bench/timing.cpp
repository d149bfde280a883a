#include "timing.h"

#include <algorithm>
#include <chrono>

double secondsOf(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double bestSeconds(const std::function<void()>& run, double budget, int maxRuns,
                   const std::function<void()>& prepare)
{
    const auto timedRun = [&] {
        if (prepare)
            prepare();
        return secondsOf(run);
    };
    double best = timedRun(), total = best;
    for (int runs = 1; runs < maxRuns && total < budget; ++runs) {
        const double seconds = timedRun();
        total += seconds;
        best = std::min(best, seconds);
    }
    return best;
}
