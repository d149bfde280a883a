// Turns the distance field into the height field of the chosen slope profile.
#pragma once

#include "host/ormolo_vals.h"
#include "render/image_view.h"

// The height field as the normal stages and the output pass read it.
using HeightField = PlaneView<const float>;

// In place. Only Round reshapes the distances (sqrt(d) * slopeDepthRound);
// Flat and Round2 apply their depths while estimating normals.
void applyHeightProfile(PlaneView<float> distDiag, const OrmoloVals& vals);
