// The lanes' division-free quotients on their own, for checking them
// against the real division.
#pragma once

#include <cstddef>

#include "render/normals/lane_set.h"

// quotients[i] = numerators[i] / divisor for a finite divisor of at least 1,
// by the product with the reciprocal that Round2's lanes use, in the lanes
// of the given instruction set (which the processor must run).
void quotientsByReciprocal(LaneSet lanes, const float* numerators, float divisor, float* quotients,
                           size_t count);
