// A plain, literal transcription of the renderer, kept as the oracle that the
// product renderer must match byte for byte. Slow on purpose: every neighbour
// recomputes its own lengths and angles, nothing is tabulated.
#pragma once

#include <cstdint>
#include <vector>

#include "host/ormolo_vals.h"
#include "render/probe_image.h"

struct ReferenceVectors {
    std::vector<float> distHoriz;
    std::vector<float> distVert;
};

ReferenceVectors referenceSeeds(const std::vector<uint8_t>& pixels, int width, int height,
                                int channels, bool invertInput);
void referenceForwardPass(ReferenceVectors& vectors, int width, int height);
void referenceBackwardPass(ReferenceVectors& vectors, int width, int height);
std::vector<float> referenceHeightField(const std::vector<uint8_t>& pixels, int width, int height,
                                        int channels, const OrmoloVals& vals);
void referenceFlatRoundNormal(const std::vector<float>& heights, int width, int height, int x,
                              int y, const OrmoloVals& vals, float& nx, float& ny);
void referenceRound2Normal(const std::vector<float>& heights, int width, int height, int x, int y,
                           const OrmoloVals& vals, float& nx, float& ny);

// The whole render; the outermost rows and columns keep the input pixels.
// With a probe, blurred pixels take their draws from the random stream in
// order, starting at `firstDraw`.
std::vector<uint8_t> referenceRender(const std::vector<uint8_t>& pixels, int width, int height,
                                     int channels, const OrmoloVals& vals,
                                     const ProbeImage* probe = nullptr, uint64_t firstDraw = 0);
