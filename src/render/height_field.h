// Turns the distance field into the height field of the chosen slope profile.
#pragma once

#include <cstddef>

#include "host/ormolo_vals.h"

// In place. Only Round reshapes the distances (sqrt(d) * slopeDepthRound);
// Flat and Round2 apply their depths while estimating normals.
void applyHeightProfile(float* distDiag, size_t count, const OrmoloVals& vals);
