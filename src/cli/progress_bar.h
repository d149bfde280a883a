// A one-line progress bar on a terminal, fed by the renderer's progress
// reports; silent when stderr is not a terminal.
#pragma once

#include <string>

#include "render/progress.h"

class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    ProgressFn callback();

private:
    void draw(const char* text, double fraction);
    bool enabled_;
    bool drawn_ = false;
    std::string text_ = "Ormolo 2.0...";
};
