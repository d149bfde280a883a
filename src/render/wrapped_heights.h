// The height field of a tile as the normal stages read it: the tile's
// heights surrounded by a margin of the heights across the opposite edges,
// as often over as the margin needs. Every neighbourhood of every pixel of
// the tile then lies inside the field as it lies in an endless tiling, so
// the normal stages read it without clipping, tile pixel (x, y) at field
// pixel (x + margin, y + margin), and give each pixel the normal of the
// middle copy of a layout of copies.
#pragma once

#include <cstdint>

#include "render/height_field.h"
#include "render/render_settings.h"

// The widest neighbourhood radius that any inside pixel of the tile asks for
// under the settings' profile; 0 when none has neighbours. A tile's
// neighbourhoods stop growing at the tile's own cover radius
// (regionCoverRadius). In an endless tiling a wider disc always takes in
// more neighbours, but that cap, twice the tile's perimeter, lies far beyond
// any real bevel's radii (a tile with any edge has its distances below half
// its width plus half its height); only infinite heights or Round depths far
// beyond any real bevel's reach it. It keeps the margin and the walks
// finite, as it does for other renders.
int32_t tileMargin(HeightField tile, const RenderSettings& settings);

// Makes `field` the tile's heights with `margin` more pixels on every side.
// Throws std::bad_alloc when that field's size is beyond an int.
void wrapHeights(HeightField tile, int32_t margin, Plane<float>& field);
