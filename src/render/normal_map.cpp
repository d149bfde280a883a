#include "render/normal_map.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

// Normal components lie in -1..1; a NaN, which only degenerate depths can
// produce, counts as 0 so that every conversion below stays defined.
float usableComponent(float component)
{
    if (std::isnan(component))
        return 0.0f;
    return std::fmin(std::fmax(component, -1.0f), 1.0f);
}

// A component of the unit normal, -1..1, as round((c + 1) / 2 * M).
template <class Sample>
Sample unitSample(double component)
{
    constexpr double largest = std::numeric_limits<Sample>::max();
    return static_cast<Sample>(std::floor((component + 1.0) * 0.5 * largest + 0.5));
}

// An `along` component as a finite number: infinite slopes lie at the
// largest float, and a NaN has no direction.
double finiteComponent(float component)
{
    if (std::isnan(component))
        return 0.0;
    return std::fmin(std::fmax(component, -FLT_MAX), FLT_MAX);
}

template <class Sample>
void storeFlat(Sample* pixel)
{
    pixel[0] = pixel[1] = unitSample<Sample>(0.0);
    pixel[2] = unitSample<Sample>(1.0);
}

template <class Sample>
void storeUnit(SurfaceNormal normal, bool flipY, Sample* pixel, int channels)
{
    // Squares of floats stay far inside the double range.
    const double x = finiteComponent(normal.alongX);
    const double y = finiteComponent(normal.alongY);
    const double z = finiteComponent(normal.alongZ);
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0) {
        pixel[0] = unitSample<Sample>(x / length);
        pixel[1] = unitSample<Sample>((flipY ? -y : y) / length);
        pixel[2] = unitSample<Sample>(z / length);
    } else {
        storeFlat(pixel);
    }
    if (channels == 4)
        pixel[3] = std::numeric_limits<Sample>::max();
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

void encodeUnitNormal(SurfaceNormal normal, bool flipY, uint8_t* pixel, int channels)
{
    storeUnit(normal, flipY, pixel, channels);
}

void encodeUnitNormal(SurfaceNormal normal, bool flipY, uint16_t* pixel, int channels)
{
    storeUnit(normal, flipY, pixel, channels);
}

void encodeFlatNormal(uint8_t* pixel)
{
    storeFlat(pixel);
}

void encodeFlatNormal(uint16_t* pixel)
{
    storeFlat(pixel);
}
