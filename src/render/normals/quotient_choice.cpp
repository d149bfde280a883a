#include "render/normals/quotient_choice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "render/normals/round2.h"

namespace {

// A cone of heights 0 to 10 on a 24 x 24 field: pixels of radii 1 to 10,
// as in the strokes of text, with every lane of a group in use.
constexpr int fieldSize = 24;
constexpr float coneHeight = 10.0f;

Plane<float> coneHeights()
{
    Plane<float> heights(fieldSize, fieldSize);
    const float centre = (fieldSize - 1) / 2.0f;
    for (int y = 0; y < fieldSize; ++y)
        for (int x = 0; x < fieldSize; ++x)
            heights.at(x, y) = std::max(0.0f, coneHeight - std::hypot(x - centre, y - centre));
    return heights;
}

double secondsFor(const Round2Kernel& kernel, LengthQuotients quotients, std::vector<SurfaceNormal>& normals)
{
    const auto start = std::chrono::steady_clock::now();
    round2NormalsBlock(kernel, 1, fieldSize - 1, 1, fieldSize - 1, normals.data(), defaultLaneSet(), quotients);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of several alternating runs of each, so that a run that another
// process interrupts decides nothing.
LengthQuotients measureFaster()
{
    const Plane<float> heights = coneHeights();
    const Round2Kernel kernel = makeRound2Kernel(heights, RenderSettings{});
    std::vector<SurfaceNormal> normals(static_cast<size_t>(fieldSize) * fieldSize);
    double divider = HUGE_VAL, products = HUGE_VAL;
    for (int run = 0; run < 5; ++run) {
        divider = std::min(divider, secondsFor(kernel, LengthQuotients::Divider, normals));
        products = std::min(products, secondsFor(kernel, LengthQuotients::Products, normals));
    }
    return products < divider ? LengthQuotients::Products : LengthQuotients::Divider;
}

} // namespace

LengthQuotients bestLengthQuotients()
{
    static const LengthQuotients best = measureFaster();
    return best;
}
