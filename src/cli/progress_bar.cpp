#include "cli/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar() : enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar()
{
    if (drawn_)
        std::fputs("\n", stderr);
}

ProgressFn ProgressBar::callback()
{
    if (!enabled_)
        return {};
    return [this](const char* text, double fraction) { draw(text, fraction); };
}

void ProgressBar::draw(const char* text, double fraction)
{
    if (text)
        text_ = text;
    constexpr int barWidth = 30;
    const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * barWidth);
    // Tenths of a percent: the normal map of a thick shape moves slowly.
    std::fprintf(stderr, "\r[%-*s] %5.1f%% %-40s", barWidth, std::string(filled, '#').c_str(),
                 std::floor(std::clamp(fraction, 0.0, 1.0) * 1000) / 10, text_.c_str());
    std::fflush(stderr);
    drawn_ = true;
}
