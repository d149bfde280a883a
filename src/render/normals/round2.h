// Normals of the Round2 slope profile: the normalised sum of the unit facet
// normals towards every neighbour of a disc, on the surface
// slopeDepthRound2 * sqrt(distance).
#pragma once

#include <cstdint>
#include <vector>

#include "render/height_field.h"
#include "render/normals/lane_set.h"
#include "render/normals/offset_window.h"
#include "render/render_settings.h"
#include "render/surface_normal.h"

// The estimate over one height field: the field itself, and what depends only
// on an offset or on one pixel, computed once per render. Lengths depend only
// on |kx| and |ky|, so their tables hold one quadrant.
struct Round2Kernel {
    HeightField heights;
    double depth;
    int32_t coverRadius;
    OffsetQuadrantShape quadrant;
    std::vector<float> length;             // distance to each offset
    std::vector<double> reciprocalLength;  // the double nearest 1 / length
    Plane<double> rootHeight;              // sqrt of every region pixel's height
};

// Neighbourhoods stop growing at the region's own cover radius
// (regionCoverRadius), where they take in the whole region.
Round2Kernel makeRound2Kernel(HeightField heights, const RenderSettings& settings);

// The same, made in `kernel` on the memory its tables and roots have, with
// neighbourhoods that stop growing at `coverRadius`.
void remakeRound2Kernel(Round2Kernel& kernel, HeightField heights, const RenderSettings& settings,
                        int32_t coverRadius);

// The half-width of the square window that trims a disc of this radius.
int32_t round2WindowHalfWidth(int32_t radius);

// The unnormalised sum of the unit facet normals around pixel (x, y).
struct FacetNormalSum {
    float nx;
    float ny;
    float nz;
};
FacetNormalSum round2FacetSum(const Round2Kernel& kernel, int x, int y);

// The normal of the inside pixel (x, y), one pixel at a time.
SurfaceNormal round2Normal(const Round2Kernel& kernel, int x, int y);

// The normal from the facet normals' sum.
SurfaceNormal round2NormalOfSum(const FacetNormalSum& sum);

// The normals of the inside pixels (height > 0) among rows yBegin..yEnd-1 and
// columns xBegin..xEnd-1, written to
// normals[(y - yBegin) * (xEnd - xBegin) + x - xBegin]; entries of other
// pixels are left as they are. Pixels of alike radii are computed together
// in the lanes of the given instruction set, which the processor must run,
// dividing by the neighbours' lengths the given way; every choice gives the
// same bits.
void round2NormalsBlock(const Round2Kernel& kernel, int yBegin, int yEnd, int xBegin, int xEnd,
                        SurfaceNormal* normals, LaneSet lanes, LengthQuotients quotients);
