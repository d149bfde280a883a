#include <gtest/gtest.h>

#include <cmath>

#include "reference_renderer.h"
#include "render/probe_reflection.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "test_images.h"

namespace {

const float levelComponent = -static_cast<float>(std::cos(std::atan2(1.0, 0.0)));

// Red and green hold the column and row (low 8 bits), blue a mix, alpha 99.
ProbeImage coordinateProbe(int width, int height, bool hasAlpha)
{
    ProbeImage probe{width, height, hasAlpha, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &probe.rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(x ^ y);
            p[3] = hasAlpha ? 99 : 255;
        }
    return probe;
}

ProbeImage flatProbe(int width, int height, const uint8_t rgba[4])
{
    ProbeImage probe{width, height, true, {}};
    for (int i = 0; i < width * height; ++i)
        probe.rgba.insert(probe.rgba.end(), rgba, rgba + 4);
    return probe;
}

TEST(ProbeReflection, ExactLookupAtTheBasePoint)
{
    const ProbeImage probe256 = coordinateProbe(256, 256, false);
    const ProbeImage probe257 = coordinateProbe(257, 257, false);
    const struct {
        const char* name;
        const ProbeImage& probe;
        SurfaceNormal normal;
        uint8_t column, row;
    } cases[] = {
        {"facing the viewer", probe256, {0.0f, 0.0f}, 127, 127},
        {"right rim", probe256, {1.0f, 0.0f}, 253, 127},
        {"left rim", probe256, {-1.0f, 0.0f}, 1, 127},
        {"half right, top rim", probe256, {0.5f, -1.0f}, 190, 1},
        {"odd width, Round2 level", probe257, {0.0f, 0.0f}, 128, 128},
        {"odd width, Flat/Round level", probe257, {levelComponent, levelComponent}, 127, 127},
        {"NaN counts as 0", probe256, {NAN, 0.0f}, 127, 127},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (double specularity : {1.0, 2.5, std::nan("")}) {
            uint8_t pixel[3];
            reflectInside(c.probe, c.normal, specularity, 0, pixel, 3);
            EXPECT_EQ(pixel[0], c.column);
            EXPECT_EQ(pixel[1], c.row);
        }
    }
}

TEST(ProbeReflection, JitterRadius)
{
    const ProbeImage probe = coordinateProbe(256, 256, false);
    const struct {
        double specularity;
        SurfaceNormal normal;
        int32_t radius;
    } cases[] = {
        {0.0, {0.0f, 0.0f}, 256},  {0.5, {0.0f, 0.0f}, 192},   {-0.5, {0.0f, 0.0f}, 192},
        {0.0, {0.5f, 0.0f}, 181},  {0.0, {0.0f, 0.5f}, 181},   {0.999, {0.0f, 0.0f}, 0},
        {std::nan(""), {0.0f, 0.0f}, 0},    {-1e200, {0.0f, 0.0f}, INT32_MIN},
        {0.0, {0.99f, 0.0f}, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jitterRadius(probe, c.normal, c.specularity), c.radius) << c.specularity;
    EXPECT_FALSE(probeIsBlurred(1.0));
    EXPECT_TRUE(probeIsBlurred(0.999));
    EXPECT_FALSE(probeIsBlurred(NAN));
}

TEST(ProbeReflection, AlphaOfProbeAndOutput)
{
    const struct { bool probeAlpha; int channels; uint8_t alpha; } cases[] = {
        {false, 4, 255}, {true, 4, 99}, {true, 3, 0xEE}, {false, 3, 0xEE}};
    for (const auto& c : cases) {
        const ProbeImage probe = coordinateProbe(16, 16, c.probeAlpha);
        for (double specularity : {1.0, 0.3}) {
            uint8_t inside[4] = {0xEE, 0xEE, 0xEE, 0xEE};
            uint8_t outside[4] = {0xEE, 0xEE, 0xEE, 0xEE};
            reflectInside(probe, {0.1f, 0.2f}, specularity, 0, inside, c.channels);
            reflectOutside(probe, outside, c.channels);
            EXPECT_EQ(inside[3], c.alpha);
            EXPECT_EQ(outside[3], c.alpha);
            EXPECT_EQ(outside[0], 0);  // the top-left pixel
            EXPECT_EQ(outside[1], 0);
        }
    }
}

TEST(ProbeReflection, BlurredMeanStaysWithinReachAndKeepsFlatColours)
{
    const ProbeImage probe = coordinateProbe(64, 48, true);
    const uint8_t colour[4] = {12, 200, 77, 150};
    const ProbeImage flat = flatProbe(5, 3, colour);
    std::mt19937 rng(6);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    for (int trial = 0; trial < 2000; ++trial) {
        const SurfaceNormal normal{component(rng), component(rng)};
        const double specularity = trial % 4 == 0 ? 0.0 : std::uniform_real_distribution<double>(-1, 1)(rng);
        uint8_t pixel[4];
        reflectInside(probe, normal, specularity, trial * 16, pixel, 4);
        // Samples reach half the radius around the base point, clamped to the probe.
        const int32_t radius = std::abs(jitterRadius(probe, normal, specularity));
        const int baseColumn = static_cast<int>(31.5 * (normal.nx * 0.99 + 1.0));
        const int lowest = std::max(0, baseColumn - radius / 2 - 1);
        const int highest = std::min(63, baseColumn + radius / 2 + 1);
        EXPECT_GE(pixel[0], lowest) << trial;
        EXPECT_LE(pixel[0], highest) << trial;
        EXPECT_EQ(pixel[3], 99);
        reflectInside(flat, normal, specularity, trial * 16, pixel, 4);
        EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 4), std::vector<uint8_t>(colour, colour + 4));
    }
}

