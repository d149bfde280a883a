#include "render/output_pass.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "render/normal_map.h"
#include "render/probe_reflection.h"
#include "render/random_stream.h"
#include "render/worker_count.h"

namespace {

// Workers take bands of this many rows, whose normals are computed
// together: neighbouring rows of a stroke hold pixels of alike
// neighbourhoods, which the normal stages can put side by side.
constexpr int rowsPerBand = 4;

// A row of a thick shape can take seconds: bands are written this many
// columns at a time, and the calling thread can report between the steps.
// A step covers as many pixels as one of 256 columns of a single row.
constexpr int columnsPerStep = 64;

struct PassContext {
    HeightField heights;
    OutputPixels output;
    OutputRule rule;
    const NormalsOfBlock& normalsOfBlock;
    // The visited rows and columns: first..last of each.
    int firstRow, lastRow, firstColumn, lastColumn;
    const std::atomic<bool>* stop;
    // Stream position of the first draw of each row's blurred pixels.
    std::vector<uint64_t> rowFirstDraw;

    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

bool isInside(float height)
{
    return height > 0.0f;
}

// Blurred probe pixels draw 16 values each, in pass order: rows ascending,
// columns ascending. Reserving the whole pass's draws up front gives every
// row its own starting position, whichever thread renders it.
std::vector<uint64_t> reserveRowDraws(const PassContext& pass)
{
    const HeightField heights = pass.heights;
    std::vector<uint64_t> rowFirstDraw(static_cast<size_t>(std::max(heights.height, 0)));
    uint64_t draws = 0;
    for (int y = pass.firstRow; y <= pass.lastRow; ++y) {
        rowFirstDraw[y] = draws;
        const float* row = heights.row(y);
        for (int x = pass.firstColumn; x <= pass.lastColumn; ++x)
            if (isInside(row[x]))
                draws += drawsPerBlurredPixel;
    }
    const uint64_t first = reserveRandomDraws(draws);
    for (uint64_t& position : rowFirstDraw)
        position += first;
    return rowFirstDraw;
}

// Unit normals: the only rule that writes 16-bit samples too.
template <class Sample>
void writeUnitNormals(const PassContext& pass, PixelView<Sample> output, int y, int xBegin, int xEnd,
                      const SurfaceNormal* normals)
{
    const float* heightRow = pass.heights.row(y);
    for (int x = xBegin; x < xEnd; ++x) {
        Sample* pixel = output.at(x, y);
        if (isInside(heightRow[x]))
            encodeUnitNormal(normals[x - xBegin], pass.rule.flipY, pixel, output.channels);
        else
            encodeFlatNormal(pixel);
    }
}

void writeBytes(const PassContext& pass, PixelView<uint8_t> output, int y, int xBegin, int xEnd,
                const SurfaceNormal* normals, uint64_t& draw)
{
    const int channels = output.channels;
    const float* heightRow = pass.heights.row(y);
    const ProbeImage* probe = pass.rule.probe;
    for (int x = xBegin; x < xEnd; ++x) {
        uint8_t* pixel = output.at(x, y);
        const SurfaceNormal normal = normals[x - xBegin];
        const bool inside = isInside(heightRow[x]);
        if (!probe) {
            if (inside)
                encodeNormal(normal, pass.rule.flipY, pixel, channels);
            else
                encodeOutside(pixel, channels);
        } else if (inside) {
            reflectInside(*probe, normal, pass.rule.specularity, draw, pixel, channels);
            draw += drawsPerBlurredPixel;
        } else {
            reflectOutside(*probe, pixel, channels);
        }
    }
}

// Columns xBegin..xEnd-1 of row y, whose normals are given; `draw` is the
// stream position of the first blurred pixel among them and moves past their
// draws.
void writeColumns(const PassContext& pass, int y, int xBegin, int xEnd, const SurfaceNormal* normals,
                  uint64_t& draw)
{
    std::visit(
        [&](auto output) {
            if (pass.rule.unitNormals)
                writeUnitNormals(pass, output, y, xBegin, xEnd, normals);
            else if constexpr (std::is_same_v<decltype(output), PixelView<uint8_t>>)
                writeBytes(pass, output, y, xBegin, xEnd, normals, draw);
        },
        pass.output);
}

// What the workers share: the first row of the next band to take, and how
// many columns of each row are written.
struct RowBoard {
    RowBoard(int height, int firstRow, int columns)
        : columns(columns), nextBand(firstRow), columnsDone(new std::atomic<int>[height]())
    {
    }

