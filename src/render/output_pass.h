// The output pass: every inner pixel of the region (rows 1..height-2,
// columns 1..width-2), or every pixel of a tile, gets its colour from a
// normal-map rule, or from the probe rule when a probe is given. Bands of
// rows are shared out among worker threads, the calling thread among them;
// progress is reported from the calling thread only, in row order.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <variant>

#include "render/height_field.h"
#include "render/image_view.h"
#include "render/probe_image.h"
#include "render/progress.h"
#include "render/render_settings.h"
#include "render/surface_normal.h"

// The pixels a render writes: 8-bit samples for every rule, or 16-bit ones,
// which only the unit-normal encoding writes.
using OutputPixels = std::variant<PixelView<uint8_t>, PixelView<uint16_t>>;

// Fills normals[(y - yBegin) * (xEnd - xBegin) + x - xBegin] for the inside
// pixels among rows yBegin..yEnd-1 and columns xBegin..xEnd-1: a block of a
// few rows, so that pixels of alike neighbourhoods in neighbouring rows can
// be computed together. Called concurrently for different rows.
using NormalsOfBlock =
    std::function<void(int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* normals)>;

struct OutputRule {
    const ProbeImage* probe;  // null: normal map
    double specularity;
    bool flipY = false;       // normal maps store -ny
    bool unitNormals = false; // normal maps store unit normals
    bool tile = false;        // every pixel is visited, the outermost rows and columns too
};

// `output` has the size of `heights`. `threads` 0 means one per core; where
// the system cannot start them all, the pass goes on with those it has.
// Besides each tenth row's report, progress is reported whenever `heartbeat`
// passes without a report (never for noHeartbeat). Once `stop` (may be null)
// is set, every worker leaves at its next step of columns and the pass
// returns false with rows left unwritten; true when every row is written.
bool writeOutputPass(HeightField heights, OutputPixels output, const OutputRule& rule,
                     const NormalsOfBlock& normalsOfBlock, int threads, const ProgressFn& progress,
                     std::chrono::milliseconds heartbeat = progressHeartbeat,
                     const std::atomic<bool>* stop = nullptr);
