// A one-line progress bar on a terminal, fed by the renderer's progress
// reports; silent when stderr is not a terminal. A batch shows one bar for
// all its files.
#pragma once

#include <string>

#include "render/progress.h"

class ProgressBar {
public:
    explicit ProgressBar(int files);
    ~ProgressBar();
    // The reports of file `file` (0-based) of the batch.
    ProgressFn callback(int file);
    // Ends the bar's line, so that a message can be printed on a line of its
    // own; the next report starts a new bar.
    void interrupt();

private:
    void draw(int file, const char* text, double fraction);
    int files_;
    bool enabled_;
    bool drawn_ = false;
    std::string text_ = "Ormolo 2.0...";
};
