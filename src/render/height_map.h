// The height map that goes with a normal map: the surface whose slopes the
// normals encode, in pixels over each pixel, stored in 16 bits.
#pragma once

#include <cstdint>

#include "render/height_field.h"
#include "render/render_settings.h"

// The surface's height over a pixel whose height field holds `height`:
// Round2 depthRound2 * sqrt(d), Round depthRound * sqrt(d) (its height field
// itself), Flat d / ((10 - depthFlat) + 1), any other profile d, with d the
// distance to the shape's edge. 0 and below outside the shape.
double surfaceHeight(float height, const RenderSettings& settings);

// The largest finite surface height among the pixels that get a normal
// (all but the outermost rows and columns, or all in a tile), or 0 when
// none is inside.
double largestSurfaceHeight(HeightField heights, const RenderSettings& settings);

// Each pixel's surface height h as round(h / scale * 65535), heights above
// `scale` (a positive number of pixels) as 65535, and 0 outside the shape.
void writeHeightMap(HeightField heights, const RenderSettings& settings, double scale,
                    PlaneView<uint16_t> heightMap);
