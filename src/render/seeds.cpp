#include "render/seeds.h"

#include <algorithm>
#include <cstddef>

namespace {

// Where a pixel lies for the partial-coverage rule: on the region's border
// (never partly covered), or inside it with the coverage going to the
// vertical or the horizontal component.
enum Situation { onBorder, coverVertical, coverHorizontal, situations };

// The start vector of every (value after inversion, situation) pair, so that
// the scan makes no decision per pixel beyond the axis test.
struct SeedTable {
    float horiz[256][situations];
    float vert[256][situations];
};

constexpr SeedTable makeSeedTable()
{
    SeedTable table{};
    for (int val = 0; val < 256; ++val) {
        const bool inside = val == 255, partial = val >= 1 && val <= 254;
        const float coverage = static_cast<float>(val / 255.0);
        for (int s = 0; s < situations; ++s) {
            table.horiz[val][s] = inside ? unreachedDistance
                                         : partial && s == coverHorizontal ? coverage : 0.0f;
            table.vert[val][s] = inside ? unreachedDistance
                                        : partial && s == coverVertical ? coverage : 0.0f;
        }
    }
    return table;
}

constexpr SeedTable seedTable = makeSeedTable();

void writeSeed(uint8_t val, Situation situation, float& horiz, float& vert)
{
    horiz = seedTable.horiz[val][situation];
    vert = seedTable.vert[val][situation];
}

} // namespace

void scanSeeds(PixelView<const uint8_t> pixels, bool invertInput, PlaneView<float> distHoriz,
               PlaneView<float> distVert)
{
    // Inversion of a byte b is 255 - b, its bitwise complement.
    const uint8_t flip = invertInput ? 255 : 0;
    const int width = pixels.width, height = pixels.height, channels = pixels.channels;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.row(y);
        float* horiz = distHoriz.row(y);
        float* vert = distVert.row(y);
        if (y == 0 || y == height - 1 || width <= 2) {
            for (int x = 0; x < width; ++x)
                writeSeed(pixels.at(x, y)[0] ^ flip, onBorder, horiz[x], vert[x]);
            continue;
        }
        const uint8_t* rowAbove = pixels.row(y - 1);
        const uint8_t* rowBelow = pixels.row(y + 1);
        writeSeed(row[0] ^ flip, onBorder, horiz[0], vert[0]);
        for (int x = 1; x <= width - 2; ++x) {
            // The axis of the darkest neighbour, by the stored (never
            // inverted) values; ties go vertical.
            const size_t at = static_cast<size_t>(x) * channels;
            const bool horizontal = std::min(row[at - channels], row[at + channels]) <
                                    std::min(rowAbove[at], rowBelow[at]);
            writeSeed(row[at] ^ flip, static_cast<Situation>(coverVertical + horizontal), horiz[x], vert[x]);
        }
        writeSeed(pixels.at(width - 1, y)[0] ^ flip, onBorder, horiz[width - 1], vert[width - 1]);
    }
}
