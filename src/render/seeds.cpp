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

// The axis of the darkest neighbour, by the stored (never inverted) values;
// ties go vertical.
Situation coverAxis(uint8_t left, uint8_t right, uint8_t above, uint8_t below)
{
    return static_cast<Situation>(coverVertical + (std::min(left, right) < std::min(above, below)));
}

} // namespace

void scanSeeds(PixelView<const uint8_t> pixels, bool invertInput, PlaneView<float> distHoriz,
               PlaneView<float> distVert, bool wrap)
{
    // Inversion of a byte b is 255 - b, its bitwise complement.
    const uint8_t flip = invertInput ? 255 : 0;
    const int width = pixels.width, height = pixels.height, channels = pixels.channels;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.row(y);
        float* horiz = distHoriz.row(y);
        float* vert = distVert.row(y);
        if (!wrap && (y == 0 || y == height - 1 || width <= 2)) {
            for (int x = 0; x < width; ++x)
                writeSeed(pixels.at(x, y)[0] ^ flip, onBorder, horiz[x], vert[x]);
            continue;
        }
        const uint8_t* rowAbove = pixels.row(y == 0 ? height - 1 : y - 1);
        const uint8_t* rowBelow = pixels.row(y == height - 1 ? 0 : y + 1);
        // The first and last columns: on the border, or with their side
        // neighbours across the opposite edge.
        const auto classifyEdge = [&](int x) {
            const Situation situation =
                wrap ? coverAxis(pixels.at(x == 0 ? width - 1 : x - 1, y)[0],
                                 pixels.at(x == width - 1 ? 0 : x + 1, y)[0], rowAbove[x * channels],
                                 rowBelow[x * channels])
                     : onBorder;
            writeSeed(pixels.at(x, y)[0] ^ flip, situation, horiz[x], vert[x]);
        };
        classifyEdge(0);
        for (int x = 1; x <= width - 2; ++x) {
            const size_t at = static_cast<size_t>(x) * channels;
            writeSeed(row[at] ^ flip,
                      coverAxis(row[at - channels], row[at + channels], rowAbove[at], rowBelow[at]),
                      horiz[x], vert[x]);
        }
        if (width > 1)
            classifyEdge(width - 1);
    }
}
