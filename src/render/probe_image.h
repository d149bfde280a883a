// A spherical probe image in memory: what the host or the command line read
// from the probe drawable or file, always four bytes per pixel.
#pragma once

#include <cstdint>
#include <vector>

struct ProbeImage {
    int width = 0;   // at least 1
    int height = 0;  // at least 1
    bool hasAlpha = false;     // false: the fourth byte is 255 and is not used
    std::vector<uint8_t> rgba; // width * height * 4 bytes, row-major
};
