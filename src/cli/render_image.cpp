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
void renderAlphaShape(Image& image, const CliOptions& options, const ProgressFn& progress)
{
    Image shape = image;
    for (size_t i = 0; i < shape.pixels.size(); i += 4)
        shape.pixels[i] = shape.pixels[i + 3];
    renderRegion(shape.view(), shape.view(), options.settings, progress, options.threads);
    const PixelView<const uint8_t> rendered = shape.view();
    const PixelView<uint8_t> output = image.view();
    forInnerPixels(image, [&](int x, int y) { std::copy_n(rendered.at(x, y), 3, output.at(x, y)); });
}

} // namespace

bool renderImage(Image& image, const CliOptions& options, const ProgressFn& progress)
{
    if (options.mask == MaskChannel::alpha && image.channels != 4)
        return false;
    setRandomStreamPosition(options.seed);
    if (options.mask == MaskChannel::alpha)
        renderAlphaShape(image, options, progress);
    else
        renderRegion(image.view(), image.view(), options.settings, progress, options.threads);
    return true;
}
