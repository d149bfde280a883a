#include "render/distance_transform.h"

#include <algorithm>
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

// One column, from its neighbours straight across and diagonally across in
// the row visited before and its own vector.
// Equal lengths keep the earlier candidate (side, then straight across,
// then diagonal), and the pixel keeps its vector unless a candidate is
// strictly shorter. So the side candidate wins exactly when it is no longer
// than the better row candidate and strictly shorter than the pixel's own
// vector; otherwise the pixel takes what it would without it. Every
// candidate is at least 1 long, so outside pixels (0, 0) and partly covered
// seeds (shorter than 1) never change.
inline void preparePixel(float straightH, float straightV, float diagonalH, float diagonalV, float ownH,
                         float ownV, float& outH, float& outV, float& outLimit)
{
    const float h2 = straightH, v2 = straightV + 1.0f;
    const float h3 = diagonalH + 1.0f, v3 = diagonalV + 1.0f;
    const float s2 = h2 * h2 + v2 * v2;
    const float s3 = h3 * h3 + v3 * v3;
    const bool diagonal = s2 > s3;
    const float bestH = diagonal ? h3 : h2, bestV = diagonal ? v3 : v2;
    const float bestLength = diagonal ? s3 : s2;
    const float ownLength = ownH * ownH + ownV * ownV;
    const bool replace = ownLength > bestLength;
    outH = replace ? bestH : ownH;
    outV = replace ? bestV : ownV;
    const float aboveBest = nextAbove(bestLength);
    outLimit = ownLength < aboveBest ? ownLength : aboveBest;
}

// Columns first..last. `step` is +1 in the forward pass and -1 in the
// backward pass: the side neighbour lies at x - step, the diagonal one at
// x + step in `across`, which must hold that column too.
// Inlined into each pass: the one copy that the plain and the wrapped
// backward passes shared was not vectorised, and took the plain backward
// pass to twice its time.
template <int step>
[[gnu::always_inline]] inline void prepareRow(const float* __restrict acrossH, const float* __restrict acrossV,
                                              const float* __restrict ownH, const float* __restrict ownV,
                                              int first, int last, PreparedRow& out)
{
    float* __restrict outH = out.h.data();
    float* __restrict outV = out.v.data();
    float* __restrict outLimit = out.sideLimit.data();
    for (int x = first; x <= last; ++x)
        preparePixel(acrossH[x], acrossV[x], acrossH[x + step], acrossV[x + step], ownH[x], ownV[x], outH[x],
                     outV[x], outLimit[x]);
}

// Every column of a row of a tile. The last column in pass order has its
// diagonal neighbour across the opposite edge: the first column in pass
// order.
template <int step>
void prepareWrappedRow(const float* acrossH, const float* acrossV, const float* ownH, const float* ownV,
                       int width, PreparedRow& out)
{
    const int first = step > 0 ? 0 : width - 1;
    const int last = width - 1 - first;
    prepareRow<step>(acrossH, acrossV, ownH, ownV, step > 0 ? 0 : 1, step > 0 ? width - 2 : width - 1, out);
    preparePixel(acrossH[last], acrossV[last], acrossH[first], acrossV[first], ownH[last], ownV[last],
                 out.h[last], out.v[last], out.sideLimit[last]);
}

// One comparison per pixel on the chain through the side neighbour: (sideH,
// sideV), the vector of the pixel visited just before column x, becomes
// column x's.
inline void relaxPixel(float& sideH, float& sideV, const PreparedRow& prepared, int x)
{
    const float h1 = sideH + 1.0f;
    const float s1 = h1 * h1 + sideV * sideV;
    if (s1 < prepared.sideLimit[x]) {
        sideH = h1;
    } else {
        sideH = prepared.h[x];
        sideV = prepared.v[x];
    }
}

// The inner columns of a row, chained from its fixed border column.
template <int step>
void relaxRow(float* __restrict h, float* __restrict v, int width, const PreparedRow& prepared)
{
    if (width <= 2)
        return;  // no inner column
    const int first = step > 0 ? 1 : width - 2;
    const int end = step > 0 ? width - 1 : 0;
    float sideH = h[first - step], sideV = v[first - step];
    for (int x = first; x != end; x += step) {
        relaxPixel(sideH, sideV, prepared, x);
        h[x] = sideH;
        v[x] = sideV;
    }
}

