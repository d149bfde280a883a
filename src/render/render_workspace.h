// The renderer's per-pixel buffers. A host that renders one region after
// another (the dialog's preview) keeps a workspace for all of them, so that
// every render after the first works in memory that is already mapped: on
// the development machine, touching fresh pages took a fifth of a 512 x 512
// preview's time. What a workspace held before never changes a render's
// bytes.
#pragma once

#include "render/image_view.h"
#include "render/normals/round2.h"

struct RenderWorkspace {
    Plane<float> distHoriz;  // then the distance field, then the height field
    Plane<float> distVert;
    Round2Kernel round2;    // its tables and the heights' square roots
};
