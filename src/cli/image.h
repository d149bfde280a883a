// An 8-bit RGB or RGBA image in memory, row-major, alpha last.
#pragma once

#include <cstdint>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;  // 3 or 4
    std::vector<uint8_t> pixels;
};
