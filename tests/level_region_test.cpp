#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "reference_renderer.h"
#include "render/level_region.h"
#include "render/normals/flat_round.h"
#include "render/normals/round2.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "test_images.h"

namespace {

struct Size {
    int width, height;
};

// Profiles with the sizes on which the literal transcription can afford
// them: without an edge every height is 14140.72, and Round2 then walks a
// window 28285 offsets wide for each pixel, Round one of 1669. The output
// pass, which places the random draws, does not depend on the profile once
// the normal is known, so Round2 takes one small RGB region.
const Size allSizes[] = {{3, 3}, {4, 9}, {17, 5}, {23, 19}};
const Size roundSizes[] = {{3, 3}, {5, 4}};
const Size wideWalkSizes[] = {{3, 3}};
const struct Profile {
    const char* name;
    OrmoloVals vals;
    const Size* sizes;
    size_t sizeCount;
    bool wideWalk;
} profiles[] = {
    {"flat", normalSettings(SLOPE_FLAT), allSizes, 4, false},
    {"flat radius 0", normalSettings(SLOPE_FLAT, 0), allSizes, 4, false},
    {"flat radius 32 depth 10.5", normalSettings(SLOPE_FLAT, 32, 10.5f), allSizes, 4, false},
    {"flat radius 5 depth 1", normalSettings(SLOPE_FLAT, 5, 1.0f), allSizes, 4, false},
    {"round", normalSettings(SLOPE_ROUND), roundSizes, 2, false},
    {"round2", normalSettings(SLOPE_ROUND2), wideWalkSizes, 1, true},
};

// A region with no edge: white everywhere, or black everywhere and inverted.
// Its other channels vary, as in a selection cut from inside a shape.
std::vector<uint8_t> edgelessRegion(Size size, int channels, bool inverted)
{
    return maskImage(std::vector<uint8_t>(static_cast<size_t>(size.width) * size.height,
                                          inverted ? 0 : 255),
                     channels);
}

ProbeImage patternProbe(int width, int height)
{
    ProbeImage probe{width, height, true, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (size_t i = 0; i < probe.rgba.size(); ++i)
        probe.rgba[i] = static_cast<uint8_t>(i * 29 + i / 7);
    return probe;
}

TEST(LevelRegion, EdgelessRegionsMatchTheReference)
{
    const ProbeImage probe = patternProbe(33, 21);
    const struct { const char* name; const ProbeImage* probe; double specularity; } outputs[] = {
        {"normal map", nullptr, 1.0}, {"sharp probe", &probe, 1.0}, {"blurred probe", &probe, 0.3}};
    uint64_t start = 77;
    for (const Profile& profile : profiles)
        for (const auto& output : outputs)
            for (size_t s = 0; s < profile.sizeCount; ++s)
                for (int channels : {3, 4}) {
                    if (profile.wideWalk && channels == 4)
                        continue;
                    const Size size = profile.sizes[s];
                    const bool inverted = channels == 4;
                    OrmoloVals vals = profile.vals;
                    vals.invertInput = inverted;
                    vals.specularity = output.specularity;
                    const auto input = edgelessRegion(size, channels, inverted);
                    const auto expected = referenceRender(input, size.width, size.height, channels,
                                                          vals, output.probe, start);
                    std::vector<uint8_t> rendered(input.size());
                    setRandomStreamPosition(start);
                    renderRegion(pixelsOf(input, size.width, size.height, channels),
                                 pixelsOf(rendered, size.width, size.height, channels),
                                 productSettings(vals, output.probe), {}, 2);
                    ASSERT_EQ(rendered, expected)
                        << profile.name << ", " << output.name << ", " << size.width << "x"
                        << size.height << "x" << channels;
                    // Every visited pixel is inside and draws its share.
                    const uint64_t visited = static_cast<uint64_t>(size.width - 2) * (size.height - 2);
                    const bool blurred = output.probe && output.specularity < 1.0;
                    EXPECT_EQ(reserveRandomDraws(0), start + (blurred ? 16 * visited : 0));
                    start += 100000;
                }
}

// Black everywhere is level too, at height 0: every pixel is outside.
TEST(LevelRegion, RegionsWithoutInsideAreOutsideEverywhere)
{
    const ProbeImage probe = patternProbe(5, 4);
    for (const Profile& profile : profiles)
        for (const ProbeImage* output : {static_cast<const ProbeImage*>(nullptr), &probe}) {
            OrmoloVals vals = profile.vals;
            vals.specularity = 0.5;
            const auto input = maskImage(std::vector<uint8_t>(7 * 6, 0), 3);
            std::vector<uint8_t> rendered(input.size());
            setRandomStreamPosition(9);
            renderRegion(pixelsOf(input, 7, 6, 3), pixelsOf(rendered, 7, 6, 3), productSettings(vals, output), {}, 2);
            EXPECT_EQ(rendered, referenceRender(input, 7, 6, 3, vals, output, 9)) << profile.name;
            EXPECT_EQ(reserveRandomDraws(0), 9u) << "outside pixels draw nothing";
        }
}

// Level fields of any height, where the literal transcription's walks are
// short: each pixel's own normal is the level normal.
TEST(LevelRegion, LevelNormalMatchesTheReferenceAtEveryPixel)
{
    const OrmoloVals settings[] = {
        normalSettings(SLOPE_FLAT), normalSettings(SLOPE_FLAT, 0), normalSettings(SLOPE_FLAT, 8, 3.5f),
        normalSettings(SLOPE_ROUND), normalSettings(SLOPE_ROUND2), normalSettings(SLOPE_ROUND2, 3, 10.0f, 1.0f),
        normalSettings(SLOPE_ROUND2, 3, 10.0f, -7.0f), normalSettings(SLOPE_ROUND2, 3, 10.0f, 0.0f),
        normalSettings(0)};
    for (const OrmoloVals& vals : settings)
        for (float height : {0.25f, 1.0f, 3.0f, 11.5f, 40.0f})
            for (const Size size : allSizes) {
                const SurfaceNormal level = levelNormal(height, productSettings(vals));
                const auto field = heightField(size.width, size.height, [&](int, int) { return height; });
                for (int y = 1; y < size.height - 1; ++y)
                    for (int x = 1; x < size.width - 1; ++x) {
                        float nx, ny;
                        if (vals.slopeType == SLOPE_ROUND2)
                            referenceRound2Normal(field, size.width, size.height, x, y, vals, nx, ny);
                        else
                            referenceFlatRoundNormal(field, size.width, size.height, x, y, vals, nx, ny);
                        ASSERT_TRUE(std::memcmp(&nx, &level.nx, sizeof nx) == 0 &&
                                    std::memcmp(&ny, &level.ny, sizeof ny) == 0)
                            << "slope " << vals.slopeType << ", height " << height << ", " << size.width
                            << "x" << size.height << " at " << x << "," << y;
                    }
            }
}

bool sameNormal(SurfaceNormal a, SurfaceNormal b)
{
    auto same = [](float p, float q) {
        return (std::isnan(p) && std::isnan(q)) || std::memcmp(&p, &q, sizeof p) == 0;
    };
    return same(a.nx, b.nx) && same(a.ny, b.ny);
}

// Settings that only scripts can pass, where the literal transcription's
// NaN slopes have no defined encoding: the level normal must still be what
// every pixel's own neighbourhood walk gives.
TEST(LevelRegion, LevelNormalIsEveryPixelsNormal)
{
    const float inf = INFINITY, nan = NAN;
    const struct { const char* name; OrmoloVals vals; float level; } cases[] = {
        {"flat, zero kernel length", normalSettings(SLOPE_FLAT, 3, 11.0f), 14140.7216796875f},
        {"flat, NaN depth", normalSettings(SLOPE_FLAT, 3, nan), 14140.7216796875f},
        {"flat, depth -inf", normalSettings(SLOPE_FLAT, 3, -inf), 14140.7216796875f},
        {"flat, depth +inf", normalSettings(SLOPE_FLAT, 3, inf), 5.0f},
        {"flat, negative radius", normalSettings(SLOPE_FLAT, -4), 14140.7216796875f},
        {"round, infinite heights", normalSettings(SLOPE_ROUND), inf},
        {"round, tiny heights", normalSettings(SLOPE_ROUND), 1e-30f},
        {"round2, infinite depth", normalSettings(SLOPE_ROUND2, 3, 10.0f, inf), 14140.7216796875f},
        {"round2, NaN depth", normalSettings(SLOPE_ROUND2, 3, 10.0f, nan), 3.0f},
        {"round2, infinite heights", normalSettings(SLOPE_ROUND2), inf},
        {"round2, huge depth", normalSettings(SLOPE_ROUND2, 3, 10.0f, 3e38f), 14140.7216796875f},
    };
    for (const auto& c : cases) {
        const SurfaceNormal level = levelNormal(c.level, productSettings(c.vals));
        for (const Size size : allSizes) {
            const auto field = heightField(size.width, size.height, [&](int, int) { return c.level; });
            const bool round2 = c.vals.slopeType == SLOPE_ROUND2;
            const HeightField heights = planeOf(field, size.width, size.height);
            const FlatRoundKernel flatRound = makeFlatRoundKernel(heights, productSettings(c.vals));
            const Round2Kernel round2Kernel = makeRound2Kernel(heights, productSettings(c.vals));
            for (int y = 1; y < size.height - 1; ++y)
                for (int x = 1; x < size.width - 1; ++x) {
                    const SurfaceNormal own =
                        round2 ? round2Normal(round2Kernel, x, y) : flatRoundNormal(flatRound, x, y);
                    ASSERT_TRUE(sameNormal(own, level))
                        << c.name << ", " << size.width << "x" << size.height << " at " << x << "," << y
                        << ": " << own.nx << "," << own.ny << " against " << level.nx << "," << level.ny;
                }
        }
    }
}

TEST(LevelRegion, OnlyOneHeightEverywhereCounts)
{
    float level = -1.0f;
    const float nan = NAN;
    const struct { const char* name; std::vector<float> heights; bool level; } cases[] = {
        {"all equal", {4.0f, 4.0f, 4.0f, 4.0f}, true},
        {"signed zeros", {0.0f, -0.0f, 0.0f, 0.0f}, true},
        {"last differs", {4.0f, 4.0f, 4.0f, 3.0f}, false},
        {"first differs", {0.0f, 4.0f, 4.0f, 4.0f}, false},
        {"NaN everywhere", {nan, nan, nan, nan}, false},
        {"one NaN", {4.0f, nan, 4.0f, 4.0f}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isLevelRegion(planeOf(c.heights, 2, 2), level), c.level) << c.name;
    EXPECT_FALSE(isLevelRegion(HeightField(nullptr, 0, 5), level));
}

} // namespace
