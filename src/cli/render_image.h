// The tool's render of one image: the renderer core, with the shape taken
// from the red or the alpha channel, the normal map in 8 or 16 bits and the
// height map when asked for.
#pragma once

#include "cli/image.h"
#include "cli/options.h"
#include "render/progress.h"

// What a render gives besides the 8-bit output, which replaces the image's
// own pixels.
struct RenderedExtras {
    WideImage wideOutput;   // the normal map when it has 16 bits (the image then stays as read)
    WideImage heightMap;    // one channel, when the options ask for it
    double heightScale = 0.0;  // the height in pixels that 65535 stands for in it
};

// Renders `image` with the settings of `options`. Returns false, leaving the
// image as it was, when the shape is to come from an alpha channel
// (MaskChannel::alpha) that the image does not have.
[[nodiscard]] bool renderImage(Image& image, const CliOptions& options, const ProgressFn& progress,
                               RenderedExtras& extras);
