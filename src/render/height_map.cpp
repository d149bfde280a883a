#include "render/height_map.h"

#include <algorithm>
#include <cassert>
#include <cmath>

double surfaceHeight(float height, const RenderSettings& settings)
{
    if (!(height > 0.0f))
        return 0.0;
    switch (settings.profile) {
    case SlopeProfile::round2:
        return static_cast<double>(settings.depthRound2) * std::sqrt(static_cast<double>(height));
    case SlopeProfile::flat:
        // The Flat normals divide each height difference by the kernel
        // length times this factor, formed in float.
        return static_cast<double>(height) / static_cast<double>((10.0f - settings.depthFlat) + 1.0f);
    case SlopeProfile::round:
    case SlopeProfile::roundOverDistance:
        break;
    }
    return height;
}

double largestSurfaceHeight(HeightField heights, const RenderSettings& settings)
{
    double largest = 0.0;
    const int frame = unvisitedFrame(settings.tile);
    for (int y = frame; y < heights.height - frame; ++y) {
        const float* row = heights.row(y);
        for (int x = frame; x < heights.width - frame; ++x) {
            const double height = surfaceHeight(row[x], settings);
            if (std::isfinite(height))
                largest = std::max(largest, height);
        }
    }
    return largest;
}

void writeHeightMap(HeightField heights, const RenderSettings& settings, double scale,
                    PlaneView<uint16_t> heightMap)
{
    assert(scale > 0.0 && heightMap.width == heights.width && heightMap.height == heights.height);
    for (int y = 0; y < heights.height; ++y) {
        const float* row = heights.row(y);
        uint16_t* out = heightMap.row(y);
        for (int x = 0; x < heights.width; ++x) {
            const double steps = surfaceHeight(row[x], settings) / scale * 65535.0;
            // Written so that a NaN lands on 0.
            out[x] = steps >= 65535.0 ? 65535 : steps > 0.0 ? static_cast<uint16_t>(std::floor(steps + 0.5)) : 0;
        }
    }
}
