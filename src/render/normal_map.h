// The normal-map output rules: an inside pixel stores its normal, an outside
// pixel a fixed colour. The filter's own encoding keeps its x and y in red
// and green and a tilt in blue; the unit encoding stores the unit surface
// normal, as engines and 3D programs read a normal map.
#pragma once

#include <cstdint>

#include "render/surface_normal.h"

// Each writes `channels` samples (3, or 4 with alpha) at `pixel`. With
// `flipY` green holds -y: y up the image instead of down the rows.
void encodeNormal(SurfaceNormal normal, bool flipY, uint8_t* pixel, int channels);
void encodeOutside(uint8_t* pixel, int channels);

// Red, green and blue hold the unit vector along normal.along*, computed in
// double, each component c as round((c + 1) / 2 * M) with M the largest
// sample (255 or 65535); alpha is M. A vector that has no direction (only
// degenerate depths give one) stores the flat normal.
void encodeUnitNormal(SurfaceNormal normal, bool flipY, uint8_t* pixel, int channels);
void encodeUnitNormal(SurfaceNormal normal, bool flipY, uint16_t* pixel, int channels);

// The flat normal (0, 0, 1) in red, green and blue; alpha is left as it is.
void encodeFlatNormal(uint8_t* pixel);
void encodeFlatNormal(uint16_t* pixel);
