// The command-line tool's work on one file, end to end: PNG read, render,
// PNG write, timed apart so that the share of the file format is visible.
#pragma once

#include <functional>

#include "synthetic_images.h"

// Writes `image` as the input PNG, then prints one line per profile and
// writer setting: the best read, render and write times of a few runs and
// the size of the written file. `include` tells which case names to run.
void printEndToEnd(const Image& image, const char* imageName, int threads, bool quick,
                   const std::function<bool(const std::string& name)>& include);
