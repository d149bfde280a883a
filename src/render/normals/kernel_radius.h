// The neighbourhood radius of a pixel's normal estimate, derived from its
// height, kept within what any region can use.
#pragma once

#include <algorithm>
#include <cstdint>

#include "render/height_field.h"

// A radius at which the neighbourhood already covers every pixel of the
// region, for the disc and for Round2's trimmed window alike (the window
// keeps at least five sixths of the radius). Larger radii select the same
// neighbours, so clamping to it leaves every sum unchanged while keeping
// squared offsets far inside 64-bit range.
inline int32_t regionCoverRadius(int width, int height)
{
    const int64_t cover = 2 * (static_cast<int64_t>(width) + height) + 6;
    return static_cast<int32_t>(std::min<int64_t>(cover, int64_t{1} << 29));
}

// The height truncated towards zero plus 2, for a height greater than 0;
// infinite or huge heights saturate at the cover radius.
inline int32_t kernelRadius(float height, int32_t coverRadius)
{
    if (!(height < static_cast<float>(coverRadius)))
        return coverRadius;
    return std::min(static_cast<int32_t>(height) + 2, coverRadius);
}

// The highest height among the pixels that lie `frame` pixels or more
// inside the field's edges, or 0 when none is above 0 (NaN heights never
// count).
inline float highestHeight(HeightField heights, int frame)
{
    float highest = 0.0f;
    for (int y = frame; y < heights.height - frame; ++y) {
        const float* row = heights.row(y);
        for (int x = frame; x < heights.width - frame; ++x)
            if (row[x] > highest)
                highest = row[x];
    }
    return highest;
}

// The largest radius any visited inside pixel (rows 1..height-2, columns
// 1..width-2, height > 0) asks for when radii saturate at `coverRadius`, or
// -1 when there is none.
inline int32_t largestKernelRadius(HeightField heights, int32_t coverRadius)
{
    const float highest = highestHeight(heights, 1);
    return highest > 0.0f ? kernelRadius(highest, coverRadius) : -1;
}
