// Wall-clock timing of the benchmark's runs.
#pragma once

#include <functional>

double secondsOf(const std::function<void()>& run);

// Best of repeated runs: at least one, more until about `budget` seconds
// have gone by (never more than `maxRuns`). `prepare`, when given, runs
// untimed before each run, for a run that consumes its input.
double bestSeconds(const std::function<void()>& run, double budget, int maxRuns,
                   const std::function<void()>& prepare = {});
