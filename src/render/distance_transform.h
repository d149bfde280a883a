// Two-pass vector distance transform and the distance field built from it.
#pragma once

#include "render/image_view.h"
#include "render/progress.h"

// Forward pass (top to bottom, left to right) and backward pass (bottom to
// top, right to left) over the inner columns, updating the vectors in place.
// Each reports a progress fraction after every tenth row.
void propagateForward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress);
void propagateBackward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress);

// The same passes over a tile, one period of an endless tiling: every pixel
// is relaxed, and neighbours beyond an edge are those across the opposite
// edge. Each pixel starts from its vector in `from` and ends in `into`, a
// plane pair of the same size: a pass may compute a row again from its
// start.
void propagateForwardWrapped(PlaneView<const float> fromH, PlaneView<const float> fromV, PlaneView<float> intoH,
                             PlaneView<float> intoV, const ProgressFn& progress);
void propagateBackwardWrapped(PlaneView<const float> fromH, PlaneView<const float> fromV, PlaneView<float> intoH,
                              PlaneView<float> intoV, const ProgressFn& progress);

// Replaces each pixel's horizontal component by its distance |(h, v)|,
// border included: the distance field takes the memory of the horizontal
// components, which nothing reads afterwards.
void computeDistanceField(PlaneView<float> distHoriz, PlaneView<const float> distVert, const ProgressFn& progress);
