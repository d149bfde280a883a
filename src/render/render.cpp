#include "render/render.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

#include "render/distance_transform.h"
#include "render/height_field.h"
#include "render/level_region.h"
#include "render/normal_map.h"
#include "render/normals/flat_round.h"
#include "render/normals/kernel_radius.h"
#include "render/normals/quotient_choice.h"
#include "render/normals/round2.h"
#include "render/output_pass.h"
#include "render/render_workspace.h"
#include "render/seeds.h"
#include "render/worker_count.h"
#include "render/wrapped_heights.h"

namespace {

void report(const ProgressFn& progress, const char* text, double fraction)
{
    if (progress)
        progress(text, fraction);
}

// Seeds, both distance passes and the distance field, as one float per
// pixel in the workspace's distHoriz. The vertical components go back when
// the field is made, so that the heap never holds more than two planes of
// floats, then the height field and Round2's roots. A tile's passes take
// two planes more, for the forward pass's vectors, from which its backward
// pass may have to start rows again.
void distanceField(PixelView<const uint8_t> input, const RenderSettings& settings, const ProgressFn& progress,
                   RenderWorkspace& buffers)
{
    buffers.distHoriz.reshape(input.width, input.height);
    Plane<float> distVert(input.width, input.height);
    scanSeeds(input, settings.invertInput, buffers.distHoriz, distVert, settings.tile);
    report(progress, "Ormolo 2.0: Distance Transform...", 0.05);
    if (settings.tile) {
        Plane<float> forwardH(input.width, input.height), forwardV(input.width, input.height);
        propagateForwardWrapped(buffers.distHoriz, distVert, forwardH, forwardV, progress);
        propagateBackwardWrapped(forwardH, forwardV, buffers.distHoriz, distVert, progress);
    } else {
        propagateForward(buffers.distHoriz, distVert, progress);
        propagateBackward(buffers.distHoriz, distVert, progress);
    }
    computeDistanceField(buffers.distHoriz, distVert, progress);
}

// The heights as the normal stages read them, where the region's pixel
// (x, y) is pixel (x + offset, y + offset). A tile's are wrapped into
// `wrapped`.
struct NormalHeights {
    HeightField heights;
    int offset;
};

NormalHeights normalHeights(HeightField heights, const RenderSettings& settings, Plane<float>& wrapped)
{
    if (!settings.tile)
        return {heights, 0};
    const int32_t margin = tileMargin(heights, settings);
    wrapHeights(heights, margin, wrapped);
    return {wrapped, margin};
}

// What every pixel holds before the output pass, and the outermost rows and
// columns after it: the input's pixels, or for unit normals the flat normal
// with the input's alpha.
template <class Sample>
void startOutput(PixelView<const uint8_t> input, PixelView<Sample> output, bool unitNormals)
{
    if (!unitNormals) {
        if constexpr (std::is_same_v<Sample, uint8_t>)
            if (output.data != input.data)
                std::memcpy(output.data, input.data, input.byteCount());
        return;
    }
    constexpr int alphaScale = std::numeric_limits<Sample>::max() / 255;
    for (int y = 0; y < input.height; ++y)
        for (int x = 0; x < input.width; ++x) {
            Sample* pixel = output.at(x, y);
            if (input.channels == 4)
                pixel[3] = static_cast<Sample>(input.at(x, y)[3] * alphaScale);
            encodeFlatNormal(pixel);
        }
}

// A copy of the output for a render that may be stopped: the output pass
// writes into it, and it is handed over only once the render is complete,
// so that a stopped render leaves the output as it was.
struct StagedOutput {
    std::variant<std::vector<uint8_t>, std::vector<uint16_t>> samples;
    OutputPixels view;

    explicit StagedOutput(OutputPixels output)
    {
        view = std::visit(
            [&](auto out) -> OutputPixels {
                using Sample = std::remove_pointer_t<decltype(out.data)>;
                out.data = samples.emplace<std::vector<Sample>>(out.byteCount()).data();
                return out;
            },
            output);
    }

    void handOver(OutputPixels output) const
    {
        std::visit(
            [&](auto out) {
                const auto staged = std::get<decltype(out)>(view);
                std::copy_n(staged.data, out.byteCount(), out.data);
            },
            output);
    }
};

} // namespace

