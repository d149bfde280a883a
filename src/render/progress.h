// Progress reports of one final render: an optional new text and a fraction
// between 0 and 1. Hosts forward them to their progress display.
#pragma once

#include <chrono>
#include <functional>

// `text` is null when only the fraction changes.
using ProgressFn = std::function<void(const char* text, double fraction)>;

// How long the output pass of a final render may go without a report before
// it reports how far it has got: a thick shape's rows can take seconds each.
constexpr std::chrono::milliseconds progressHeartbeat = std::chrono::seconds(1);

// No heartbeat: only the stages' own reports, whatever the pace of the
// render, for callers that check their exact sequence.
constexpr std::chrono::milliseconds noHeartbeat = std::chrono::milliseconds::max();

// base + span * (row / (height - 1)), the quotient formed first, in double.
// A one-row region has no span to cover and reports the base.
// `row` may have a fractional part, for a row partly done.
inline double rowFraction(double base, double span, double row, int height)
{
    if (height <= 1)
        return base;
    return base + span * (row / static_cast<double>(height - 1));
}

inline void reportRow(const ProgressFn& progress, double base, double span, int row, int height)
{
    if (progress && row % 10 == 0)
        progress(nullptr, rowFraction(base, span, row, height));
}
