// The renderer core: from the pixels of a render region to its bevelled
// output, with no host of its own. Hosts read the region, call renderRegion
// and write the result back.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "render/image_view.h"
#include "render/output_pass.h"
#include "render/progress.h"
#include "render/render_settings.h"

struct RenderWorkspace;

// `input` and `output` are views of the same size (3 or 4 channels, alpha
// last); they may share their bytes. With a probe in the settings the bevel
// reflects it, otherwise it is encoded as a normal map. The outermost rows
// and columns get no computed colour, unless the settings make the region a
// tile: they keep their input pixels, but under the unit encoding they hold
// the flat normal like every outside pixel, whose alpha is the input's. Only the unit encoding writes 16-bit
// samples (alpha scaled from the input's 8 bits).
// `progress` (may be empty) receives the progress texts and fractions of a
// final render, starting at 0.01, on the calling thread. `threads` 0 uses
// one worker per core; the bytes never depend on it. A `workspace` (may be
// null) keeps the render's buffers for the next render that gets it. The
// output pass's `heartbeat` is as writeOutputPass takes it.
// Another thread may set `stop` (may be null) to end the render early: it
// then returns false within a step of its output pass and leaves `output` as
// it was. Otherwise it returns true with the whole render in `output`; a stop
// never changes the bytes of a render that completes.
bool renderRegion(PixelView<const uint8_t> input, OutputPixels output, const RenderSettings& settings,
                  const ProgressFn& progress, int threads = 0,
                  RenderWorkspace* workspace = nullptr,
                  std::chrono::milliseconds heartbeat = progressHeartbeat,
                  const std::atomic<bool>* stop = nullptr);

// The bytes per pixel of the planes that renderRegion holds at its peak
// besides its input and output, for a host to work out before it reads a
// region's pixels whether the render fits into memory.
size_t renderPlaneBytesPerPixel(const RenderSettings& settings);
