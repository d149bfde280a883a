#include "render/seeds.h"

#include <algorithm>
#include <cstddef>

namespace {

// A partly covered pixel puts its coverage on the axis of its darkest
// neighbour, judged by the stored (never inverted) values; ties go vertical.
bool coverageIsHorizontal(float vleft, float vright, float vtop, float vbottom)
{
    return std::min(vleft, vright) < std::min(vtop, vbottom);
}

} // namespace

void scanSeeds(const uint8_t* pixels, int width, int height, int channels, bool invertInput,
               float* distHoriz, float* distVert)
{
    const size_t bytesPerRow = static_cast<size_t>(width) * channels;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + y * bytesPerRow;
        const uint8_t* rowAbove = pixels + std::max(y - 1, 0) * bytesPerRow;
        const uint8_t* rowBelow = pixels + std::min(y + 1, height - 1) * bytesPerRow;
        const bool innerRow = y >= 1 && y <= height - 2;
        float* horiz = distHoriz + static_cast<size_t>(y) * width;
        float* vert = distVert + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(x) * channels;
            const uint8_t stored = row[at];
            const uint8_t val = invertInput ? static_cast<uint8_t>(255 - stored) : stored;
            if (val == 255) {
                horiz[x] = unreachedDistance;
                vert[x] = unreachedDistance;
                continue;
            }
            horiz[x] = 0.0f;
            vert[x] = 0.0f;
            if (val == 0 || !innerRow || x < 1 || x > width - 2)
                continue;
            const float coverage = static_cast<float>(val / 255.0);
            if (coverageIsHorizontal(row[at - channels], row[at + channels], rowAbove[at], rowBelow[at]))
                horiz[x] = coverage;
            else
                vert[x] = coverage;
        }
    }
}
