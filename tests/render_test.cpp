#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>

#include "reference_renderer.h"
#include "render/background_render.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "render/render_workspace.h"
#include "render/worker_count.h"
#include "test_images.h"

namespace {

std::vector<uint8_t> render(const std::vector<uint8_t>& input, int width, int height, int channels,
                            const OrmoloVals& vals, const ProgressFn& progress = {})
{
    std::vector<uint8_t> output(input.size(), 0xAB);
    renderRegion(pixelsOf(input, width, height, channels), pixelsOf(output, width, height, channels),
                 productSettings(vals), progress);
    return output;
}

OrmoloVals randomSettings(std::mt19937& rng)
{
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    OrmoloVals vals = ormoloDefaults;
    const int32_t slopes[] = {SLOPE_FLAT, SLOPE_ROUND, SLOPE_ROUND2, 0, 200};
    vals.slopeType = slopes[rng() % 5];
    vals.invertInput = rng() % 3 == 0 ? static_cast<int32_t>(rng() % 256) : 0;
    vals.maxNormalMapBlurRadius = static_cast<int32_t>(rng() % 9);
    vals.slopeDepthFlat = 1.0f + 9.5f * unit(rng);
    vals.slopeDepthRound = 1.0f + 7.0f * unit(rng);
    vals.slopeDepthRound2 = 1.0f + 24.0f * unit(rng);
    return vals;
}

TEST(Render, MatchesReferenceOnRandomMasksSizesAndSettings)
{
    std::mt19937 rng(2024);
    for (int trial = 0; trial < 120; ++trial) {
        const int width = 1 + static_cast<int>(rng() % 24), height = 1 + static_cast<int>(rng() % 20);
        const int channels = 3 + static_cast<int>(rng() % 2);
        const auto input = maskImage(randomMask(rng, width, height), channels);
        const OrmoloVals vals = randomSettings(rng);
        ASSERT_EQ(render(input, width, height, channels, vals),
                  referenceRender(input, width, height, channels, vals))
            << "trial " << trial << ": " << width << "x" << height << "x" << channels
            << " slope " << vals.slopeType;
    }
}

TEST(Render, UnvisitedPixelsKeepTheirInput)
{
    // Rows 0 and height-1, columns 0 and width-1, and every pixel of regions
    // too thin to have an inner pixel.
    const struct { int width, height; } sizes[] = {{1, 1}, {2, 7}, {7, 2}, {3, 3}, {9, 6}};
    for (const auto& size : sizes) {
        for (int channels : {3, 4}) {
            const auto input = maskImage(std::vector<uint8_t>(size.width * size.height, 255), channels);
            const auto output = render(input, size.width, size.height, channels, ormoloDefaults);
            for (int y = 0; y < size.height; ++y)
                for (int x = 0; x < size.width; ++x) {
                    const bool inner = x >= 1 && x <= size.width - 2 && y >= 1 && y <= size.height - 2;
                    if (inner)
                        continue;
                    for (int c = 0; c < channels; ++c) {
                        const size_t at = (static_cast<size_t>(y) * size.width + x) * channels + c;
                        ASSERT_EQ(output[at], input[at]) << x << "," << y << "," << c;
                    }
                }
        }
    }
}

TEST(Render, InPlaceEqualsSeparateOutput)
{
    std::mt19937 rng(9);
    const auto input = maskImage(randomMask(rng, 30, 20), 4);
    std::vector<uint8_t> inPlace = input;
    renderRegion(pixelsOf(inPlace, 30, 20, 4), pixelsOf(inPlace, 30, 20, 4), RenderSettings{}, {});
    EXPECT_EQ(inPlace, render(input, 30, 20, 4, ormoloDefaults));
}

TEST(Render, LevelInteriorsEncodeAsStated)
{
    // A region without an edge is untouched by the distance passes: every
    // inner pixel sits on a level plateau.
    const int size = 9;
    const auto input = maskImage(std::vector<uint8_t>(size * size, 255), 3);
    const size_t centre = (static_cast<size_t>(size / 2) * size + size / 2) * 3;
    const struct { int32_t slope; uint8_t blue; } cases[] = {
        {SLOPE_ROUND2, 254}, {SLOPE_FLAT, 253}, {SLOPE_ROUND, 253}};
    for (const auto& c : cases) {
        OrmoloVals vals = ormoloDefaults;
        vals.slopeType = c.slope;
        const auto output = render(input, size, size, 3, vals);
        EXPECT_EQ(output[centre], 127);
        EXPECT_EQ(output[centre + 1], 127);
        EXPECT_EQ(output[centre + 2], c.blue);
    }
}

struct Report {
    std::string text;
    double fraction;
};

std::vector<Report> progressOf(int width, int height)
{
    std::vector<Report> reports;
    const auto input = maskImage(std::vector<uint8_t>(width * height, 255), 3);
    std::vector<uint8_t> output(input.size());
    // Without a heartbeat the reports do not depend on how fast the machine is.
    renderRegion(pixelsOf(input, width, height, 3), pixelsOf(output, width, height, 3), RenderSettings{},
                 [&](const char* text, double fraction) { reports.push_back({text ? text : "", fraction}); },
                 0, nullptr, noHeartbeat);
    return reports;
}

TEST(Render, ProgressProtocol)
{
    const std::vector<Report> reports = progressOf(4, 21);
    std::vector<Report> expected = {{"", 0.01}, {"", 0.02}, {"Ormolo 2.0: Distance Transform...", 0.05}};
    for (int y : {10, 20})
        expected.push_back({"", 0.05 + 0.15 * (y / 20.0)});
    for (int y : {10, 0})
        expected.push_back({"", 0.2 + 0.15 * (y / 20.0)});
    for (int y : {0, 10, 20})
        expected.push_back({"", 0.35 + 0.15 * (y / 20.0)});
    expected.push_back({"Ormolo 2.0: Computing height field...", 0.5});
    expected.push_back({"Ormolo 2.0: Computing normal map...", 0.55});
    expected.push_back({"", 0.59 + 0.4 * (10 / 20.0)});
    ASSERT_EQ(reports.size(), expected.size());
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].text, expected[i].text) << i;
        EXPECT_EQ(reports[i].fraction, expected[i].fraction) << i;
    }
}

