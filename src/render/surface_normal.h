// The normal handed from normal estimation to the output rules, for an
// inside pixel, in region axes (x right, y down, z towards the viewer).
#pragma once

struct SurfaceNormal {
    // The filter's own components, which its normal-map bytes and the probe
    // lookup take. For Flat and Round each comes from its own mean slope, so
    // the two are not the components of one unit vector.
    float nx;
    float ny;
    // A vector along the true surface normal, z positive, not normalised, in
    // the filter's own values: for Round2 its sum of unit facet normals, for
    // Flat and Round (-tx, -ty, 1) of the mean slopes tx and ty.
    float alongX = 0.0f;
    float alongY = 0.0f;
    float alongZ = 1.0f;
};
