// Two-pass vector distance transform and the distance field built from it.
#pragma once

#include "render/image_view.h"
#include "render/progress.h"

// Forward pass (top to bottom, left to right) and backward pass (bottom to
// top, right to left) over the inner columns, updating the vectors in place.
// Each reports a progress fraction after every tenth row.
void propagateForward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress);
void propagateBackward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress);

// Replaces each pixel's horizontal component by its distance |(h, v)|,
// border included: the distance field takes the memory of the horizontal
// components, which nothing reads afterwards.
void computeDistanceField(PlaneView<float> distHoriz, PlaneView<const float> distVert, const ProgressFn& progress);
