#include "render/wrapped_heights.h"

#include <algorithm>
#include <climits>
#include <new>

#include "render/normals/kernel_radius.h"

namespace {

// i modulo size, in 0..size-1 for any i, negative ones included.
int wrappedIndex(int64_t i, int size)
{
    const int64_t rest = i % size;
    return static_cast<int>(rest < 0 ? rest + size : rest);
}

} // namespace

int32_t tileMargin(HeightField tile, const RenderSettings& settings)
{
    const float highest = highestHeight(tile, 0);
    if (!(highest > 0.0f))
        return 0;
    int32_t radius = kernelRadius(highest, regionCoverRadius(tile.width, tile.height));
    if (settings.profile == SlopeProfile::flat)
        radius = std::min(radius, settings.maxFlatRadius);
    return std::max(radius, 0);
}

void wrapHeights(HeightField tile, int32_t margin, Plane<float>& field)
{
    const int64_t width = tile.width + 2 * int64_t{margin}, height = tile.height + 2 * int64_t{margin};
    if (width > INT_MAX || height > INT_MAX)
        throw std::bad_alloc();
    field.reshape(static_cast<int>(width), static_cast<int>(height));
    for (int y = 0; y < field.height; ++y) {
        const float* source = tile.row(wrappedIndex(int64_t{y} - margin, tile.height));
        float* row = field.row(y);
        // Runs of the tile's row, the first from the column that lies
        // `margin` columns before column 0.
        int x = wrappedIndex(-int64_t{margin}, tile.width);
        for (int column = 0; column < field.width;) {
            const int run = std::min(tile.width - x, field.width - column);
            std::copy_n(source + x, run, row + column);
            column += run;
            x = 0;
        }
    }
}
