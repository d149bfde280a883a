#include "cli/render_image.h"

#include <algorithm>
#include <cstddef>

#include "render/height_map.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "render/render_workspace.h"

namespace {

bool wantsHeightMap(const CliOptions& options)
{
    return !options.heightMapPath.empty() || !options.heightDir.empty();
}

// Calls `visit` with the place of every pixel whose colour the render gives.
template <typename Visit>
void forColouredPixels(const Image& image, bool frame, Visit visit)
{
    const int margin = frame ? 0 : 1;
    for (int y = margin; y < image.height - margin; ++y)
        for (int x = margin; x < image.width - margin; ++x)
            visit(x, y);
}

// The core reads the shape from the first channel, so with --mask alpha it
// renders a copy whose first channel holds the alpha. Only the colour comes
// back: every alpha sample stays the input's (scaled to 16 bits), so outside
// the shape the output stays transparent, and pixels that get no colour of
// the render keep their input pixels.
void takeRenderedColour(const Image& shape, bool frame, Image& image)
{
    const PixelView<const uint8_t> rendered = shape.view();
    const PixelView<uint8_t> pixels = image.view();
    forColouredPixels(image, frame, [&](int x, int y) { std::copy_n(rendered.at(x, y), 3, pixels.at(x, y)); });
}

void keepInputAlpha(const Image& image, WideImage& output)
{
    const PixelView<const uint8_t> input = image.view();
    const PixelView<uint16_t> pixels = output.view();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            pixels.at(x, y)[3] = static_cast<uint16_t>(input.at(x, y)[3] * 257);
}

// The file to write as a height map, at the options' scale or the image's
// largest height.
void makeHeightMap(HeightField heights, const CliOptions& options, RenderedExtras& extras)
{
    double scale = options.heightScale;
    if (!(scale > 0.0))
        scale = largestSurfaceHeight(heights, options.settings);
    // A shape without height has nothing to scale: every sample is 0 at any.
    if (!(scale > 0.0))
        scale = 1.0;
    extras.heightScale = scale;
    extras.heightMap = {heights.width, heights.height, 1,
                        std::vector<uint16_t>(heights.count())};
    writeHeightMap(heights, options.settings, scale,
                   PlaneView<uint16_t>(extras.heightMap.samples.data(), heights.width, heights.height));
}

} // namespace

bool renderImage(Image& image, const CliOptions& options, const ProgressFn& progress, RenderedExtras& extras)
{
    const bool alphaMask = options.mask == MaskChannel::alpha;
    if (alphaMask && image.channels != 4)
        return false;
    setRandomStreamPosition(options.seed);
    Image alphaShape;
    if (alphaMask) {
        alphaShape = image;
        for (size_t i = 0; i < alphaShape.pixels.size(); i += 4)
            alphaShape.pixels[i] = alphaShape.pixels[i + 3];
    }
    Image& shape = alphaMask ? alphaShape : image;

    OutputPixels output = shape.view();
    if (options.bits == 16) {
        extras.wideOutput = {image.width, image.height, image.channels,
                             std::vector<uint16_t>(image.pixels.size())};
        output = extras.wideOutput.view();
    }
    RenderWorkspace workspace;
    renderRegion(shape.view(), output, options.settings, progress, options.threads, &workspace);

    if (alphaMask && options.bits == 16)
        keepInputAlpha(image, extras.wideOutput);
    else if (alphaMask)
        takeRenderedColour(alphaShape, coloursEveryPixel(options.settings), image);
    if (wantsHeightMap(options))
        makeHeightMap(workspace.distHoriz, options, extras);
    return true;
}
