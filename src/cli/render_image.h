// The tool's render of one image: the renderer core, with the shape taken
// from the red or the alpha channel.
#pragma once

#include "cli/image.h"
#include "cli/options.h"
#include "render/progress.h"

// Renders `image` in place with the settings of `options`. Returns false,
// leaving the image as it was, when the shape is to come from an alpha
// channel (MaskChannel::alpha) that the image does not have.
[[nodiscard]] bool renderImage(Image& image, const CliOptions& options, const ProgressFn& progress);
