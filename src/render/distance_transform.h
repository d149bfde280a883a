// Two-pass vector distance transform and the distance field built from it.
#pragma once

#include "render/progress.h"

// Forward pass (top to bottom, left to right) and backward pass (bottom to
// top, right to left) over the inner columns, updating the vectors in place.
// Each reports a progress fraction after every tenth row.
void propagateForward(float* distHoriz, float* distVert, int width, int height,
                      const ProgressFn& progress);
void propagateBackward(float* distHoriz, float* distVert, int width, int height,
                       const ProgressFn& progress);

// distDiag = |(h, v)| for every pixel, border included.
void computeDistanceField(const float* distHoriz, const float* distVert, float* distDiag,
                          int width, int height, const ProgressFn& progress);
