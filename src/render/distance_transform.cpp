#include "render/distance_transform.h"

#include <cmath>
#include <cstddef>

namespace {

struct Vec {
    float h;
    float v;
};

float squaredLength(Vec a)
{
    return a.h * a.h + a.v * a.v;
}

// Offers three lengthened neighbour vectors to the pixel, in priority order:
// strict comparisons keep the earlier candidate on ties, and the pixel keeps
// its own vector unless a candidate is strictly shorter.
void relax(float& h, float& v, Vec first, Vec second, Vec third)
{
    if (!(h > 0.0f) && !(v > 0.0f))
        return;
    Vec best = first;
    float bestSq = squaredLength(first);
    const float secondSq = squaredLength(second);
    if (bestSq > secondSq) {
        best = second;
        bestSq = secondSq;
    }
    const float thirdSq = squaredLength(third);
    if (bestSq > thirdSq) {
        best = third;
        bestSq = thirdSq;
    }
    if (h * h + v * v > bestSq) {
        h = best.h;
        v = best.v;
    }
}

} // namespace

void propagateForward(float* distHoriz, float* distVert, int width, int height,
                      const ProgressFn& progress)
{
    for (int y = 1; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        const size_t above = row - width;
        for (int x = 1; x <= width - 2; ++x) {
            relax(distHoriz[row + x], distVert[row + x],
                  {distHoriz[row + x - 1] + 1.0f, distVert[row + x - 1]},
                  {distHoriz[above + x], distVert[above + x] + 1.0f},
                  {distHoriz[above + x + 1] + 1.0f, distVert[above + x + 1] + 1.0f});
        }
        reportRow(progress, 0.05, 0.15, y, height);
    }
}

void propagateBackward(float* distHoriz, float* distVert, int width, int height,
                       const ProgressFn& progress)
{
    for (int y = height - 2; y >= 0; --y) {
        const size_t row = static_cast<size_t>(y) * width;
        const size_t below = row + width;
        for (int x = width - 2; x >= 1; --x) {
            relax(distHoriz[row + x], distVert[row + x],
                  {distHoriz[row + x + 1] + 1.0f, distVert[row + x + 1]},
                  {distHoriz[below + x], distVert[below + x] + 1.0f},
                  {distHoriz[below + x - 1] + 1.0f, distVert[below + x - 1] + 1.0f});
        }
        reportRow(progress, 0.2, 0.15, y, height);
    }
}

void computeDistanceField(const float* distHoriz, const float* distVert, float* distDiag,
                          int width, int height, const ProgressFn& progress)
{
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const float h = distHoriz[row + x];
            const float v = distVert[row + x];
            distDiag[row + x] = static_cast<float>(std::sqrt(static_cast<double>(h * h + v * v)));
        }
        reportRow(progress, 0.35, 0.15, y, height);
    }
}
