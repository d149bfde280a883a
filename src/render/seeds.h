// Seed scan: classifies every region pixel by its first channel into inside,
// outside or partly covered, and writes the start vectors of the distance
// transform.
#pragma once

#include <cstdint>

#include "render/image_view.h"

constexpr float unreachedDistance = 9999.0f;

// Fills distHoriz and distVert, planes of the pixels' size. Pixels on the
// region's border have no neighbour on one side and are never partly
// covered; in a tile (`wrap`) every pixel has its four neighbours, taken
// across the opposite edge where it lies on one.
void scanSeeds(PixelView<const uint8_t> pixels, bool invertInput, PlaneView<float> distHoriz,
               PlaneView<float> distVert, bool wrap = false);
