#include "render/height_field.h"

#include <cmath>

void applyHeightProfile(float* distDiag, size_t count, const OrmoloVals& vals)
{
    if (vals.slopeType != SLOPE_ROUND)
        return;
    const double depth = vals.slopeDepthRound;
    for (size_t i = 0; i < count; ++i)
        distDiag[i] = static_cast<float>(std::sqrt(static_cast<double>(distDiag[i])) * depth);
}
