// Normals of the Flat and Round slope profiles (and of any slope type other
// than Round2): weighted mean slopes over a disc, each axis on its own.
#pragma once

#include <cstdint>
#include <vector>

#include "host/ormolo_vals.h"
#include "render/offset_window.h"
#include "render/surface_normal.h"

// Everything of the estimate that depends only on a neighbour's offset,
// computed once per render.
struct FlatRoundKernel {
    bool flat;
    int32_t maxFlatRadius;
    int32_t coverRadius;
    OffsetTableShape shape;
    std::vector<float> length;   // kernel length of each offset
    std::vector<double> cosine;  // cos and sin of the offset's direction,
    std::vector<double> sine;    // an angle rounded to float
};

FlatRoundKernel makeFlatRoundKernel(const float* heights, int width, int height,
                                    const OrmoloVals& vals);

// The normal of the inside pixel (x, y) of the height field.
SurfaceNormal flatRoundNormal(const FlatRoundKernel& kernel, const float* heights, int width,
                              int height, int x, int y);

// The normals of the inside pixels (height > 0) among columns
// xBegin..xEnd-1 of row y, written to normals[x - xBegin]; entries of other
// pixels are left as they are.
void flatRoundNormalsRow(const FlatRoundKernel& kernel, const float* heights, int width,
    int height, int y, int xBegin, int xEnd, SurfaceNormal* normals);
