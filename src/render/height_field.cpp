#include "render/height_field.h"

#include <cmath>

void applyHeightProfile(PlaneView<float> distDiag, const RenderSettings& settings)
{
    if (settings.profile != SlopeProfile::round)
        return;
    const double depth = settings.depthRound;
    const size_t count = distDiag.count();
    for (size_t i = 0; i < count; ++i)
        distDiag.data[i] = static_cast<float>(std::sqrt(static_cast<double>(distDiag.data[i])) * depth);
}
