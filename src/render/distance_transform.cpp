#include "render/distance_transform.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// Each pass relaxes a pixel against three lengthened neighbour vectors: the
// side one (the pixel just visited in the same row) and two from the row
// visited before (straight across and diagonal). Only the side candidate
// chains the pixels of a row, so everything else is prepared for the whole
// row first, in a loop without dependencies that the compiler vectorizes.
namespace {

// Per column: what the pixel becomes when the side candidate does not win,
// and the squared length that the side candidate must stay below to win.
struct PreparedRow {
    std::vector<float> h, v, sideLimit;
    explicit PreparedRow(int width) : h(width), v(width), sideLimit(width) {}
};

// The next float above a positive finite `length`: s <= length exactly when
// s < nextAbove(length).
float nextAbove(float length)
{
    uint32_t bits;
    std::memcpy(&bits, &length, sizeof bits);
    ++bits;
    std::memcpy(&length, &bits, sizeof bits);
    return length;
}

// `step` is +1 in the forward pass and -1 in the backward pass: the side
// neighbour lies at x - step, the diagonal one at x + step in `across`.
// Equal lengths keep the earlier candidate (side, then straight across,
// then diagonal), and the pixel keeps its vector unless a candidate is
// strictly shorter. So the side candidate wins exactly when it is no longer
// than the better row candidate and strictly shorter than the pixel's own
// vector; otherwise the pixel takes what it would without it. Every
// candidate is at least 1 long, so outside pixels (0, 0) and partly covered
// seeds (shorter than 1) never change.
template <int step>
void prepareRow(const float* __restrict acrossH, const float* __restrict acrossV,
                const float* __restrict ownH, const float* __restrict ownV, int width,
                PreparedRow& out)
{
    float* __restrict outH = out.h.data();
    float* __restrict outV = out.v.data();
    float* __restrict outLimit = out.sideLimit.data();
    for (int x = 1; x <= width - 2; ++x) {
        const float h2 = acrossH[x], v2 = acrossV[x] + 1.0f;
        const float h3 = acrossH[x + step] + 1.0f, v3 = acrossV[x + step] + 1.0f;
        const float s2 = h2 * h2 + v2 * v2;
        const float s3 = h3 * h3 + v3 * v3;
        const bool diagonal = s2 > s3;
        const float bestH = diagonal ? h3 : h2, bestV = diagonal ? v3 : v2;
        const float bestLength = diagonal ? s3 : s2;
        const float ownLength = ownH[x] * ownH[x] + ownV[x] * ownV[x];
        const bool replace = ownLength > bestLength;
        outH[x] = replace ? bestH : ownH[x];
        outV[x] = replace ? bestV : ownV[x];
        const float aboveBest = nextAbove(bestLength);
        outLimit[x] = ownLength < aboveBest ? ownLength : aboveBest;
    }
}

// One comparison per pixel on the chain through the side neighbour.
template <int step>
void relaxRow(float* __restrict h, float* __restrict v, int width, const PreparedRow& prepared)
{
    if (width <= 2)
        return;  // no inner column
    const float* __restrict preparedH = prepared.h.data();
    const float* __restrict preparedV = prepared.v.data();
    const float* __restrict sideLimit = prepared.sideLimit.data();
    const int first = step > 0 ? 1 : width - 2;
    const int end = step > 0 ? width - 1 : 0;
    float sideH = h[first - step], sideV = v[first - step];
    for (int x = first; x != end; x += step) {
        const float h1 = sideH + 1.0f;
        const float s1 = h1 * h1 + sideV * sideV;
        if (s1 < sideLimit[x]) {
            sideH = h1;
        } else {
            sideH = preparedH[x];
            sideV = preparedV[x];
        }
        h[x] = sideH;
        v[x] = sideV;
    }
}

} // namespace

void propagateForward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress)
{
    const int width = distHoriz.width, height = distHoriz.height;
    PreparedRow prepared(width);
    for (int y = 1; y < height; ++y) {
        prepareRow<1>(distHoriz.row(y - 1), distVert.row(y - 1), distHoriz.row(y), distVert.row(y),
                      width, prepared);
        relaxRow<1>(distHoriz.row(y), distVert.row(y), width, prepared);
        reportRow(progress, 0.05, 0.15, y, height);
    }
}

void propagateBackward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress)
{
    const int width = distHoriz.width, height = distHoriz.height;
    PreparedRow prepared(width);
    for (int y = height - 2; y >= 0; --y) {
        prepareRow<-1>(distHoriz.row(y + 1), distVert.row(y + 1), distHoriz.row(y), distVert.row(y),
                       width, prepared);
        relaxRow<-1>(distHoriz.row(y), distVert.row(y), width, prepared);
        reportRow(progress, 0.2, 0.15, y, height);
    }
}

void computeDistanceField(PlaneView<float> distHoriz, PlaneView<const float> distVert, const ProgressFn& progress)
{
    for (int y = 0; y < distHoriz.height; ++y) {
        float* __restrict field = distHoriz.row(y);
        const float* __restrict vert = distVert.row(y);
        for (int x = 0; x < distHoriz.width; ++x) {
            const float h = field[x];
            const float v = vert[x];
            field[x] = static_cast<float>(std::sqrt(static_cast<double>(h * h + v * v)));
        }
        reportRow(progress, 0.35, 0.15, y, distHoriz.height);
    }
}
