// The renderer's buffers that outlive a render. A host that renders one
// region after another (the dialog's preview) keeps a workspace for all of
// them, so that every render after the first starts in memory that is
// already mapped: a 512 x 512 preview took 7% longer without one. It keeps
// only what a render holds at the start of its distance transform, so that a
// kept workspace never raises a render's peak: the vertical distance
// components and Round2's square roots come and go with each render. What a
// workspace held before never changes a render's bytes.
#pragma once

#include "render/image_view.h"
#include "render/normals/round2.h"

struct RenderWorkspace {
    Plane<float> distHoriz;  // then the distance field, then the height field
    Round2Kernel round2;     // its tables; its square roots only during a render
};
