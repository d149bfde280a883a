// The probe output rule: an inside pixel takes the colour that the spherical
// probe shows at its normal, sharp at specularity 1 and above, otherwise the
// mean of 8 jittered samples; an outside pixel takes the probe's top-left
// pixel.
#pragma once

#include <cstdint>

#include "render/probe_image.h"
#include "render/surface_normal.h"

// Draws from the random stream that one blurred pixel uses.
constexpr uint64_t drawsPerBlurredPixel = 16;

// True when inside pixels take the blurred lookup (a NaN specularity is sharp).
bool probeIsBlurred(double specularity);

// Writes `channels` bytes at `pixel`. `firstDraw` is the stream position of
// this pixel's 16 draws; only blurred inside pixels use it.
void reflectInside(const ProbeImage& probe, SurfaceNormal normal, double specularity,
                   uint64_t firstDraw, uint8_t* pixel, int channels);
void reflectOutside(const ProbeImage& probe, uint8_t* pixel, int channels);

// The spread of the blurred lookup around the base point, from the
// specularity and the normal; saturated to the 32-bit range, 0 for NaN.
int32_t jitterRadius(const ProbeImage& probe, SurfaceNormal normal, double specularity);