TEST(Render, OneRowRegionReportsTheDistanceFieldBase)
{
    const std::vector<Report> reports = progressOf(5, 1);
    ASSERT_EQ(reports.size(), 6u);
    EXPECT_EQ(reports[3].fraction, 0.35);
    EXPECT_TRUE(progressOf(0, 5).empty());
    EXPECT_TRUE(progressOf(5, 0).empty());
}

TEST(Render, DegenerateSettingsGiveDeterministicBytes)
{
    // Settings only scripts or stored records can reach: zero Flat kernel
    // length, infinite and NaN depths, radii far beyond the region.
    std::mt19937 rng(1);
    const auto input = maskImage(randomMask(rng, 23, 19), 4);
    const float inf = INFINITY, nan = NAN;
    const struct { int32_t slope; int32_t maxRadius; float depthFlat, depthRound, depthRound2; } cases[] = {
        {SLOPE_FLAT, 3, 11.0f, 7, 20}, {SLOPE_FLAT, 255, 11.0f, 7, 20}, {SLOPE_FLAT, INT32_MAX, 1e30f, 7, 20},
        {SLOPE_FLAT, 3, nan, 7, 20}, {SLOPE_FLAT, 5, -inf, 7, 20}, {SLOPE_ROUND, 3, 10, 1e30f, 20},
        {SLOPE_ROUND, 3, 10, inf, 20}, {SLOPE_ROUND, 3, 10, nan, 20}, {SLOPE_ROUND, 3, 10, -7, 20},
        {SLOPE_ROUND2, 3, 10, 7, inf}, {SLOPE_ROUND2, 3, 10, 7, nan}, {SLOPE_ROUND2, 3, 10, 7, -1e38f},
        {SLOPE_ROUND2, 3, 10, 7, 0}, {0, 3, 10, 7, 20}};
    for (const auto& c : cases) {
        OrmoloVals vals = ormoloDefaults;
        vals.slopeType = c.slope;
        vals.maxNormalMapBlurRadius = c.maxRadius;
        vals.slopeDepthFlat = c.depthFlat;
        vals.slopeDepthRound = c.depthRound;
        vals.slopeDepthRound2 = c.depthRound2;
        EXPECT_EQ(render(input, 23, 19, 4, vals), render(input, 23, 19, 4, vals));
    }
}

