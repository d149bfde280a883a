// The normal handed from normal estimation to the output rules: the x and y
// components in region axes (x right, y down) of an inside pixel's normal.
#pragma once

struct SurfaceNormal {
    float nx;
    float ny;
};
