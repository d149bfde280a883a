#include "render/probe_reflection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/random_stream.h"

namespace {

// Slightly below pi/2, so that a component of 1 keeps a sliver of spread.
constexpr double rimAngle = 1.5707963;

// Components lie in -1..1; a NaN counts as 0 (only degenerate depths make one).
double usableComponent(float component)
{
    if (std::isnan(component))
        return 0.0;
    return std::clamp(static_cast<double>(component), -1.0, 1.0);
}

// Truncation towards zero, saturated to the 32-bit range; NaN gives 0.
int32_t truncateSaturated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(INT32_MIN))
        return INT32_MIN;
    if (value >= static_cast<double>(INT32_MAX))
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

// The base probe coordinate along an axis of `size` pixels.
int32_t basePoint(int size, double component)
{
    return static_cast<int32_t>((static_cast<double>(size - 1) * 0.5) * (component * 0.99 + 1.0));
}

const uint8_t* probePixel(const ProbeImage& probe, int32_t column, int32_t row)
{
    column = std::clamp(column, 0, probe.width - 1);
    row = std::clamp(row, 0, probe.height - 1);
    return &probe.rgba[(static_cast<size_t>(row) * probe.width + column) * 4];
}

void writeSample(const ProbeImage& probe, const uint8_t* sample, uint8_t* pixel, int channels)
{
    pixel[0] = sample[0];
    pixel[1] = sample[1];
    pixel[2] = sample[2];
    if (channels == 4)
        pixel[3] = probe.hasAlpha ? sample[3] : 255;
}

double unitDraw(uint64_t position)
{
    return static_cast<double>(static_cast<float>(randomDrawAt(position)) / 32767.0f);
}

} // namespace

bool probeIsBlurred(double specularity)
{
    return specularity < 1.0;
}

int32_t jitterRadius(const ProbeImage& probe, SurfaceNormal normal, double specularity)
{
    const double spread = 1.0 - specularity * specularity;
    const double a = (static_cast<double>(probe.width) * spread) * std::cos(usableComponent(normal.nx) * rimAngle);
    const double b = (spread * static_cast<double>(probe.height)) * std::cos(usableComponent(normal.ny) * rimAngle);
    return a < b ? truncateSaturated(a) : truncateSaturated(b);
}

void reflectOutside(const ProbeImage& probe, uint8_t* pixel, int channels)
{
    writeSample(probe, probePixel(probe, 0, 0), pixel, channels);
}

void reflectInside(const ProbeImage& probe, SurfaceNormal normal, double specularity,
                   uint64_t firstDraw, uint8_t* pixel, int channels)
{
    const int32_t baseColumn = basePoint(probe.width, usableComponent(normal.nx));
    const int32_t baseRow = basePoint(probe.height, usableComponent(normal.ny));
    if (!probeIsBlurred(specularity)) {
        writeSample(probe, probePixel(probe, baseColumn, baseRow), pixel, channels);
        return;
    }
    const double radius = jitterRadius(probe, normal, specularity);
    int32_t sums[4] = {0, 0, 0, 0};
    for (uint64_t draw = firstDraw; draw < firstDraw + drawsPerBlurredPixel; draw += 2) {
        const double rowDraw = unitDraw(draw);
        const double columnDraw = unitDraw(draw + 1);
        const int32_t column = truncateSaturated(baseColumn + (columnDraw - 0.5) * radius);
        const int32_t row = truncateSaturated(baseRow + (rowDraw - 0.5) * radius);
        const uint8_t* sample = probePixel(probe, column, row);
        for (int c = 0; c < 4; ++c)
            sums[c] += sample[c];
    }
    const uint8_t mean[4] = {static_cast<uint8_t>(sums[0] >> 3), static_cast<uint8_t>(sums[1] >> 3),
                             static_cast<uint8_t>(sums[2] >> 3), static_cast<uint8_t>(sums[3] >> 3)};
    writeSample(probe, mean, pixel, channels);
}
