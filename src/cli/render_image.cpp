#include "cli/render_image.h"

#include <algorithm>
#include <cstddef>

#include "render/random_stream.h"
#include "render/render.h"

namespace {

// Calls `visit` with the place of every pixel that gets a computed colour:
// all but the outermost rows and columns, which keep their input pixels.
template <typename Visit>
void forInnerPixels(const Image& image, Visit visit)
{
    for (int y = 1; y < image.height - 1; ++y)
        for (int x = 1; x < image.width - 1; ++x)
            visit(x, y);
}

// The core reads the shape from the first channel, so it renders a copy
// whose first channel holds the alpha. Only the colour of the computed
// pixels comes back: every alpha byte and the outermost rows and columns
// stay as read, so outside the shape the output stays transparent.
void renderAlphaShape(Image& image, const CliOptions& options, const ProbeImage* probe,
                      const ProgressFn& progress)
{
    Image shape = image;
    for (size_t i = 0; i < shape.pixels.size(); i += 4)
        shape.pixels[i] = shape.pixels[i + 3];
    renderRegion(shape.view(), shape.view(), options.vals, probe, progress, options.threads);
    const PixelView<const uint8_t> rendered = shape.view();
    const PixelView<uint8_t> output = image.view();
    forInnerPixels(image, [&](int x, int y) { std::copy_n(rendered.at(x, y), 3, output.at(x, y)); });
}

// Green encodes ny as (int)(ny * 127) + 127. Negating a float and its
// product with 127 is exact and truncation is symmetric about zero, so the
// encoding of -ny is exactly 254 - green. Outside pixels, green 127, map to
// themselves.
void flipGreen(Image& image)
{
    const PixelView<uint8_t> pixels = image.view();
    forInnerPixels(image, [&](int x, int y) {
        uint8_t& green = pixels.at(x, y)[1];
        green = static_cast<uint8_t>(254 - green);
    });
}

} // namespace

bool renderImage(Image& image, const CliOptions& options, const ProbeImage* probe,
                 const ProgressFn& progress)
{
    if (options.mask == MaskChannel::alpha && image.channels != 4)
        return false;
    setRandomStreamPosition(options.seed);
    if (options.mask == MaskChannel::alpha)
        renderAlphaShape(image, options, probe, progress);
    else
        renderRegion(image.view(), image.view(), options.vals, probe, progress, options.threads);
    if (options.flipY)
        flipGreen(image);
    return true;
}
