// A plain, literal transcription of the renderer, kept as the oracle that the
// product renderer must match byte for byte. Slow on purpose: every neighbour
// recomputes its own lengths and angles, nothing is tabulated.
#pragma once

#include <cstdint>
#include <vector>

#include "host/ormolo_vals.h"
#include "render/probe_image.h"
#include "render/surface_normal.h"

struct ReferenceVectors {
    std::vector<float> distHoriz;
    std::vector<float> distVert;
};

ReferenceVectors referenceSeeds(const std::vector<uint8_t>& pixels, int width, int height,
                                int channels, bool invertInput);
// The step of pixel `at` in either pass, against its side neighbour n1, the
// neighbour straight across n2 and the diagonal one n3 (elements of the same
// vectors).
void referenceRelaxPixel(ReferenceVectors& vectors, int at, int n1, int n2, int n3);
void referenceForwardPass(ReferenceVectors& vectors, int width, int height);
void referenceBackwardPass(ReferenceVectors& vectors, int width, int height);
std::vector<float> referenceHeightField(const std::vector<uint8_t>& pixels, int width, int height,
                                        int channels, const OrmoloVals& vals);
// `along`, when given, receives three floats: (-tx, -ty, 1) of the mean
// slopes, or Round2's sum of unit facet normals.
void referenceFlatRoundNormal(const std::vector<float>& heights, int width, int height, int x,
                              int y, const OrmoloVals& vals, float& nx, float& ny, float* along = nullptr);
void referenceRound2Normal(const std::vector<float>& heights, int width, int height, int x, int y,
                           const OrmoloVals& vals, float& nx, float& ny, float* along = nullptr);
// The whole hand-over of an inside pixel to the output rules, by its profile.
SurfaceNormal referenceNormal(const std::vector<float>& heights, int width, int height, int x, int y,
                              const OrmoloVals& vals);

// The whole render; the outermost rows and columns keep the input pixels.
// With a probe, blurred pixels take their draws from the random stream in
// order, starting at `firstDraw`.
std::vector<uint8_t> referenceRender(const std::vector<uint8_t>& pixels, int width, int height,
                                     int channels, const OrmoloVals& vals,
                                     const ProbeImage* probe = nullptr, uint64_t firstDraw = 0);
