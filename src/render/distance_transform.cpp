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

// Columns first..last. `step` is +1 in the forward pass and -1 in the
// backward pass: the side neighbour lies at x - step, the diagonal one at
// x + step in `across`, which must hold that column too.
// Equal lengths keep the earlier candidate (side, then straight across,
// then diagonal), and the pixel keeps its vector unless a candidate is
// strictly shorter. So the side candidate wins exactly when it is no longer
// than the better row candidate and strictly shorter than the pixel's own
// vector; otherwise the pixel takes what it would without it. Every
// candidate is at least 1 long, so outside pixels (0, 0) and partly covered
// seeds (shorter than 1) never change.
template <int step>
void prepareRow(const float* __restrict acrossH, const float* __restrict acrossV,
                const float* __restrict ownH, const float* __restrict ownV, int first, int last,
                PreparedRow& out)
{
    float* __restrict outH = out.h.data();
    float* __restrict outV = out.v.data();
    float* __restrict outLimit = out.sideLimit.data();
    for (int x = first; x <= last; ++x) {
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

// A row across as the pixels of a tile's row see it: with the neighbour
// beyond each end, which is the other end's column.
class WrappedRow {
public:
    explicit WrappedRow(int width) : h_(static_cast<size_t>(width) + 2), v_(static_cast<size_t>(width) + 2) {}

    void take(const float* h, const float* v)
    {
        const size_t width = h_.size() - 2;
        std::copy(h, h + width, h_.begin() + 1);
        std::copy(v, v + width, v_.begin() + 1);
        h_.front() = h[width - 1];
        v_.front() = v[width - 1];
        h_.back() = h[0];
        v_.back() = v[0];
    }

    // Column x at [x], for x from -1 to width.
    const float* h() const { return h_.data() + 1; }
    const float* v() const { return v_.data() + 1; }

private:
    std::vector<float> h_, v_;
};

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
    const auto rowAcross = [&](int y) { return y == firstRow ? lastRow : y - step; };
    PreparedRow prepared(width);
    WrappedRow across(width);
    const auto relax = [&](int y, float* h, float* v) {
        prepareRow<step>(across.h(), across.v(), fromH.row(y), fromV.row(y), 0, width - 1, prepared);
        relaxWrappedRow<step>(h, v, width, prepared);
    };
    for (int y = firstRow; y != lastRow + step; y += step) {
        const int acrossRow = rowAcross(y);
        if (y == firstRow)
            across.take(fromH.row(acrossRow), fromV.row(acrossRow));
        else
            across.take(intoH.row(acrossRow), intoV.row(acrossRow));
        relax(y, intoH.row(y), intoV.row(y));
        reportRow(progress, progressBase, 0.15, y, height);
    }
    std::vector<float> rowH(width), rowV(width);
    for (int y = firstRow;; y = y == lastRow ? firstRow : y + step) {
        across.take(intoH.row(rowAcross(y)), intoV.row(rowAcross(y)));
        relax(y, rowH.data(), rowV.data());
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
