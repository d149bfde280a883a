// Two-pass vector distance transform and the distance field built from it.
#pragma once

#include "render/image_view.h"
#include "render/progress.h"

// Forward pass (top to bottom, left to right) and backward pass (bottom to
// top, right to left) over the inner columns, updating the vectors in place.
// Each reports a progress fraction after every tenth row.
void propagateForward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress);
void propagateBackward(PlaneView<float> distHoriz, PlaneView<float> distVert, const ProgressFn& progress);

// distDiag = |(h, v)| for every pixel, border included.
void computeDistanceField(PlaneView<const float> distHoriz, PlaneView<const float> distVert,
                          PlaneView<float> distDiag, const ProgressFn& progress);
