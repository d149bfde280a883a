#include "render/normals_flat_round.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/kernel_radius.h"

namespace {

int32_t pixelRadius(const FlatRoundKernel& kernel, float centre)
{
    const int32_t radius = kernelRadius(centre, kernel.coverRadius);
    return kernel.flat ? std::min(radius, kernel.maxFlatRadius) : radius;
}

// The normal component of a mean slope t: -cos(atan2(1, t)), which is a tiny
// negative number rather than 0 for a level slope.
float normalComponent(float meanSlope)
{
    return -static_cast<float>(std::cos(std::atan2(1.0, static_cast<double>(meanSlope))));
}

} // namespace

FlatRoundKernel makeFlatRoundKernel(const float* heights, int width, int height,
                                    const OrmoloVals& vals)
{
    FlatRoundKernel kernel;
    kernel.flat = vals.slopeType == SLOPE_FLAT;
    kernel.maxFlatRadius = vals.maxNormalMapBlurRadius;
    kernel.coverRadius = regionCoverRadius(width, height);
    int32_t radius = largestKernelRadius(heights, width, height);
    if (kernel.flat)
        radius = std::min(radius, kernel.maxFlatRadius);
    kernel.shape = offsetTableShape(std::max(radius, 0), width, height);

    // Flat shortens the kernel length by (10 - depth) + 1, in float.
    const float flatFactor = (10.0f - vals.slopeDepthFlat) + 1.0f;
    const size_t size = kernel.shape.size();
    kernel.length.resize(size);
    kernel.cosine.resize(size);
    kernel.sine.resize(size);
    for (int ky = -kernel.shape.halfHeight; ky <= kernel.shape.halfHeight; ++ky) {
        for (int kx = -kernel.shape.halfWidth; kx <= kernel.shape.halfWidth; ++kx) {
            const size_t at = kernel.shape.index(kx, ky);
            const float ksq = static_cast<float>(int64_t{kx} * kx + int64_t{ky} * ky);
            const double root = std::sqrt(static_cast<double>(ksq));
            kernel.length[at] = kernel.flat ? static_cast<float>(root * static_cast<double>(flatFactor))
                                            : static_cast<float>(root);
            const float angle = static_cast<float>(std::atan2(static_cast<double>(ky), static_cast<double>(kx)));
            kernel.cosine[at] = std::cos(static_cast<double>(angle));
            kernel.sine[at] = std::sin(static_cast<double>(angle));
        }
    }
    return kernel;
}

SurfaceNormal flatRoundNormal(const FlatRoundKernel& kernel, const float* heights, int width,
                              int height, int x, int y)
{
    const float centre = heights[static_cast<size_t>(y) * width + x];
    const int32_t radius = pixelRadius(kernel, centre);
    float dx = 0.0f;
    float dy = 0.0f;
    float numx = 0.01f;
    float numy = 0.01f;
    if (radius >= 0) {
        const int64_t radiusSq = int64_t{radius} * radius;
        const OffsetRange rows = clippedOffsets(radius, y, height);
        const OffsetRange cols = clippedOffsets(radius, x, width);
        for (int32_t ky = rows.first; ky <= rows.last; ++ky) {
            const float* neighbourRow = heights + static_cast<size_t>(y + ky) * width + x;
            for (int32_t kx = cols.first; kx <= cols.last; ++kx) {
                if (int64_t{kx} * kx + int64_t{ky} * ky > radiusSq || (kx == 0 && ky == 0))
                    continue;
                const size_t at = kernel.shape.index(kx, ky);
                const float df = (neighbourRow[kx] - centre) / kernel.length[at];
                const double c = kernel.cosine[at];
                const double s = kernel.sine[at];
                dx = static_cast<float>(static_cast<double>(dx) + c * static_cast<double>(df));
                dy = static_cast<float>(static_cast<double>(dy) + static_cast<double>(df) * s);
                numx = static_cast<float>(static_cast<double>(numx) + std::fabs(c));
                numy = static_cast<float>(static_cast<double>(numy) + std::fabs(s));
            }
        }
    }
    return {normalComponent(dx / numx), normalComponent(dy / numy)};
}

void flatRoundNormalsRow(const FlatRoundKernel& kernel, const float* heights, int width, int height,
                         int y, int xBegin, int xEnd, SurfaceNormal* normals)
{
    const float* row = heights + static_cast<size_t>(y) * width;
    for (int x = xBegin; x < xEnd; ++x)
        if (row[x] > 0.0f)
            normals[x - xBegin] = flatRoundNormal(kernel, heights, width, height, x, y);
}
