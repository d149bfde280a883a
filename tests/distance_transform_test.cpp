#include <gtest/gtest.h>

#include <cmath>

#include "reference_renderer.h"
#include "render/distance_transform.h"
#include "render/height_field.h"
#include "render/seeds.h"
#include "test_images.h"

namespace {

struct Vectors {
    int width, height;
    std::vector<float> horiz, vert;
    float h(int x, int y) const { return horiz[y * width + x]; }
    float v(int x, int y) const { return vert[y * width + x]; }
};

Vectors transform(const std::vector<uint8_t>& red, int width, int height)
{
    Vectors d{width, height, std::vector<float>(red.size()), std::vector<float>(red.size())};
    const PlaneView<float> horiz = planeOf(d.horiz, width, height), vert = planeOf(d.vert, width, height);
    scanSeeds(pixelsOf(maskImage(red, 3), width, height, 3), false, horiz, vert);
    propagateForward(horiz, vert, {});
    propagateBackward(horiz, vert, {});
    return d;
}

TEST(DistanceTransform, StraightVerticalEdge)
{
    const int width = 12, height = 6, edge = 3;  // outside in columns 0..3
    const Vectors d = transform(maskOf(width, height, [&](int x, int) { return x > edge ? 255 : 0; }),
                                width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = edge + 1; x <= width - 2; ++x) {
            EXPECT_EQ(d.h(x, y), static_cast<float>(x - edge)) << x << "," << y;
            EXPECT_EQ(d.v(x, y), y == 0 ? 1.0f : 0.0f) << x << "," << y;  // row 0 only from below
        }
        EXPECT_EQ(d.h(width - 1, y), 9999.0f);
    }
}

TEST(DistanceTransform, StraightHorizontalEdge)
{
    const int width = 7, height = 10, edge = 2;  // outside in rows 0..2
    const Vectors d = transform(maskOf(width, height, [&](int, int y) { return y > edge ? 255 : 0; }),
                                width, height);
    for (int y = edge + 1; y < height; ++y) {
        for (int x = 1; x <= width - 2; ++x) {
            EXPECT_EQ(d.h(x, y), 0.0f);
            EXPECT_EQ(d.v(x, y), static_cast<float>(y - edge));
        }
        EXPECT_EQ(d.h(0, y), 9999.0f);
        EXPECT_EQ(d.v(width - 1, y), 9999.0f);
    }
}

TEST(DistanceTransform, PartlyCoveredSeedLengthensByOneStep)
{
    // Column 1 is grey at a vertical edge; columns 2.. are inside.
    const int width = 8, height = 5;
    const Vectors d = transform(
        maskOf(width, height, [](int x, int) { return x == 0 ? 0 : x == 1 ? 102 : 255; }), width, height);
    const float f = static_cast<float>(102 / 255.0);
    for (int y = 1; y <= height - 2; ++y) {
        EXPECT_EQ(d.h(1, y), f);
        EXPECT_EQ(d.v(1, y), 0.0f);
        EXPECT_EQ(d.h(2, y), 1.0f + f);
        EXPECT_EQ(d.v(2, y), 0.0f);
    }
}

TEST(DistanceTransform, CornersSeedAsStated)
{
    // All inside but one outside pixel in a corner.
    struct Case { int cornerX, cornerY; bool seeds; };
    const int width = 6, height = 5;
    for (const Case c : {Case{0, 0, false}, Case{width - 1, height - 1, false},
                         Case{width - 1, 0, true}, Case{0, height - 1, true}}) {
        const Vectors d = transform(maskOf(width, height, [&](int x, int y) {
                                        return x == c.cornerX && y == c.cornerY ? 0 : 255;
                                    }),
                                    width, height);
        EXPECT_EQ(d.h(2, 2) != 9999.0f, c.seeds) << c.cornerX << "," << c.cornerY;
    }
}

TEST(DistanceTransform, UnreachedInsideDistanceAndItsRoundHeight)
{
    const int width = 5, height = 4;
    const Vectors d = transform(std::vector<uint8_t>(width * height, 255), width, height);
    std::vector<float> field = d.horiz;
    computeDistanceField(planeOf(field, width, height), planeOf(d.vert, width, height), {});
    for (float value : field)
        EXPECT_EQ(value, 14140.7216796875f);
    OrmoloVals vals = ormoloDefaults;
    vals.slopeType = SLOPE_ROUND;
    applyHeightProfile(planeOf(field, width, height), productSettings(vals));
    EXPECT_EQ(field[0], 832.4033813476562f);
    vals.slopeType = SLOPE_FLAT;
    std::vector<float> flat = {14140.7216796875f};
    applyHeightProfile(planeOf(flat, 1, 1), productSettings(vals));
    EXPECT_EQ(flat[0], 14140.7216796875f);
}

TEST(DistanceTransform, MatchesReferenceOnRandomMasksAndSizes)
{
    std::mt19937 rng(3);
    for (int trial = 0; trial < 60; ++trial) {
        const int width = 1 + trial % 13, height = 1 + (trial * 7) % 15;
        const auto red = randomMask(rng, width, height);
        const Vectors d = transform(red, width, height);
        ReferenceVectors expected = referenceSeeds(maskImage(red, 3), width, height, 3, false);
        referenceForwardPass(expected, width, height);
        referenceBackwardPass(expected, width, height);
        EXPECT_EQ(d.horiz, expected.distHoriz) << trial;
        EXPECT_EQ(d.vert, expected.distVert) << trial;
    }
}

} // namespace
