#include "render/normals/flat_round.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/normals/disc_rows.h"
#include "render/normals/kernel_radius.h"

namespace {

// The weight sums of a whole disc, walked in the estimate's order.
DiscWeights sumDiscWeights(const FlatRoundKernel& kernel, int32_t radius)
{
    DiscWeights sum{0.01f, 0.01f};
    for (int32_t ky = -radius; ky <= radius; ++ky) {
        const int32_t reach = discHalfWidth(radius, ky);
        const double* cosines = kernel.cosine.data() + kernel.shape.index(0, ky);
        const double* sines = kernel.sine.data() + kernel.shape.index(0, ky);
        for (int32_t kx = -reach; kx <= reach; ++kx) {
            if (kx == 0 && ky == 0)
                continue;
            sum.x = static_cast<float>(static_cast<double>(sum.x) + std::fabs(cosines[kx]));
            sum.y = static_cast<float>(static_cast<double>(sum.y) + std::fabs(sines[kx]));
        }
    }
    return sum;
}

bool discInside(int32_t radius, int x, int y, HeightField heights)
{
    return x >= radius && y >= radius && int64_t{x} + radius < heights.width &&
           int64_t{y} + radius < heights.height;
}

// The weight sums of every radius that some visited inside pixel with a
// whole disc uses.
void fillWholeDiscWeights(FlatRoundKernel& kernel)
{
    const HeightField heights = kernel.heights;
    std::vector<bool> used;
    for (int y = 1; y <= heights.height - 2; ++y) {
        const float* row = heights.row(y);
        for (int x = 1; x <= heights.width - 2; ++x) {
            if (!(row[x] > 0.0f))
                continue;
            const int32_t radius = flatRoundRadius(kernel, row[x]);
            if (radius < 0 || !discInside(radius, x, y, heights))
                continue;
            if (used.size() <= static_cast<size_t>(radius))
                used.resize(static_cast<size_t>(radius) + 1);
            used[radius] = true;
        }
    }
    kernel.wholeDisc.assign(used.size(), DiscWeights{-1.0f, -1.0f});
    for (size_t radius = 0; radius < used.size(); ++radius)
        if (used[radius])
            kernel.wholeDisc[radius] = sumDiscWeights(kernel, static_cast<int32_t>(radius));
}

float componentByAngle(float meanSlope)
{
    return -static_cast<float>(std::cos(std::atan2(1.0, static_cast<double>(meanSlope))));
}

// cos(atan2(1, t)) is t / sqrt(1 + t*t). That closed form, in double, lies
// within 4.5e-16 of the true value, and the libm evaluation within 5.6e-16
// (atan2 and cos each within one ulp). Rounding is monotonic, so when the
// whole window of +-4e-15 around the closed form rounds to one float, the
// libm evaluation rounds to it too. Only values near a rounding boundary,
// mostly tiny slopes, take the slow evaluation. Checked over every float.
bool componentByClosedForm(float meanSlope, float& component)
{
    const double slope = meanSlope;
    const double value = slope / std::sqrt(1.0 + slope * slope);
    constexpr double margin = 4e-15;
    const float rounded = static_cast<float>(value - margin);
    if (rounded != static_cast<float>(value + margin))
        return false;
    component = -rounded;
    return true;
}

} // namespace

FlatRoundKernel makeFlatRoundKernel(HeightField heights, const RenderSettings& settings)
{
    return makeFlatRoundKernel(heights, settings, regionCoverRadius(heights.width, heights.height));
}

FlatRoundKernel makeFlatRoundKernel(HeightField heights, const RenderSettings& settings, int32_t coverRadius)
{
    FlatRoundKernel kernel;
    kernel.heights = heights;
    kernel.flat = settings.profile == SlopeProfile::flat;
    kernel.maxFlatRadius = settings.maxFlatRadius;
    kernel.coverRadius = coverRadius;
    int32_t radius = largestKernelRadius(heights, coverRadius);
    if (kernel.flat)
        radius = std::min(radius, kernel.maxFlatRadius);
    kernel.shape = offsetTableShape(std::max(radius, 0), heights.width, heights.height);

    // Flat shortens the kernel length by (10 - depth) + 1, in float.
    const float flatFactor = (10.0f - settings.depthFlat) + 1.0f;
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
    fillWholeDiscWeights(kernel);
    return kernel;
}

int32_t flatRoundRadius(const FlatRoundKernel& kernel, float centre)
{
    const int32_t radius = kernelRadius(centre, kernel.coverRadius);
    return kernel.flat ? std::min(radius, kernel.maxFlatRadius) : radius;
}

const DiscWeights* wholeDiscWeights(const FlatRoundKernel& kernel, int32_t radius, int x, int y)
{
    if (radius < 0 || static_cast<size_t>(radius) >= kernel.wholeDisc.size() ||
        kernel.wholeDisc[radius].x < 0.0f || !discInside(radius, x, y, kernel.heights))
        return nullptr;
    return &kernel.wholeDisc[radius];
}

float flatRoundComponent(float meanSlope)
{
    // A level neighbourhood gives the tiny negative cosine of pi/2.
    static const float levelComponent = componentByAngle(0.0f);
    if (meanSlope == 0.0f)
        return levelComponent;
    float component;
    if (componentByClosedForm(meanSlope, component))
        return component;
    return componentByAngle(meanSlope);
}

SurfaceNormal flatRoundNormalOfSlopes(float meanSlopeX, float meanSlopeY)
{
    return {flatRoundComponent(meanSlopeX), flatRoundComponent(meanSlopeY), -meanSlopeX, -meanSlopeY, 1.0f};
}

SurfaceNormal flatRoundNormal(const FlatRoundKernel& kernel, int x, int y)
{
    const HeightField heights = kernel.heights;
    const float centre = heights.at(x, y);
    const int32_t radius = flatRoundRadius(kernel, centre);
    const DiscWeights* whole = wholeDiscWeights(kernel, radius, x, y);
    float dx = 0.0f;
    float dy = 0.0f;
    DiscWeights weights{0.01f, 0.01f};
    const OffsetRange rows = clippedOffsets(radius, y, heights.height);
    for (int32_t ky = rows.first; ky <= rows.last; ++ky) {
        const OffsetRange cols = clippedOffsets(discHalfWidth(radius, ky), x, heights.width);
        const float* neighbours = heights.row(y + ky) + x;
        const size_t tableRow = kernel.shape.index(0, ky);
        const float* lengths = kernel.length.data() + tableRow;
        const double* cosines = kernel.cosine.data() + tableRow;
        const double* sines = kernel.sine.data() + tableRow;
        for (int32_t kx = cols.first; kx <= cols.last; ++kx) {
            if (kx == 0 && ky == 0)
                continue;
            const float df = (neighbours[kx] - centre) / lengths[kx];
            const double c = cosines[kx];
            const double s = sines[kx];
            dx = static_cast<float>(static_cast<double>(dx) + c * static_cast<double>(df));
            dy = static_cast<float>(static_cast<double>(dy) + static_cast<double>(df) * s);
            if (!whole) {
                weights.x = static_cast<float>(static_cast<double>(weights.x) + std::fabs(c));
                weights.y = static_cast<float>(static_cast<double>(weights.y) + std::fabs(s));
            }
        }
    }
    if (whole)
        weights = *whole;
    return flatRoundNormalOfSlopes(dx / weights.x, dy / weights.y);
}