TEST(Render, DegenerateSettingsWithAFixedOutcome)
{
    // A Round2 depth of 0 makes every facet level, so inside pixels encode
    // the exact zero normal; a Flat radius of 0 or below leaves no neighbour,
    // so they encode the level slope's tiny negative components.
    std::mt19937 rng(15);
    const auto input = maskImage(randomMask(rng, 23, 19), 4);
    const struct { const char* name; int32_t slope; int32_t maxRadius; float depthRound2; uint8_t blue; } cases[] = {
        {"round2 depth 0", SLOPE_ROUND2, 3, 0.0f, 254},
        {"round2 depth -0", SLOPE_ROUND2, 3, -0.0f, 254},
        {"flat radius 0", SLOPE_FLAT, 0, 20.0f, 253},
        {"flat radius -4", SLOPE_FLAT, -4, 20.0f, 253},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OrmoloVals vals = ormoloDefaults;
        vals.slopeType = c.slope;
        vals.maxNormalMapBlurRadius = c.maxRadius;
        vals.slopeDepthRound2 = c.depthRound2;
        const std::vector<float> heights = referenceHeightField(input, 23, 19, 4, vals);
        const auto output = render(input, 23, 19, 4, vals);
        int insidePixels = 0;
        for (int y = 1; y <= 17; ++y)
            for (int x = 1; x <= 21; ++x) {
                const bool inside = heights[y * 23 + x] > 0.0f;
                insidePixels += inside;
                const uint8_t* pixel = &output[(y * 23 + x) * 4];
                const std::vector<uint8_t> expected = {127, 127, inside ? c.blue : uint8_t{255}, 255};
                ASSERT_EQ(std::vector<uint8_t>(pixel, pixel + 4), expected) << x << "," << y;
            }
        EXPECT_GT(insidePixels, 20);
    }
}

TEST(Render, RadiusBeyondTheRegionLeavesTheResultUnchanged)
{
    // A huge Round depth makes every radius reach past the region; the
    // literal walk over the whole disc must agree with the clamped one.
    std::mt19937 rng(4);
    const auto input = maskImage(randomMask(rng, 14, 12), 3);
    OrmoloVals vals = ormoloDefaults;
    vals.slopeType = SLOPE_ROUND;
    vals.slopeDepthRound = 30.0f;
    EXPECT_EQ(render(input, 14, 12, 3, vals), referenceRender(input, 14, 12, 3, vals));
}

TEST(Render, NormalMapIsTheSameAtEveryThreadCount)
{
    std::mt19937 rng(14);
    for (int trial = 0; trial < 12; ++trial) {
        const int width = 1 + static_cast<int>(rng() % 40), height = 1 + static_cast<int>(rng() % 40);
        const auto input = maskImage(randomMask(rng, width, height), 4);
        OrmoloVals vals = ormoloDefaults;
        vals.slopeType = 1 + trial % 3;
        const auto expected = referenceRender(input, width, height, 4, vals);
        for (int threads : {1, 2, 3, 8}) {
            std::vector<uint8_t> output(input.size());
            std::vector<double> fractions;
            renderRegion(pixelsOf(input, width, height, 4), pixelsOf(output, width, height, 4), productSettings(vals),
                         [&](const char*, double f) { fractions.push_back(f); }, threads);
            ASSERT_EQ(output, expected) << trial << ", " << threads << " threads";
            const auto outputPass = std::find(fractions.begin(), fractions.end(), 0.55);
            ASSERT_NE(outputPass, fractions.end());
            EXPECT_TRUE(std::is_sorted(outputPass, fractions.end())) << "output-pass progress in row order";
        }
    }
}

TEST(WorkersForRender, SmallWorkStaysOnTheCallingThread)
{
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const struct {
        const char* name;
        int width, height;
        float level;
        int32_t slope;
        int threads, fewest, most;
    } cases[] = {
        {"an asked count is kept", 8, 8, 1.0f, SLOPE_ROUND2, 3, 3, 3},
        {"nothing inside", 300, 300, 0.0f, SLOPE_ROUND2, 0, 1, 1},
        {"a thin preview", 64, 64, 1.0f, SLOPE_ROUND2, 0, 1, 1},
        {"flat keeps its small radius", 150, 150, 60.0f, SLOPE_FLAT, 0, 1, 1},
        {"wide neighbourhoods", 400, 400, 60.0f, SLOPE_ROUND2, 0, cores, cores},
        {"infinite heights", 400, 400, INFINITY, SLOPE_ROUND, 0, cores, cores},
    };
    for (const auto& c : cases) {
        const auto field = heightField(c.width, c.height, [&](int, int) { return c.level; });
        const int workers = workersForRender(planeOf(field, c.width, c.height), productSettings(normalSettings(c.slope)),
                                             c.threads);
        EXPECT_GE(workers, c.fewest) << c.name;
        EXPECT_LE(workers, c.most) << c.name;
    }
}

