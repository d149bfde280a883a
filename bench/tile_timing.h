// What rendering an image as a seamless tile (the tool's --tile) costs next
// to an ordinary render of the same image.
#pragma once

#include <functional>
#include <string>

#include "synthetic_images.h"

// One line per profile: the best times of the ordinary and the tile render,
// their ratio and the peak heap of each. `include` tells which case names
// to run.
void printTileTimes(const Image& tile, const char* tileName, int threads, bool quick,
                    const std::function<bool(const std::string& name)>& include);
