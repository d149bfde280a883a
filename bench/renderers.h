// The two renderers under comparison, called the same way on the same input.
// This is the one place that knows their signatures: thread counts and, for
// the probe-reflection cases, the probe image are passed on from here. Both
// start their blurred samples at the same place of the random stream, so
// their bytes compare.
#pragma once

#include <cstdint>
#include <vector>

#include "host/ormolo_vals.h"
#include "render/probe_image.h"
#include "synthetic_images.h"

struct BenchSettings {
    OrmoloVals vals = ormoloDefaults;
    const ProbeImage* probe = nullptr;  // null: normal-map output
    int threads = 0;                    // 0: one worker per core
    bool keepsWorkspace = false;        // one workspace for all its renders, as the dialog's preview keeps
};

// Renders into `output` (resized to the image's size); no progress reports.
void renderProduct(const Image& image, const BenchSettings& settings, std::vector<uint8_t>& output);
std::vector<uint8_t> renderLiteral(const Image& image, const BenchSettings& settings);

// Seeds, both distance passes and the distance field on one thread, into
// buffers that the caller allocated (width * height floats each); the field
// ends in `horiz`, as in the renderer.
struct DistanceBuffers {
    std::vector<float> horiz, vert;
};
void runDistanceTransform(const Image& image, DistanceBuffers& buffers);