// Every column of a row of a tile, where the side neighbour of the first
// column is the last. Given the row across, exactly one set of vectors
// satisfies every column's step, and the laps find it from any start: after
// the first lap the columns are computed again, carrying on from the last
// one, until a column comes out as it was. From there on nothing can change,
// since a column depends only on the vector before it and on what was
// prepared. The laps end: a side vector that ran all the way round would
// come back to its column longer than that column's prepared vector.
template <int step>
void relaxWrappedRow(float* __restrict h, float* __restrict v, int width, const PreparedRow& prepared)
{
    const int first = step > 0 ? 0 : width - 1;
    const int last = width - 1 - first;
    float sideH = prepared.h[last], sideV = prepared.v[last];
    for (int x = first; x != last + step; x += step) {
        relaxPixel(sideH, sideV, prepared, x);
        h[x] = sideH;
        v[x] = sideV;
    }
    for (int x = first;; x = x == last ? first : x + step) {
        relaxPixel(sideH, sideV, prepared, x);
        if (sideH == h[x] && sideV == v[x])
            return;
        h[x] = sideH;
        v[x] = sideV;
    }
}

// A pass over a tile, which repeats endlessly in both directions: its
// vectors are those that an endless tiling settles to far from any edge of
// the layout, the same in every copy of the tile. Each pixel is computed
// once from its start vector and the final vectors of its three neighbours,
// taken across the tile's edges where it lies on one, as the rows of each
// copy continue those of the copy before it. The rows repeat as the columns
// of a row do: after the first lap, in which the first row sees the last
// one's start vectors, the rows are computed again from the first on until
// one comes out as it was. They soon do: how far a change carries from row
// to row is bounded by the lengths of the vectors it changes.
template <int step>
void propagateWrapped(PlaneView<const float> fromH, PlaneView<const float> fromV, PlaneView<float> intoH,
                      PlaneView<float> intoV, const ProgressFn& progress, double progressBase)
{
    const int width = fromH.width, height = fromH.height;
    const int firstRow = step > 0 ? 0 : height - 1;
    const int lastRow = height - 1 - firstRow;
    PreparedRow prepared(width);
    // Row y from the row across in `acrossH` and `acrossV`, into h and v.
    const auto relax = [&](int y, PlaneView<const float> acrossH, PlaneView<const float> acrossV, float* h,
                           float* v) {
        const int across = y == firstRow ? lastRow : y - step;
        prepareWrappedRow<step>(acrossH.row(across), acrossV.row(across), fromH.row(y), fromV.row(y), width,
                                prepared);
        relaxWrappedRow<step>(h, v, width, prepared);
    };
    for (int y = firstRow; y != lastRow + step; y += step) {
        if (y == firstRow)
            relax(y, fromH, fromV, intoH.row(y), intoV.row(y));
        else
            relax(y, intoH, intoV, intoH.row(y), intoV.row(y));
        reportRow(progress, progressBase, 0.15, y, height);
    }
    std::vector<float> rowH(width), rowV(width);
    for (int y = firstRow;; y = y == lastRow ? firstRow : y + step) {
        relax(y, intoH, intoV, rowH.data(), rowV.data());
        float* storedH = intoH.row(y);
        float* storedV = intoV.row(y);
        if (std::equal(rowH.begin(), rowH.end(), storedH) && std::equal(rowV.begin(), rowV.end(), storedV))
            return;
        std::copy(rowH.begin(), rowH.end(), storedH);
        std::copy(rowV.begin(), rowV.end(), storedV);
    }
}

} // namespace

void propagateForward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress)
{
    const int width = distHoriz.width, height = distHoriz.height;
    PreparedRow prepared(width);
    for (int y = 1; y < height; ++y) {
        prepareRow<1>(distHoriz.row(y - 1), distVert.row(y - 1), distHoriz.row(y), distVert.row(y), 1,
                      width - 2, prepared);
        relaxRow<1>(distHoriz.row(y), distVert.row(y), width, prepared);
        reportRow(progress, 0.05, 0.15, y, height);
    }
}

void propagateBackward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress)
{
    const int width = distHoriz.width, height = distHoriz.height;
    PreparedRow prepared(width);
    for (int y = height - 2; y >= 0; --y) {
        prepareRow<-1>(distHoriz.row(y + 1), distVert.row(y + 1), distHoriz.row(y), distVert.row(y), 1,
                       width - 2, prepared);
        relaxRow<-1>(distHoriz.row(y), distVert.row(y), width, prepared);
        reportRow(progress, 0.2, 0.15, y, height);
    }
}

void propagateForwardWrapped(PlaneView<const float> fromH, PlaneView<const float> fromV, PlaneView<float> intoH,
                             PlaneView<float> intoV, const ProgressFn& progress)
{
    propagateWrapped<1>(fromH, fromV, intoH, intoV, progress, 0.05);
}

void propagateBackwardWrapped(PlaneView<const float> fromH, PlaneView<const float> fromV, PlaneView<float> intoH,
                              PlaneView<float> intoV, const ProgressFn& progress)
{
    propagateWrapped<-1>(fromH, fromV, intoH, intoV, progress, 0.2);
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
