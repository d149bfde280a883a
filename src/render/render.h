// The renderer core: from the pixels of a render region to its bevelled
// output, with no host of its own. Hosts read the region, call renderRegion
// and write the result back.
#pragma once

#include <cstdint>

#include "host/ormolo_vals.h"
#include "render/progress.h"

// `input` and `output` hold width * height * channels bytes (channels 3 or
// 4, alpha last), row-major; they may be the same buffer. Every pixel of the
// outermost rows and columns, which gets no computed colour, keeps its input
// value. `progress` (may be empty) receives the progress texts and fractions
// of a final render, starting at 0.01.
void renderRegion(const uint8_t* input, uint8_t* output, int width, int height, int channels,
                  const OrmoloVals& vals, const ProgressFn& progress);
