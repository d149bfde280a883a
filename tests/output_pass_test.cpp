#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>

#include "reference_renderer.h"
#include "render/output_pass.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "test_images.h"

namespace {

// How many more threads the process may start; negative for no limit.
std::atomic<int> threadStartsLeft{-1};
std::atomic<int> threadStartsRefused{0};

// Limits thread starts for the rest of the scope, as a process limit or an
// exhausted address space would.
struct ThreadStartLimit {
    explicit ThreadStartLimit(int starts)
    {
        threadStartsRefused = 0;
        threadStartsLeft = starts;
    }
    ~ThreadStartLimit() { threadStartsLeft = -1; }
};

} // namespace

// Every thread of this test program starts here, std::thread's included, so
// the tests can make the system refuse a thread.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) noexcept
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create systemCreate = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    int left = threadStartsLeft.load();
    while (left >= 0) {
        if (left == 0) {
            ++threadStartsRefused;
            return EAGAIN;
        }
        if (threadStartsLeft.compare_exchange_weak(left, left - 1))
            break;
    }
    return systemCreate(thread, attributes, start, argument);
}

namespace {

std::vector<uint8_t> renderWith(const std::vector<uint8_t>& input, int width, int height,
                                const OrmoloVals& vals, const ProbeImage* probe, int threads,
                                std::vector<double>* fractions = nullptr)
{
    std::vector<uint8_t> output(input.size());
    setRandomStreamPosition(4242);
    ProgressFn progress;
    if (fractions)
        progress = [fractions](const char*, double fraction) { fractions->push_back(fraction); };
    // Without a heartbeat the reports do not depend on how fast the machine is.
    renderRegion(pixelsOf(input, width, height, 3), pixelsOf(output, width, height, 3), productSettings(vals, probe), progress,
                 threads, nullptr, noHeartbeat);
    return output;
}

TEST(OutputPass, GoesOnWithTheThreadsThatStart)
{
    std::mt19937 rng(31);
    const int width = 300, height = 64;  // more than one step of columns per row
    const auto input = maskImage(randomMask(rng, width, height), 3);
    const ProbeImage probe{2, 2, false, std::vector<uint8_t>(16, 90)};
    OrmoloVals blurred = ormoloDefaults;
    blurred.specularity = 0.4;
    const struct { const char* name; const ProbeImage* probe; OrmoloVals vals; } outputs[] = {
        {"normal map", nullptr, ormoloDefaults}, {"blurred probe", &probe, blurred}};
    for (const auto& output : outputs) {
        std::vector<double> expectedFractions;
        const auto expected = renderWith(input, width, height, output.vals, output.probe, 1, &expectedFractions);
        ASSERT_EQ(expected, referenceRender(input, width, height, 3, output.vals, output.probe, 4242));
        const struct { int threads, starts; } limits[] = {{2, 0}, {4, 0}, {4, 1}, {8, 2}};
        for (const auto& limit : limits) {
            SCOPED_TRACE(std::string(output.name) + ", " + std::to_string(limit.threads) + " threads, " +
                         std::to_string(limit.starts) + " may start");
            std::vector<double> fractions;
            std::vector<uint8_t> rendered;
            {
                ThreadStartLimit threadLimit(limit.starts);
                rendered = renderWith(input, width, height, output.vals, output.probe, limit.threads,
                                      &fractions);
            }
            EXPECT_GT(threadStartsRefused.load(), 0) << "the limit never bit";
            EXPECT_EQ(rendered, expected);
            EXPECT_EQ(fractions, expectedFractions);
        }
    }
}

void levelNormals(int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* normals)
{
    for (int i = 0; i < (yEnd - yBegin) * (xEnd - xBegin); ++i)
        normals[i] = {0.0f, 0.0f};
}

// With a heartbeat of 0 the pass reports after every step of columns: a
// render whose rows each take seconds keeps its progress moving.
TEST(OutputPass, ReportsWithinRowsWhenTheyAreSlow)
{
    const int width = 1000, height = 23;
    const std::vector<float> heights(static_cast<size_t>(width) * height, 1.0f);
    std::vector<uint8_t> output(heights.size() * 3);
    const auto level = levelNormals;
    const double rowSpan = 0.4 / (height - 1);
    for (int threads : {1, 2, 3}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        std::vector<double> fractions;
        writeOutputPass(planeOf(heights, width, height), pixelsOf(output, width, height, 3), {nullptr, 1.0},
                        level, threads,
                        [&](const char*, double fraction) { fractions.push_back(fraction); },
                        std::chrono::milliseconds(0));
        EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
        EXPECT_EQ(std::adjacent_find(fractions.begin(), fractions.end()), fractions.end()) << "repeats";
        for (int row : {10, 20})
            EXPECT_NE(std::find(fractions.begin(), fractions.end(), 0.59 + 0.4 * (row / 22.0)), fractions.end())
                << "row " << row;
        // On one thread the reports after each step of columns fall inside
        // the rows; with helpers, which row is partly written at a report
        // depends on how the threads run.
        const bool withinRow = std::any_of(fractions.begin(), fractions.end(), [&](double f) {
            const double rows = (f - 0.59) / rowSpan;
            return rows - std::floor(rows) > 1e-6 && std::ceil(rows) - rows > 1e-6;
        });
        if (threads == 1) {
            EXPECT_TRUE(withinRow);
        }
        ASSERT_FALSE(fractions.empty());
        EXPECT_LT(fractions.back(), 0.59 + 0.4 * (21.0 / 22.0) + 1e-12);
    }
}

// Without a heartbeat the pass reports each tenth row and nothing else, on
// any number of threads and however slow the machine.
TEST(OutputPass, WithoutAHeartbeatReportsTheTenthRowsOnly)
{
    const int width = 1000, height = 33;
    const std::vector<float> heights(static_cast<size_t>(width) * height, 1.0f);
    std::vector<uint8_t> output(heights.size() * 3);
    const std::vector<double> tenthRows = {0.59 + 0.4 * (10 / 32.0), 0.59 + 0.4 * (20 / 32.0),
                                           0.59 + 0.4 * (30 / 32.0)};
    for (int threads : {1, 2, 5}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        std::vector<double> fractions;
        writeOutputPass(planeOf(heights, width, height), pixelsOf(output, width, height, 3), {nullptr, 1.0},
                        levelNormals, threads,
                        [&](const char*, double fraction) { fractions.push_back(fraction); }, noHeartbeat);
        EXPECT_EQ(fractions, tenthRows);
    }
}

// A stop ends the pass at the next step of columns: once it is set, no
// worker begins another block, but for those that had looked at the flag
// just before.
TEST(OutputPass, AStopEndsThePassAtTheNextStep)
{
    const int width = 300, height = 66;  // 16 bands of 5 steps
    const std::vector<float> heights(static_cast<size_t>(width) * height, 1.0f);
    std::vector<uint8_t> output(heights.size() * 3);
    for (int threads : {1, 2, 4})
        for (int stopAtBlock : {0, 1, 7}) {  // 0: never
            SCOPED_TRACE(std::to_string(threads) + " threads, stop at block " + std::to_string(stopAtBlock));
            std::atomic<bool> stop{false};
            std::atomic<int> blocks{0}, blocksAfterStop{0};
            const auto normals = [&](int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* n) {
                blocksAfterStop += stop.load();
                if (++blocks == stopAtBlock)
                    stop = true;
                levelNormals(yBegin, yEnd, xBegin, xEnd, n);
            };
            const bool complete = writeOutputPass(planeOf(heights, width, height), pixelsOf(output, width, height, 3),
                                                  {nullptr, 1.0}, normals, threads, {}, noHeartbeat, &stop);
            EXPECT_EQ(complete, stopAtBlock == 0);
            EXPECT_LE(blocksAfterStop.load(), threads - 1);
            if (complete) {
                EXPECT_EQ(blocks.load(), 16 * 5);
            }
        }
}

} // namespace
