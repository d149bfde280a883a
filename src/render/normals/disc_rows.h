// The row-by-row extent of a closed disc of integer offsets.
#pragma once

#include <cmath>
#include <cstdint>

// The largest kx with kx*kx + ky*ky <= radius*radius, for |ky| <= radius:
// the disc's half-width in row ky. Exact for any radius below 2^31.
inline int32_t discHalfWidth(int32_t radius, int32_t ky)
{
    const int64_t room = int64_t{radius} * radius - int64_t{ky} * ky;
    int64_t reach = static_cast<int64_t>(std::sqrt(static_cast<double>(room)));
    while (reach * reach > room)
        --reach;
    while ((reach + 1) * (reach + 1) <= room)
        ++reach;
    return static_cast<int32_t>(reach);
}
