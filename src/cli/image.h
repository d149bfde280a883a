// Images in memory, row-major, alpha last: what the command-line tool reads
// and writes, and what its tests and the benchmark hand to the renderer.
#pragma once

#include <cstdint>
#include <vector>

#include "render/image_view.h"

struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;  // 3 or 4
    std::vector<uint8_t> pixels;

    PixelView<uint8_t> view() { return {pixels.data(), width, height, channels}; }
    PixelView<const uint8_t> view() const { return {pixels.data(), width, height, channels}; }
};

// 16 bits per sample: a unit normal map (RGB or RGBA) or a height map (one
// grey channel).
struct WideImage {
    int width = 0;
    int height = 0;
    int channels = 0;  // 1, 3 or 4
    std::vector<uint16_t> samples;

    PixelView<uint16_t> view() { return {samples.data(), width, height, channels}; }
    PixelView<const uint16_t> view() const { return {samples.data(), width, height, channels}; }
};