    bool rowWritten(int y) const { return columnsDone[y].load(std::memory_order_relaxed) >= columns; }

    // Wakes the calling thread's wait for a row. It looks at the board and
    // starts its wait while holding the mutex: taking the mutex here, after
    // the change it waits for, means that it either saw the change or is woken.
    void announce()
    {
        { std::lock_guard<std::mutex> lock(mutex); }
        rowDone.notify_one();
    }

    const int columns;
    std::atomic<int> nextBand;
    std::unique_ptr<std::atomic<int>[]> columnsDone;
    // Only for the calling thread's wait for a row.
    std::mutex mutex;
    std::condition_variable rowDone;
};

// The progress of the pass as the calling thread reports it. Each tenth row
// reports its row fraction once every row up to it is written, in row
// order. Between those, when `heartbeat` has passed without any report, the
// share of the pass written in row order so far is reported, counting the
// columns of the next row: a thick shape's rows can take seconds each, and
// the display must not stand still meanwhile. Renders whose tenth rows come
// quicker than that report exactly the row fractions.
class PassProgress {
public:
    PassProgress(const ProgressFn& progress, const PassContext& pass, std::chrono::milliseconds heartbeat)
        : progress_(progress), height_(pass.heights.height), lastRow_(pass.lastRow),
          writtenThrough_(pass.firstRow - 1), heartbeat_(heartbeat), lastReport_(Clock::now())
    {
    }

    // Reports what is new on the board; true once every row is written.
    bool update(const RowBoard& board)
    {
        while (writtenThrough_ < lastRow_ && board.rowWritten(writtenThrough_ + 1)) {
            ++writtenThrough_;
            if (writtenThrough_ % 10 == 0)
                report(rowFraction(0.59, 0.4, writtenThrough_, height_));
        }
        if (writtenThrough_ < lastRow_ && hasHeartbeat() && Clock::now() - lastReport_ >= heartbeat_) {
            const int next = writtenThrough_ + 1;
            const double columns = board.columnsDone[next].load(std::memory_order_relaxed);
            const double rows = writtenThrough_ + (board.columns > 0 ? columns / board.columns : 0.0);
            report(rowFraction(0.59, 0.4, rows, height_));
        }
        return writtenThrough_ == lastRow_;
    }

    // The first row not yet reported as written.
    int awaitedRow() const { return writtenThrough_ + 1; }

    bool hasHeartbeat() const { return heartbeat_ != noHeartbeat; }

    // Only with a heartbeat.
    std::chrono::milliseconds untilHeartbeat() const
    {
        const auto left = heartbeat_ - (Clock::now() - lastReport_);
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(left),
                        std::chrono::milliseconds(1));
    }

private:
    using Clock = std::chrono::steady_clock;

    void report(double fraction)
    {
        lastReport_ = Clock::now();
        if (fraction <= lastFraction_)
            return;
        lastFraction_ = fraction;
        if (progress_)
            progress_(nullptr, fraction);
    }

