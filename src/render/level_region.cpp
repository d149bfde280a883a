#include "render/level_region.h"

#include "render/normals/flat_round.h"
#include "render/normals/round2.h"

bool isLevelRegion(HeightField heights, float& level)
{
    if (heights.width <= 0 || heights.height <= 0)
        return false;
    const float first = heights.at(0, 0);
    for (int y = 0; y < heights.height; ++y) {
        const float* row = heights.row(y);
        for (int x = 0; x < heights.width; ++x)
            if (!(row[x] == first))
                return false;
    }
    level = first;
    return true;
}

SurfaceNormal levelNormal(float level, const RenderSettings& settings)
{
    // A 3 x 3 region: its centre is visited and sees eight neighbours.
    const int size = 3;
    float values[size * size];
    for (float& value : values)
        value = level;
    const HeightField field(values, size, size);
    if (settings.profile == SlopeProfile::round2)
        return round2Normal(makeRound2Kernel(field, settings), 1, 1);
    return flatRoundNormal(makeFlatRoundKernel(field, settings), 1, 1);
}
