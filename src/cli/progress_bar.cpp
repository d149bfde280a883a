#include "cli/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar(int files) : files_(files), enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar()
{
    interrupt();
}

ProgressFn ProgressBar::callback(int file)
{
    if (!enabled_)
        return {};
    return [this, file](const char* text, double fraction) { draw(file, text, fraction); };
}

void ProgressBar::interrupt()
{
    if (drawn_)
        std::fputs("\n", stderr);
    drawn_ = false;
}

void ProgressBar::draw(int file, const char* text, double fraction)
{
    if (text)
        text_ = text;
    const double overall = (file + std::clamp(fraction, 0.0, 1.0)) / files_;
    constexpr int barWidth = 30;
    const int filled = static_cast<int>(overall * barWidth);
    std::string counter;
    if (files_ > 1)
        counter = std::to_string(file + 1) + "/" + std::to_string(files_) + " ";
    // Tenths of a percent: the normal map of a thick shape moves slowly.
    std::fprintf(stderr, "\r[%-*s] %5.1f%% %s%-40s", barWidth, std::string(filled, '#').c_str(),
                 std::floor(overall * 1000) / 10, counter.c_str(), text_.c_str());
    std::fflush(stderr);
    drawn_ = true;
}
