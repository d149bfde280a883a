#include "render/level_region.h"

#include <cstddef>

#include "render/normals/flat_round.h"
#include "render/normals/round2.h"

bool isLevelRegion(const float* heights, int width, int height, float& level)
{
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (count == 0)
        return false;
    for (size_t i = 1; i < count; ++i)
        if (!(heights[i] == heights[0]))
            return false;
    level = heights[0];
    return level == level;
}

SurfaceNormal levelNormal(float level, const OrmoloVals& vals)
{
    // A 3 x 3 region: its centre is visited and sees eight neighbours.
    const int size = 3;
    float field[size * size];
    for (float& value : field)
        value = level;
    if (vals.slopeType == SLOPE_ROUND2)
        return round2Normal(makeRound2Kernel(field, size, size, vals), field, size, size, 1, 1);
    return flatRoundNormal(makeFlatRoundKernel(field, size, size, vals), field, size, size, 1, 1);
}