TEST(RandomStream, DrawsAreUniformOverFifteenBits)
{
    const int draws = 1 << 20;
    std::vector<int> buckets(16, 0);
    int lowest = randomMax, highest = 0;
    for (uint64_t i = 0; i < draws; ++i) {
        const int32_t value = randomDrawAt(i);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        ++buckets[value >> 11];
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, randomMax);
    for (int count : buckets)
        EXPECT_NEAR(count, draws / 16, draws / 16 / 50);  // within 2%
}

OrmoloVals probeSettings(std::mt19937& rng)
{
    OrmoloVals vals = ormoloDefaults;
    const int32_t slopes[] = {SLOPE_FLAT, SLOPE_ROUND, SLOPE_ROUND2};
    vals.slopeType = slopes[rng() % 3];
    vals.invertInput = rng() % 4 == 0;
    const double specularities[] = {1.0, 0.0, 0.5, 0.95, 0.999, -0.3};
    vals.specularity = specularities[rng() % 6];
    return vals;
}

TEST(ProbeRender, MatchesReferenceAtEveryThreadCount)
{
    std::mt19937 rng(12);
    const ProbeImage probes[] = {coordinateProbe(256, 256, false), coordinateProbe(31, 17, true),
                                 coordinateProbe(1, 1, true)};
    for (int trial = 0; trial < 40; ++trial) {
        const int width = 1 + static_cast<int>(rng() % 30), height = 1 + static_cast<int>(rng() % 25);
        const int channels = 3 + static_cast<int>(rng() % 2);
        const auto input = maskImage(randomMask(rng, width, height), channels);
        const OrmoloVals vals = probeSettings(rng);
        const ProbeImage& probe = probes[trial % 3];
        const uint64_t start = 1000 * trial;
        const auto expected = referenceRender(input, width, height, channels, vals, &probe, start);
        for (int threads : {1, 2, 3, 8}) {
            std::vector<uint8_t> output(input.size());
            setRandomStreamPosition(start);
            renderRegion(pixelsOf(input, width, height, channels), pixelsOf(output, width, height, channels),
                         productSettings(vals, &probe), {}, threads);
            ASSERT_EQ(output, expected) << "trial " << trial << ", " << threads << " threads, "
                                        << width << "x" << height << ", specularity " << vals.specularity;
        }
    }
}

TEST(ProbeRender, ThinRegionsDrawNothing)
{
    const ProbeImage probe = coordinateProbe(8, 8, false);
    OrmoloVals vals = ormoloDefaults;
    vals.specularity = 0.0;
    const struct { int width, height; } sizes[] = {{1, 40}, {2, 40}, {40, 1}, {40, 2}, {1, 1}};
    for (const auto& size : sizes) {
        const auto input = maskImage(std::vector<uint8_t>(size.width * size.height, 255), 3);
        std::vector<uint8_t> output(input.size());
        const uint64_t before = reserveRandomDraws(0);
        renderRegion(pixelsOf(input, size.width, size.height, 3), pixelsOf(output, size.width, size.height, 3),
                     productSettings(vals, &probe), {}, 2);
        EXPECT_EQ(reserveRandomDraws(0), before);
        EXPECT_EQ(output, input);
    }
}

TEST(ProbeRender, SuccessiveRendersTakeSuccessiveDraws)
{
    std::mt19937 rng(13);
    const auto input = maskImage(randomMask(rng, 20, 16), 3);
    const ProbeImage probe = coordinateProbe(64, 64, false);
    OrmoloVals vals = ormoloDefaults;
    vals.specularity = 0.2;
    setRandomStreamPosition(500);
    std::vector<uint8_t> first(input.size()), second(input.size());
    renderRegion(pixelsOf(input, 20, 16, 3), pixelsOf(first, 20, 16, 3), productSettings(vals, &probe), {}, 2);
    const uint64_t used = reserveRandomDraws(0) - 500;
    renderRegion(pixelsOf(input, 20, 16, 3), pixelsOf(second, 20, 16, 3), productSettings(vals, &probe), {}, 2);
    EXPECT_GT(used, 0u);
    EXPECT_EQ(used % drawsPerBlurredPixel, 0u);
    EXPECT_EQ(first, referenceRender(input, 20, 16, 3, vals, &probe, 500));
    EXPECT_EQ(second, referenceRender(input, 20, 16, 3, vals, &probe, 500 + used));
    EXPECT_NE(first, second);
}

} // namespace