TEST(Render, AWorkspaceKeptAcrossRendersChangesNoByte)
{
    // The dialog's preview renders one region after another through one
    // workspace: regions that grow and shrink, other profiles in between,
    // and a region without any edge.
    std::mt19937 rng(29);
    const struct {
        int width, height;
        int32_t slope;
        bool edgeless;
    } renders[] = {
        {40, 30, SLOPE_ROUND2, false}, {12, 9, SLOPE_ROUND2, false}, {35, 33, SLOPE_FLAT, false},
        {50, 41, SLOPE_ROUND2, false}, {20, 20, SLOPE_ROUND, false}, {16, 12, SLOPE_ROUND2, true},
        {50, 41, SLOPE_ROUND2, false}, {3, 3, SLOPE_ROUND2, false},
    };
    RenderWorkspace workspace;
    for (const auto& r : renders) {
        SCOPED_TRACE(std::to_string(r.width) + "x" + std::to_string(r.height) + " slope " +
                     std::to_string(r.slope));
        const auto red = r.edgeless ? std::vector<uint8_t>(static_cast<size_t>(r.width) * r.height, 255)
                                    : randomMask(rng, r.width, r.height);
        const auto input = maskImage(red, 4);
        OrmoloVals vals = normalSettings(r.slope);
        std::vector<uint8_t> output(input.size());
        renderRegion(pixelsOf(input, r.width, r.height, 4), pixelsOf(output, r.width, r.height, 4),
                     productSettings(vals), {}, 0, &workspace);
        // The transcription walks an edgeless region's huge discs for
        // minutes; there a render without a workspace stands in for it.
        const auto expected = r.edgeless ? render(input, r.width, r.height, 4, vals)
                                         : referenceRender(input, r.width, r.height, 4, vals);
        ASSERT_EQ(output, expected);
    }
}

TEST(Render, AStoppedRenderLeavesItsOutputAsItWas)
{
    // In place, as the preview renders, or over a finished render of other
    // settings: a stopped render writes nothing, a complete one everything.
    std::mt19937 rng(33);
    const int width = 90, height = 64;
    const auto input = maskImage(randomMask(rng, width, height), 4);
    const auto finished = render(input, width, height, 4, normalSettings(SLOPE_FLAT));
    const auto complete = render(input, width, height, 4, ormoloDefaults);
    const struct {
        const char* name;
        bool inPlace, stopFirst, stopInOutputPass;
    } cases[] = {
        {"stopped before it starts", false, true, false},
        {"stopped in its output pass", false, false, true},
        {"stopped in its output pass, in place", true, false, true},
        {"never stopped", false, false, false},
        {"never stopped, in place", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> output = c.inPlace ? input : finished;
        std::atomic<bool> stop{c.stopFirst};
        // One thread: the stop comes at the report of row 10, with most rows
        // still to write.
        const bool rendered = renderRegion(
            pixelsOf(c.inPlace ? output : input, width, height, 4), pixelsOf(output, width, height, 4),
            productSettings(ormoloDefaults),
            [&](const char*, double fraction) { stop = stop || (c.stopInOutputPass && fraction >= 0.59); }, 1,
            nullptr, noHeartbeat, &stop);
        const bool stopped = c.stopFirst || c.stopInOutputPass;
        EXPECT_EQ(rendered, !stopped);
        EXPECT_EQ(output, stopped ? (c.inPlace ? input : finished) : complete);
    }
}

TEST(BackgroundRender, OnlyAShownRenderTakesItsDraws)
{
    // Blurred probe samples run on from one shown preview to the next; a
    // preview that is stopped or dropped gives its draws back.
    std::mt19937 rng(35);
    const int width = 60, height = 50;
    const auto input = maskImage(randomMask(rng, width, height), 3);
    ProbeImage probe{16, 16, false, std::vector<uint8_t>(16 * 16 * 4)};
    for (size_t i = 0; i < probe.rgba.size(); ++i)
        probe.rgba[i] = static_cast<uint8_t>(i * 37 % 251);
    OrmoloVals blurred = ormoloDefaults;
    blurred.specularity = 0.5;
    const RenderSettings settings = productSettings(blurred, &probe);
    const uint64_t start = 100;
    const auto expected = referenceRender(input, width, height, 3, blurred, &probe, start);
    const struct {
        const char* name;
        bool stop, shown;
    } cases[] = {{"stopped", true, false}, {"complete, dropped", false, false}, {"shown", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setRandomStreamPosition(start);
        std::vector<uint8_t> region = input;
        RenderWorkspace workspace;
        BackgroundRender preview(pixelsOf(region, width, height, 3), settings, workspace);
        if (c.stop)
            preview.requestStop();
        const bool complete = preview.finish();
        EXPECT_TRUE(preview.finished());
        // A stop can come after the last step.
        EXPECT_TRUE(complete || c.stop);
        EXPECT_EQ(region, complete ? expected : input);
        if (!c.shown)
            preview.giveBackDraws();
        std::vector<uint8_t> next(input.size());
        renderRegion(pixelsOf(input, width, height, 3), pixelsOf(next, width, height, 3), settings, {});
        EXPECT_EQ(next == expected, !c.shown) << "the next preview starts where this one started";
    }
}

} // namespace