bool renderRegion(PixelView<const uint8_t> input, OutputPixels output, const RenderSettings& settings,
                  const ProgressFn& progress, int threads, RenderWorkspace* workspace,
                  std::chrono::milliseconds heartbeat, const std::atomic<bool>* stop)
{
    [[maybe_unused]] const bool sameShape = std::visit(
        [&](auto view) {
            return input.width == view.width && input.height == view.height && input.channels == view.channels;
        },
        output);
    assert(sameShape);
    assert(writesUnitNormals(settings) || std::holds_alternative<PixelView<uint8_t>>(output));
    if (input.width <= 0 || input.height <= 0)
        return true;
    // A render reports 0.01 once its region is known and 0.02 once its
    // buffers are set up. Hosts read the region into memory before this
    // call, so the two come back to back; both stay, so that every host
    // shows the same sequence of reports.
    report(progress, nullptr, 0.01);
    report(progress, nullptr, 0.02);
    RenderWorkspace ownBuffers;
    RenderWorkspace& buffers = workspace ? *workspace : ownBuffers;
    distanceField(input, settings, progress, buffers);
    const PlaneView<float> heights = buffers.distHoriz;
    report(progress, "Ormolo 2.0: Computing height field...", 0.5);
    applyHeightProfile(heights, settings);
    report(progress, "Ormolo 2.0: Computing normal map...", 0.55);

    std::optional<StagedOutput> staged;
    if (stop)
        staged.emplace(output);
    const OutputPixels target = staged ? staged->view : output;
    const auto handOver = [&](bool complete) {
        if (complete && staged)
            staged->handOver(output);
        return complete;
    };
    std::visit([&](auto view) { startOutput(input, view, writesUnitNormals(settings)); }, target);
    const OutputRule rule{settings.probe, settings.specularity, settings.flipY, writesUnitNormals(settings),
                          settings.tile};
    // At a height of 0 or less every pixel is outside and needs no normal.
    float level = 0.0f;
    if (isLevelRegion(heights, level) && level > 0.0f) {
        const SurfaceNormal normal = levelNormal(level, settings);
        return handOver(writeOutputPass(heights, target, rule,
                                        [normal](int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* normals) {
                                            std::fill(normals, normals + (yEnd - yBegin) * (xEnd - xBegin), normal);
                                        },
                                        threads, progress, heartbeat, stop));
    }
    const int workers = workersForRender(heights, settings, threads);
    Plane<float> wrapped;
    const NormalHeights field = normalHeights(heights, settings, wrapped);
    const int offset = field.offset;
    // Neighbourhoods stop growing at the region's own cover radius, also
    // where a tile's wrapped field is larger than the region.
    const int32_t coverRadius = regionCoverRadius(heights.width, heights.height);
    bool complete;
    if (settings.profile == SlopeProfile::round2) {
        Round2Kernel& kernel = buffers.round2;
        remakeRound2Kernel(kernel, field.heights, settings, coverRadius);
        // Chosen here, before any worker starts, so that the first render's
        // measurement of both ways runs alone.
        const LengthQuotients quotients = bestLengthQuotients();
        complete = writeOutputPass(heights, target, rule,
                                   [&](int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* normals) {
                                       round2NormalsBlock(kernel, yBegin + offset, yEnd + offset, xBegin + offset,
                                                          xEnd + offset, normals, defaultLaneSet(), quotients);
                                   },
                                   workers, progress, heartbeat, stop);
        // The roots go back with the render, so that a kept workspace holds
        // no more than the next render's distance transform starts with.
        kernel.rootHeight = {};
    } else {
        const FlatRoundKernel kernel = makeFlatRoundKernel(field.heights, settings, coverRadius);
        complete = writeOutputPass(heights, target, rule,
                                   [&](int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* normals) {
                                       for (int y = yBegin; y < yEnd; ++y)
                                           flatRoundNormalsRow(kernel, y + offset, xBegin + offset, xEnd + offset,
                                                               normals + (y - yBegin) * (xEnd - xBegin));
                                   },
                                   workers, progress, heartbeat, stop);
    }
    return handOver(complete);
}

size_t renderPlaneBytesPerPixel(const RenderSettings& settings)
{
    // The distance transform holds its horizontal and vertical components, a
    // float each (a tile's the forward pass's pair besides); Round2's normals
    // then hold the height field beside the square root of every height, a
    // double. A tile's normal stages read its heights again in the wrapped
    // field, counted here at the tile's size: its margin depends on heights
    // that no header tells, and it is small beside any tile but a tiny one.
    const size_t planes = settings.tile ? 2 : 1;
    const size_t distanceTransform = planes * 2 * sizeof(float);
    const size_t heightField = planes * sizeof(float);
    const size_t normals = settings.profile == SlopeProfile::round2 ? heightField + sizeof(double) : heightField;
    return std::max(distanceTransform, normals);
}
