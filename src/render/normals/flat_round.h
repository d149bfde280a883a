// Normals of the Flat and Round slope profiles (and of any slope type other
// than Round2): weighted mean slopes over a disc, each axis on its own.
#pragma once

#include <cstdint>
#include <vector>

#include "render/height_field.h"
#include "render/normals/lane_set.h"
#include "render/normals/offset_window.h"
#include "render/render_settings.h"
#include "render/surface_normal.h"

// The weight sums (numx, numy) of a disc's walk.
struct DiscWeights {
    float x;
    float y;
};

// The estimate over one height field: the field itself, and everything that
// depends only on a neighbour's offset or on the radius, computed once per
// render.
struct FlatRoundKernel {
    HeightField heights;
    bool flat;
    int32_t maxFlatRadius;
    int32_t coverRadius;
    OffsetTableShape shape;
    std::vector<float> length;   // kernel length of each offset
    std::vector<double> cosine;  // cos and sin of the offset's direction,
    std::vector<double> sine;    // an angle rounded to float
    // The weight sums depend only on which offsets contribute and in what
    // order, so every pixel whose whole disc lies inside the region shares
    // them with all others of its radius. Indexed by radius, filled for the
    // radii such pixels of the render use; the others hold x = -1.
    std::vector<DiscWeights> wholeDisc;
};

// Neighbourhoods stop growing at `coverRadius`: at the region's own cover
// radius (regionCoverRadius), where they take in the whole region, unless a
// caller's field holds more than one region's worth of neighbours.
FlatRoundKernel makeFlatRoundKernel(HeightField heights, const RenderSettings& settings, int32_t coverRadius);
FlatRoundKernel makeFlatRoundKernel(HeightField heights, const RenderSettings& settings);

// The disc radius of a pixel of this height; negative for none at all.
int32_t flatRoundRadius(const FlatRoundKernel& kernel, float centre);

// The weight sums of the disc of this radius around (x, y) if it lies wholly
// inside the region and the kernel has them, else nullptr.
const DiscWeights* wholeDiscWeights(const FlatRoundKernel& kernel, int32_t radius, int x, int y);

// A normal component from a mean slope t: -cos(atan2(1, t)), which is a tiny
// negative number rather than 0 for a level slope.
float flatRoundComponent(float meanSlope);

// The normal of a pixel whose mean slopes along x and y are these.
SurfaceNormal flatRoundNormalOfSlopes(float meanSlopeX, float meanSlopeY);

// The normal of the inside pixel (x, y) of the height field, one pixel at a
// time.
SurfaceNormal flatRoundNormal(const FlatRoundKernel& kernel, int x, int y);

// The normals of the inside pixels (height > 0) among columns
// xBegin..xEnd-1 of row y, written to normals[x - xBegin]; entries of other
// pixels are left as they are. Neighbouring pixels are computed together in
// the lanes of the given instruction set, which the processor must run.
void flatRoundNormalsRow(const FlatRoundKernel& kernel, int y, int xBegin, int xEnd,
                         SurfaceNormal* normals, LaneSet lanes = defaultLaneSet());
