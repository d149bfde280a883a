// Seed scan: classifies every region pixel by its first channel into inside,
// outside or partly covered, and writes the start vectors of the distance
// transform.
#pragma once

#include <cstdint>

constexpr float unreachedDistance = 9999.0f;

// `pixels` holds width * height * channels bytes, row-major. Fills
// distHoriz and distVert (width * height floats each).
void scanSeeds(const uint8_t* pixels, int width, int height, int channels, bool invertInput,
               float* distHoriz, float* distVert);
