// Turns the distance field into the height field of the chosen slope profile.
#pragma once

#include "render/image_view.h"
#include "render/render_settings.h"

// The height field as the normal stages and the output pass read it.
using HeightField = PlaneView<const float>;

// In place. Only Round reshapes the distances (sqrt(d) * slopeDepthRound);
// Flat and Round2 apply their depths while estimating normals.
void applyHeightProfile(PlaneView<float> distDiag, const RenderSettings& settings);
