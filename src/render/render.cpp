#include "render/render.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "render/distance_transform.h"
#include "render/height_field.h"
#include "render/level_region.h"
#include "render/normals/flat_round.h"
#include "render/normals/round2.h"
#include "render/output_pass.h"
#include "render/seeds.h"

namespace {

void report(const ProgressFn& progress, const char* text, double fraction)
{
    if (progress)
        progress(text, fraction);
}

// Seeds, both distance passes and the distance field, as one float per pixel.
std::unique_ptr<float[]> distanceField(const uint8_t* input, int width, int height, int channels,
                                       bool invertInput, const ProgressFn& progress)
{
    const size_t count = static_cast<size_t>(width) * height;
    std::unique_ptr<float[]> distHoriz(new float[count]);
    std::unique_ptr<float[]> distVert(new float[count]);
    scanSeeds(input, width, height, channels, invertInput, distHoriz.get(), distVert.get());
    report(progress, "Ormolo 2.0: Distance Transform...", 0.05);
    propagateForward(distHoriz.get(), distVert.get(), width, height, progress);
    propagateBackward(distHoriz.get(), distVert.get(), width, height, progress);
    std::unique_ptr<float[]> distDiag(new float[count]);
    computeDistanceField(distHoriz.get(), distVert.get(), distDiag.get(), width, height, progress);
    return distDiag;
}

} // namespace

void renderRegion(const uint8_t* input, uint8_t* output, int width, int height, int channels,
                  const OrmoloVals& vals, const ProbeImage* probe, const ProgressFn& progress,
                  int threads)
{
    if (width <= 0 || height <= 0)
        return;
    report(progress, nullptr, 0.01);
    report(progress, nullptr, 0.02);
    std::unique_ptr<float[]> heights =
        distanceField(input, width, height, channels, vals.invertInput != 0, progress);
    report(progress, "Ormolo 2.0: Computing height field...", 0.5);
    applyHeightProfile(heights.get(), static_cast<size_t>(width) * height, vals);
    report(progress, "Ormolo 2.0: Computing normal map...", 0.55);

    if (output != input)
        std::memcpy(output, input, static_cast<size_t>(width) * height * channels);
    const float* field = heights.get();
    const OutputRule rule{probe, vals.specularity};
    // At a height of 0 or less every pixel is outside and needs no normal.
    float level = 0.0f;
    if (isLevelRegion(field, width, height, level) && level > 0.0f) {
        const SurfaceNormal normal = levelNormal(level, vals);
        writeOutputPass(field, output, width, height, channels, rule,
                        [normal](int, int xBegin, int xEnd, SurfaceNormal* normals) {
                            std::fill(normals, normals + std::max(xEnd - xBegin, 0), normal);
                        },
                        threads, progress);
    } else if (vals.slopeType == SLOPE_ROUND2) {
        const Round2Kernel kernel = makeRound2Kernel(field, width, height, vals);
        writeOutputPass(field, output, width, height, channels, rule,
                        [&](int y, int xBegin, int xEnd, SurfaceNormal* normals) {
                            round2NormalsRow(kernel, field, width, height, y, xBegin, xEnd, normals);
                        },
                        threads, progress);
    } else {
        const FlatRoundKernel kernel = makeFlatRoundKernel(field, width, height, vals);
        writeOutputPass(field, output, width, height, channels, rule,
                        [&](int y, int xBegin, int xEnd, SurfaceNormal* normals) {
                            flatRoundNormalsRow(kernel, field, width, height, y, xBegin, xEnd, normals);
                        },
                        threads, progress);
    }
}
