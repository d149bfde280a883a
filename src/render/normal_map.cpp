#include "render/normal_map.h"

#include <cmath>

namespace {

// Normal components lie in -1..1; a NaN, which only degenerate depths can
// produce, counts as 0 so that every conversion below stays defined.
float usableComponent(float component)
{
    if (std::isnan(component))
        return 0.0f;
    return std::fmin(std::fmax(component, -1.0f), 1.0f);
}

uint8_t encodeAxis(float component)
{
    return static_cast<uint8_t>(static_cast<int32_t>(component * 127.0f) + 127);
}

} // namespace

void encodeNormal(SurfaceNormal normal, bool flipY, uint8_t* pixel, int channels)
{
    const float nx = usableComponent(normal.nx);
    const float ny = usableComponent(normal.ny);
    const double tilt = (1.0 - std::sqrt(static_cast<double>(nx * nx + ny * ny))) * 127.0;
    pixel[0] = encodeAxis(nx);
    // Negating a float is exact and truncation is symmetric about zero, so
    // green then holds exactly 254 minus the unflipped green.
    pixel[1] = encodeAxis(flipY ? -ny : ny);
    pixel[2] = static_cast<uint8_t>(static_cast<int32_t>(tilt) + 127);
    if (channels == 4)
        pixel[3] = 255;
}

void encodeOutside(uint8_t* pixel, int channels)
{
    pixel[0] = 127;
    pixel[1] = 127;
    pixel[2] = 255;
    if (channels == 4)
        pixel[3] = 255;
}
