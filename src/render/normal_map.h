// The normal-map output rule: an inside pixel stores its normal's x and y in
// red and green and its tilt in blue; an outside pixel gets a fixed colour.
#pragma once

#include <cstdint>

#include "render/surface_normal.h"

// Writes `channels` bytes (3, or 4 with alpha) at `pixel`.
void encodeNormal(SurfaceNormal normal, uint8_t* pixel, int channels);
void encodeOutside(uint8_t* pixel, int channels);
