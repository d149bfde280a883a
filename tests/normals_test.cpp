#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "reference_renderer.h"
#include "render/normals/kernel_radius.h"
#include "render/normals/flat_round.h"
#include "render/normals/round2.h"
#include "test_images.h"

namespace {

const float levelComponent = -static_cast<float>(std::cos(std::atan2(1.0, 0.0)));

// The normal of pixel (x, y) of a height field, as the output pass computes it.
SurfaceNormal normalAt(const std::vector<float>& field, int width, int height, int x, int y,
                       const OrmoloVals& vals)
{
    if (vals.slopeType == SLOPE_ROUND2)
        return round2Normal(makeRound2Kernel(planeOf(field, width, height), productSettings(vals)), x, y);
    return flatRoundNormal(makeFlatRoundKernel(planeOf(field, width, height), productSettings(vals)), x, y);
}

TEST(KernelRadius, TruncatesHeightPlusTwo)
{
    const struct { float height; int32_t radius; } cases[] = {
        {0.5f, 2}, {0.99f, 2}, {1.0f, 3}, {2.9f, 4}, {3.9f, 5}, {11.0f, 13}, {40.0f, 42}};
    for (const auto& c : cases)
        EXPECT_EQ(kernelRadius(c.height, 1000), c.radius) << c.height;
    EXPECT_EQ(kernelRadius(INFINITY, 86), 86);
    EXPECT_EQ(kernelRadius(3e9f, 86), 86);
    EXPECT_EQ(kernelRadius(100.0f, 86), 86);
}

TEST(Round2Window, TrimsTheWindowByASixthOfTheRadius)
{
    const struct { int32_t radius, halfWidth; } rows[] = {
        {2, 2}, {5, 5}, {11, 11}, {12, 12}, {13, 12}, {17, 16}, {18, 18},
        {20, 18}, {23, 21}, {27, 24}, {34, 30}, {36, 36}};
    for (const auto& row : rows)
        EXPECT_EQ(round2WindowHalfWidth(row.radius), row.halfWidth) << row.radius;
}

TEST(FlatRoundNormals, WorkedExamples)
{
    // Ramps through the centre pixel (15, 15) of a 31x31 field, the whole
    // disc inside, or (1, 15) next to the left border.
    const struct {
        const char* name;
        OrmoloVals vals;
        float centre, perColumn, perRow;
        int x;
        float nx, ny;
    } cases[] = {
        {"round, ramp along x", normalSettings(SLOPE_ROUND), 1.5f, 1.0f, 0.0f, 15, -0.63496f, 0.0f},
        {"round, ramp along y", normalSettings(SLOPE_ROUND), 1.5f, 0.0f, 1.0f, 15, 0.0f, -0.63496f},
        {"flat, factor 1 equals round", normalSettings(SLOPE_FLAT, 3, 10.0f), 1.5f, 1.0f, 0.0f, 15, -0.63496f, 0.0f},
        {"flat, factor 0.5", normalSettings(SLOPE_FLAT, 3, 10.5f), 1.5f, 1.0f, 0.0f, 15, -0.85433f, 0.0f},
        {"flat, radius capped at 3 for height 40", normalSettings(SLOPE_FLAT, 3, 10.0f), 40.0f, 1.0f, 0.0f, 15, -0.63496f, 0.0f},
        {"round, column 1 loses the left of its disc", normalSettings(SLOPE_ROUND), 1.5f, 1.0f, 0.0f, 1, -0.62210f, 0.0f},
        {"flat, radius 5, diagonal ramp", normalSettings(SLOPE_FLAT, 5, 10.5f), 3.5f, 1.0f, 1.0f, 15, -0.84664f, -0.84664f},
        {"slope type 0 renders like round", normalSettings(0), 1.5f, 1.0f, 0.0f, 15, -0.63496f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto field = heightField(31, 31, [&](int x, int y) {
            return c.centre + c.perColumn * (x - c.x) + c.perRow * (y - 15);
        });
        const SurfaceNormal n = normalAt(field, 31, 31, c.x, 15, c.vals);
        EXPECT_NEAR(n.nx, c.nx, 1e-5);
        EXPECT_NEAR(n.ny, c.ny, 1e-5);
    }
}

TEST(FlatRoundNormals, LevelNeighbourhoodGivesTheTinyNegativeComponent)
{
    const auto field = heightField(9, 9, [](int, int) { return 2.0f; });
    for (const OrmoloVals& vals : {normalSettings(SLOPE_ROUND), normalSettings(SLOPE_FLAT), normalSettings(SLOPE_FLAT, 0),
                                   normalSettings(SLOPE_FLAT, -4)}) {
        const SurfaceNormal n = normalAt(field, 9, 9, 4, 4, vals);
        EXPECT_EQ(n.nx, levelComponent);
        EXPECT_EQ(n.ny, levelComponent);
        EXPECT_LT(n.nx, 0.0f);
        EXPECT_NEAR(n.nx, -6.12e-17, 1e-19);
    }
}

TEST(FlatRoundNormals, RoundRadiusFollowsTheHeight)
{
    // Height 40 on a ramp: Round walks radius 42, so it differs from the
    // radius-3 result and agrees with the literal walk.
    const auto field = heightField(91, 91, [](int x, int) { return 40.0f + (x - 45); });
    const SurfaceNormal round = normalAt(field, 91, 91, 45, 45, normalSettings(SLOPE_ROUND));
    float nx, ny;
    referenceFlatRoundNormal(field, 91, 91, 45, 45, normalSettings(SLOPE_ROUND), nx, ny);
    EXPECT_EQ(round.nx, nx);
    EXPECT_EQ(round.ny, ny);
    EXPECT_GT(std::fabs(round.nx + 0.63496f), 1e-3);
}

TEST(Round2Normals, WorkedExampleAndItsSums)
{
    const auto alongX = heightField(21, 21, [](int x, int) { return 3.0f + 0.5f * (x - 10); });
    const OrmoloVals vals = normalSettings(SLOPE_ROUND2);
    const Round2Kernel kernel = makeRound2Kernel(planeOf(alongX, 21, 21), productSettings(vals));
    const FacetNormalSum sum = round2FacetSum(kernel, 10, 10);
    EXPECT_NEAR(sum.nx, -45.2536, 1e-3);
    EXPECT_NEAR(sum.nz, 42.1148, 1e-3);
    const SurfaceNormal n = round2Normal(kernel, 10, 10);
    EXPECT_NEAR(n.nx, -0.73204, 1e-5);
    EXPECT_EQ(n.ny, 0.0f);

    const auto alongY = heightField(21, 21, [](int, int y) { return 3.0f + 0.5f * (y - 10); });
    const SurfaceNormal m = normalAt(alongY, 21, 21, 10, 10, vals);
    EXPECT_EQ(m.nx, 0.0f);
    EXPECT_NEAR(m.ny, -0.73204, 1e-5);

    const struct { float depth, nx; } depths[] = {{1.0f, -0.074692f}, {25.0f, -0.78277f}};
    for (const auto& d : depths)
        EXPECT_NEAR(normalAt(alongX, 21, 21, 10, 10, normalSettings(SLOPE_ROUND2, 3, 10, d.depth)).nx, d.nx, 1e-5);
}

TEST(Round2Normals, LevelNeighbourhoodIsExactlyZero)
{
    for (float height : {0.5f, 3.0f, 11.0f}) {
        const auto field = heightField(41, 41, [&](int, int) { return height; });
        const SurfaceNormal n = normalAt(field, 41, 41, 20, 20, normalSettings(SLOPE_ROUND2));
        EXPECT_EQ(n.nx, 0.0f);
        EXPECT_EQ(n.ny, 0.0f);
    }
}

TEST(Normals, MatchReferenceOnRandomFields)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 30; ++trial) {
        const int width = 3 + trial % 17, height = 3 + (trial * 3) % 19;
        const auto field = heightField(width, height, [&](int x, int y) {
            return unit(rng) < 0.2f ? 0.0f : 0.3f * x + 0.2f * y + 6.0f * unit(rng);
        });
        const int32_t slope = trial % 4;  // 0, Flat, Round, Round2
        const OrmoloVals vals = normalSettings(slope, trial % 6, 9.0f + unit(rng) * 1.5f, 1.0f + 24.0f * unit(rng));
        for (int y = 1; y < height - 1; ++y)
            for (int x = 1; x < width - 1; ++x) {
                if (!(field[y * width + x] > 0.0f))
                    continue;
                float nx, ny;
                if (slope == SLOPE_ROUND2)
                    referenceRound2Normal(field, width, height, x, y, vals, nx, ny);
                else
                    referenceFlatRoundNormal(field, width, height, x, y, vals, nx, ny);
                const SurfaceNormal n = normalAt(field, width, height, x, y, vals);
                ASSERT_EQ(n.nx, nx) << trial << " at " << x << "," << y;
                ASSERT_EQ(n.ny, ny) << trial << " at " << x << "," << y;
            }
    }
}

} // namespace

namespace {

TEST(FlatRoundNormals, ComponentOfAMeanSlopeMatchesTheAngleEvaluation)
{
    // The fast closed form must give the bits of -cos(atan2(1, t)) for every
    // mean slope: tiny, huge, denormal, infinite and random ones.
    std::vector<float> slopes = {0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, -1e-45f, 1e-7f, 3.4e38f,
                                 -3.4e38f, INFINITY, -INFINITY, 0.5f, 1e7f};
    std::mt19937 rng(21);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t bits = static_cast<uint32_t>(rng());
        float t;
        std::memcpy(&t, &bits, sizeof t);
        if (!std::isnan(t))
            slopes.push_back(t);
        slopes.push_back(std::uniform_real_distribution<float>(-3.0f, 3.0f)(rng));
    }
    for (float t : slopes) {
        const float expected = -static_cast<float>(std::cos(std::atan2(1.0, static_cast<double>(t))));
        const float got = flatRoundComponent(t);
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << std::hexfloat << t;
    }
    EXPECT_TRUE(std::isnan(flatRoundComponent(NAN)));
}

} // namespace
