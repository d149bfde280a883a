// A region without any edge inside it (a white layer, a selection wholly
// inside a shape) has one height everywhere. There every neighbour of every
// pixel lies at the pixel's own height, so each pixel gets the same normal,
// the level normal of its profile, whatever its neighbourhood: computing it
// once keeps such renders linear in the pixel count, where the neighbourhood
// walks would cover the whole region for every pixel.
#pragma once

#include "render/height_field.h"
#include "render/render_settings.h"
#include "render/surface_normal.h"

// True, with that height in `level`, when every pixel of the region has the
// same height (NaN heights never compare equal).
bool isLevelRegion(HeightField heights, float& level);

// The normal of every visited pixel of a level region of height `level`,
// greater than 0 (inside), under the given profile.
//
// Why it is one value: every height difference is the same number d, for
// Flat and Round (H - H) / klen and for Round2 (sqrt H - sqrt H) * depth,
// since klen has the sign of the Flat factor for every offset. With d = +-0
// each contribution to the slope or facet sums is a signed zero, so the x and
// y sums stay +0 and any positive weight or length divides them to +0: Flat
// and Round give -cos(atan2(1, 0)) per axis, Round2 exactly 0. With d a NaN
// (a Flat factor of 0 or NaN, an infinite or NaN Round2 depth, infinite
// heights) every sum with a contribution is a NaN, and every visited pixel
// has its four direct neighbours in the region. Either way the neighbourhood
// only decides how many terms there are, never the result, so it is computed
// here on the smallest region that has a visited pixel.
SurfaceNormal levelNormal(float level, const RenderSettings& settings);
