#include "render/output_pass.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "render/normal_map.h"
#include "render/probe_reflection.h"
#include "render/random_stream.h"

namespace {

struct PassContext {
    const float* heights;
    uint8_t* output;
    int width;
    int height;
    int channels;
    OutputRule rule;
    const NormalsOfRow& normalsOfRow;
    // Stream position of the first draw of each row's blurred pixels.
    std::vector<uint64_t> rowFirstDraw;
};

bool isInside(float height)
{
    return height > 0.0f;
}

// Blurred probe pixels draw 16 values each, in pass order: rows ascending,
// columns ascending. Reserving the whole pass's draws up front gives every
// row its own starting position, whichever thread renders it.
std::vector<uint64_t> reserveRowDraws(const float* heights, int width, int height)
{
    std::vector<uint64_t> rowFirstDraw(static_cast<size_t>(std::max(height, 0)));
    uint64_t draws = 0;
    for (int y = 1; y <= height - 2; ++y) {
        rowFirstDraw[y] = draws;
        const float* row = heights + static_cast<size_t>(y) * width;
        for (int x = 1; x <= width - 2; ++x)
            if (isInside(row[x]))
                draws += drawsPerBlurredPixel;
    }
    const uint64_t first = reserveRandomDraws(draws);
    for (uint64_t& position : rowFirstDraw)
        position += first;
    return rowFirstDraw;
}

void writeRow(const PassContext& pass, int y, std::vector<SurfaceNormal>& normals)
{
    pass.normalsOfRow(y, 1, pass.width - 1, normals.data());
    uint8_t* row = pass.output + static_cast<size_t>(y) * pass.width * pass.channels;
    const float* heightRow = pass.heights + static_cast<size_t>(y) * pass.width;
    const ProbeImage* probe = pass.rule.probe;
    uint64_t draw = pass.rowFirstDraw.empty() ? 0 : pass.rowFirstDraw[y];
    for (int x = 1; x <= pass.width - 2; ++x) {
        uint8_t* pixel = row + static_cast<size_t>(x) * pass.channels;
        const bool inside = isInside(heightRow[x]);
        if (!probe) {
            if (inside)
                encodeNormal(normals[x - 1], pixel, pass.channels);
            else
                encodeOutside(pixel, pass.channels);
        } else if (inside) {
            reflectInside(*probe, normals[x - 1], pass.rule.specularity, draw, pixel, pass.channels);
            draw += drawsPerBlurredPixel;
        } else {
            reflectOutside(*probe, pixel, pass.channels);
        }
    }
}

void writeRowsInline(const PassContext& pass, const ProgressFn& progress)
{
    std::vector<SurfaceNormal> normals(static_cast<size_t>(pass.width));
    for (int y = 1; y <= pass.height - 2; ++y) {
        writeRow(pass, y, normals);
        reportRow(progress, 0.59, 0.4, y, pass.height);
    }
}

// Workers take rows one at a time; the calling thread waits and reports the
// progress of each tenth row once every row up to it is written.
void writeRowsInParallel(const PassContext& pass, int workers, const ProgressFn& progress)
{
    std::atomic<int> nextRow{1};
    std::mutex mutex;
    std::condition_variable rowDone;
    std::vector<char> done(static_cast<size_t>(pass.height), 0);

    auto work = [&] {
        std::vector<SurfaceNormal> normals(static_cast<size_t>(pass.width));
        for (int y = nextRow++; y <= pass.height - 2; y = nextRow++) {
            writeRow(pass, y, normals);
            {
                std::lock_guard<std::mutex> lock(mutex);
                done[y] = 1;
            }
            rowDone.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);
    for (int y = 1; y <= pass.height - 2; ++y) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            rowDone.wait(lock, [&] { return done[y] != 0; });
        }
        reportRow(progress, 0.59, 0.4, y, pass.height);
    }
    for (std::thread& thread : threads)
        thread.join();
}

// The number of workers a request for `threads` gets: 0 means one per core.
int workerCount(int threads)
{
    if (threads > 0)
        return threads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace

void writeOutputPass(const float* heights, uint8_t* output, int width, int height, int channels,
                     const OutputRule& rule, const NormalsOfRow& normalsOfRow, int threads,
                     const ProgressFn& progress)
{
    PassContext pass{heights, output, width, height, channels, rule, normalsOfRow, {}};
    if (rule.probe && probeIsBlurred(rule.specularity))
        pass.rowFirstDraw = reserveRowDraws(heights, width, height);
    const int workers = std::min(workerCount(threads), std::max(height - 2, 1));
    if (workers <= 1)
        writeRowsInline(pass, progress);
    else
        writeRowsInParallel(pass, workers, progress);
}
