// The normal-map output rule: an inside pixel stores its normal's x and y in
// red and green and its tilt in blue; an outside pixel gets a fixed colour.
#pragma once

#include <cstdint>

#include "render/surface_normal.h"

// Writes `channels` bytes (3, or 4 with alpha) at `pixel`. With `flipY`
// green holds -ny: y up the image instead of down the rows.
void encodeNormal(SurfaceNormal normal, bool flipY, uint8_t* pixel, int channels);
void encodeOutside(uint8_t* pixel, int channels);