    const ProgressFn& progress_;
    int height_;
    int lastRow_;
    int writtenThrough_;  // every row up to it is written
    std::chrono::milliseconds heartbeat_;
    Clock::time_point lastReport_;
    double lastFraction_ = 0.0;
};

// Takes bands of rows until none is left or the pass is to stop. `afterStep`
// runs after each step of columns, on the thread that wrote them.
template <typename AfterStep>
void takeBands(const PassContext& pass, RowBoard& board, SurfaceNormal* normals,
               const AfterStep& afterStep)
{
    const int lastRow = pass.lastRow, lastColumn = pass.lastColumn;
    for (int yBegin = board.nextBand.fetch_add(rowsPerBand); yBegin <= lastRow;
         yBegin = board.nextBand.fetch_add(rowsPerBand)) {
        const int yEnd = std::min(yBegin + rowsPerBand, lastRow + 1);
        uint64_t draws[rowsPerBand] = {};
        if (!pass.rowFirstDraw.empty())
            std::copy(pass.rowFirstDraw.begin() + yBegin, pass.rowFirstDraw.begin() + yEnd, draws);
        for (int x = pass.firstColumn; x <= lastColumn; x += columnsPerStep) {
            if (pass.stopped()) {
                board.announce();  // the calling thread may wait for this band
                return;
            }
            const int xEnd = std::min(x + columnsPerStep, lastColumn + 1);
            pass.normalsOfBlock(yBegin, yEnd, x, xEnd, normals);
            for (int y = yBegin; y < yEnd; ++y) {
                writeColumns(pass, y, x, xEnd, normals + (y - yBegin) * (xEnd - x), draws[y - yBegin]);
                board.columnsDone[y].store(xEnd - pass.firstColumn, std::memory_order_relaxed);
            }
            afterStep();
        }
        board.announce();
        afterStep();
    }
}

// Joins the helper threads however the calling thread leaves.
struct Joiner {
    std::vector<std::thread>& threads;
    ~Joiner()
    {
        for (std::thread& thread : threads)
            thread.join();
    }
};

} // namespace

bool writeOutputPass(HeightField heights, OutputPixels output, const OutputRule& rule,
                     const NormalsOfBlock& normalsOfBlock, int threads, const ProgressFn& progress,
                     std::chrono::milliseconds heartbeat, const std::atomic<bool>* stop)
{
    const int width = heights.width, height = heights.height, frame = unvisitedFrame(rule.tile);
    const int rows = height - 2 * frame;
    if (rows <= 0)
        return true;
    PassContext pass{heights, output, rule, normalsOfBlock, frame, height - 1 - frame, frame, width - 1 - frame,
                     stop, {}};
    if (rule.probe && probeIsBlurred(rule.specularity))
        pass.rowFirstDraw = reserveRowDraws(pass);
    const int bands = (rows + rowsPerBand - 1) / rowsPerBand;
    const int workers = std::min(workerCount(threads), bands);

    // Every buffer is made here, so that the helpers allocate nothing.
    RowBoard board(height, pass.firstRow, std::max(width - 2 * frame, 0));
    std::vector<std::vector<SurfaceNormal>> normals(
        static_cast<size_t>(workers), std::vector<SurfaceNormal>(static_cast<size_t>(rowsPerBand * columnsPerStep)));
    PassProgress passProgress(progress, pass, heartbeat);

    // The calling thread is the first worker. Helpers that the system cannot
    // start are simply not there: the bytes never depend on how many run.
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<size_t>(workers - 1));
    Joiner joiner{helpers};
    try {
        for (int i = 1; i < workers; ++i)
            helpers.emplace_back([&pass, &board, buffer = normals[i].data()] {
                takeBands(pass, board, buffer, [] {});
            });
    } catch (const std::system_error&) {
    }
    takeBands(pass, board, normals[0].data(), [&] { passProgress.update(board); });
    while (!passProgress.update(board)) {
        if (pass.stopped())
            return false;  // the helpers leave at their next step
        const int awaited = passProgress.awaitedRow();
        const auto writtenOrStopped = [&] { return board.rowWritten(awaited) || pass.stopped(); };
        std::unique_lock<std::mutex> lock(board.mutex);
        if (passProgress.hasHeartbeat())
            board.rowDone.wait_for(lock, passProgress.untilHeartbeat(), writtenOrStopped);
        else
            board.rowDone.wait(lock, writtenOrStopped);
    }
    return true;
}
