#include "render/normals/round2.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/normals/disc_rows.h"
#include "render/normals/kernel_radius.h"

namespace {

float rootOfSum(float sum)
{
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

} // namespace

Round2Kernel makeRound2Kernel(HeightField heights, const RenderSettings& settings)
{
    Round2Kernel kernel;
    remakeRound2Kernel(kernel, heights, settings, regionCoverRadius(heights.width, heights.height));
    return kernel;
}

void remakeRound2Kernel(Round2Kernel& kernel, HeightField heights, const RenderSettings& settings,
                        int32_t coverRadius)
{
    kernel.heights = heights;
    kernel.depth = settings.depthRound2;
    kernel.coverRadius = coverRadius;
    const int32_t radius = largestKernelRadius(heights, coverRadius);
    const OffsetTableShape shape = offsetTableShape(std::max(radius, 0), heights.width, heights.height);
    kernel.quadrant = {shape.halfWidth, shape.halfHeight};
    kernel.length.resize(kernel.quadrant.size());
    kernel.reciprocalLength.resize(kernel.quadrant.size());
    for (int ky = 0; ky <= kernel.quadrant.halfHeight; ++ky)
        for (int kx = 0; kx <= kernel.quadrant.halfWidth; ++kx) {
            const size_t at = kernel.quadrant.rowStart(ky) + kx;
            kernel.length[at] = rootOfSum(static_cast<float>(int64_t{kx} * kx + int64_t{ky} * ky));
            kernel.reciprocalLength[at] = 1.0 / static_cast<double>(kernel.length[at]);
        }
    kernel.rootHeight.reshape(heights.width, heights.height);
    const size_t count = heights.count();
    for (size_t i = 0; i < count; ++i)
        kernel.rootHeight.data[i] = std::sqrt(static_cast<double>(heights.data[i]));
}

int32_t round2WindowHalfWidth(int32_t radius)
{
    if (radius <= 5)
        return radius;
    const int32_t trim = radius / 6;
    return radius - radius % trim;
}

FacetNormalSum round2FacetSum(const Round2Kernel& kernel, int x, int y)
{
    const int32_t radius = kernelRadius(kernel.heights.at(x, y), kernel.coverRadius);
    const int32_t window = round2WindowHalfWidth(radius);
    const double centreRoot = kernel.rootHeight.at(x, y);
    const OffsetRange rows = clippedOffsets(window, y, kernel.heights.height);
    float nx = 0.0f;
    float ny = 0.0f;
    float nz = 0.0f;
    for (int32_t ky = rows.first; ky <= rows.last; ++ky) {
        // The disc of the radius, trimmed to the window.
        const OffsetRange cols =
            clippedOffsets(std::min(window, discHalfWidth(radius, ky)), x, kernel.heights.width);
        const double* neighbourRoots = kernel.rootHeight.row(y + ky) + x;
        const float* lengths = kernel.length.data() + kernel.quadrant.rowStart(ky);
        for (int32_t kx = cols.first; kx <= cols.last; ++kx) {
            if (kx == 0 && ky == 0)
                continue;
            const float klen = lengths[kx < 0 ? -kx : kx];
            const float df = static_cast<float>((neighbourRoots[kx] - centreRoot) * kernel.depth);
            const float lnx = (static_cast<float>(kx) * -df) / klen;
            const float lny = (static_cast<float>(ky) * -df) / klen;
            const float lnz = klen;
            const float facetLength = rootOfSum((lnx * lnx + lny * lny) + lnz * lnz);
            nx += lnx / facetLength;
            ny += lny / facetLength;
            nz += lnz / facetLength;
        }
    }
    return {nx, ny, nz};
}

SurfaceNormal round2NormalOfSum(const FacetNormalSum& sum)
{
    const float length = rootOfSum((sum.nx * sum.nx + sum.ny * sum.ny) + sum.nz * sum.nz);
    return {sum.nx / length, sum.ny / length, sum.nx, sum.ny, sum.nz};
}

SurfaceNormal round2Normal(const Round2Kernel& kernel, int x, int y)
{
    return round2NormalOfSum(round2FacetSum(kernel, x, y));
}
