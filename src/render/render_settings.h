// The renderer's own settings: the shape of the bevel and how each pixel's
// normal becomes output. Every host fills them once from what it has (the
// plug-in from its stored record and procedure arguments, the tool from its
// options); the defaults are the filter's.
#pragma once

#include <cstdint>

#include "render/probe_image.h"

// The bevel's height profile over the distance d to the shape's edge.
enum class SlopeProfile {
    flat,               // height d; mean slopes over a disc of at most maxFlatRadius,
                        // kernel lengths scaled by (10 - depthFlat) + 1
    round,              // height sqrt(d) * depthRound; mean slopes over a disc
    round2,             // unit facet normals summed over a disc, on depthRound2 * sqrt(d)
    roundOverDistance,  // Round's mean slopes over the plain distance d: what any
                        // slope type number other than 1, 2 and 3 renders as
};

// The profile that scripts name by number: 1 flat, 2 round, 3 round2, and
// any other value Round over the plain distance.
inline SlopeProfile slopeProfileOfNumber(int32_t slopeType)
{
    switch (slopeType) {
    case 1:
        return SlopeProfile::flat;
    case 2:
        return SlopeProfile::round;
    case 3:
        return SlopeProfile::round2;
    default:
        return SlopeProfile::roundOverDistance;
    }
}

// How a normal map stores an inside pixel's normal.
enum class NormalEncoding {
    filter,  // the filter's own bytes: its x and y components, and a tilt in blue
    unit,    // the unit surface normal as engines read it: each component c as
             // round((c + 1) / 2 * M), M the largest sample; outside pixels and
             // the outermost rows and columns hold the flat normal (0, 0, 1)
};

// How many of the outermost rows and columns on each side get no normal:
// none in a tile, whose edge pixels have neighbours all round.
inline int unvisitedFrame(bool tile)
{
    return tile ? 0 : 1;
}

struct RenderSettings {
    // The region. A tile is one period of an endless tiling in both
    // directions: distances and neighbourhoods carry on across each edge
    // from the opposite one, and every pixel gets a normal, the outermost
    // rows and columns too. Otherwise the region's edge ends the shape's
    // world, and its outermost rows and columns get none.
    bool tile = false;

    // The bevel.
    bool invertInput = false;
    SlopeProfile profile = SlopeProfile::round2;
    int32_t maxFlatRadius = 3;
    float depthFlat = 10.0f;
    float depthRound = 7.0f;
    float depthRound2 = 20.0f;

    // The output: the reflection of a probe, or a normal map.
    const ProbeImage* probe = nullptr;  // not owned; null: a normal map
    double specularity = 1.0;           // below 1 the reflection is blurred
    NormalEncoding encoding = NormalEncoding::filter;
    bool flipY = false;                 // normal maps store -y: y up the image
};

// Whether the render stores unit normals: a probe's reflection, when there
// is one, takes the place of any normal map.
inline bool writesUnitNormals(const RenderSettings& settings)
{
    return settings.encoding == NormalEncoding::unit && !settings.probe;
}

// Whether the render gives every pixel its colour, the outermost rows and
// columns too: a tile's all get a normal, and unit normal maps hold the flat
// normal where there is none. Otherwise those rows and columns keep their
// input pixels.
inline bool coloursEveryPixel(const RenderSettings& settings)
{
    return settings.tile || writesUnitNormals(settings);
}
