// A rectangle of neighbour offsets around a pixel, clipped to the region, and
// a row-major table index for per-offset constants.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

struct OffsetRange {
    int32_t first;
    int32_t last;
};

// Offsets -reach..reach along one axis that stay inside 0..size-1 from pos.
inline OffsetRange clippedOffsets(int32_t reach, int pos, int size)
{
    return {std::max(-reach, -pos), std::min(reach, size - 1 - pos)};
}

// Per-offset constants over -halfWidth..halfWidth x -halfHeight..halfHeight.
struct OffsetTableShape {
    int halfWidth;
    int halfHeight;

    size_t size() const { return static_cast<size_t>(2 * halfWidth + 1) * (2 * halfHeight + 1); }
    size_t index(int kx, int ky) const
    {
        return static_cast<size_t>(ky + halfHeight) * (2 * halfWidth + 1) + (kx + halfWidth);
    }
};

// Per-offset constants that depend only on |kx| and |ky|, over
// 0..halfWidth x 0..halfHeight: a quarter of the full table.
struct OffsetQuadrantShape {
    int halfWidth;
    int halfHeight;

    size_t size() const { return static_cast<size_t>(halfWidth + 1) * (halfHeight + 1); }
    // The start of row |ky|; its entry |kx| belongs to (kx, ky).
    size_t rowStart(int ky) const { return static_cast<size_t>(ky < 0 ? -ky : ky) * (halfWidth + 1); }
};

// Offsets can never leave a width x height region by more than its size, so
// a table needs no more than that whatever the radius.
inline OffsetTableShape offsetTableShape(int32_t radius, int width, int height)
{
    return {std::min(radius, width - 1), std::min(radius, height - 1)};
}
