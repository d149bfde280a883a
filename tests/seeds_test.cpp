#include <gtest/gtest.h>

#include "reference_renderer.h"
#include "render/seeds.h"
#include "test_images.h"

namespace {

struct AxisCase {
    const char* name;
    uint8_t centre, left, right, above, below;
    bool invert;
    bool expectHorizontal;
};

// The centre pixel of a 3x3 mask with the given neighbours.
std::vector<uint8_t> plusMask(const AxisCase& c)
{
    return {9, c.above, 9, c.left, c.centre, c.right, 9, c.below, 9};
}

TEST(Seeds, GreyPixelGoesToTheAxisOfItsDarkestStoredNeighbour)
{
    const AxisCase cases[] = {
        {"vertical edge, white left", 128, 255, 0, 128, 128, false, true},
        {"vertical edge, white left, inverted", 128, 255, 0, 128, 128, true, true},
        {"vertical edge, white right", 100, 0, 255, 100, 100, false, true},
        {"stored values decide, not inverted ones", 90, 0, 100, 50, 200, false, true},
        {"stored values decide, inverted", 90, 0, 100, 50, 200, true, true},
        {"horizontal edge", 60, 128, 128, 0, 255, false, false},
        {"four equal neighbours tie to vertical", 77, 40, 40, 40, 40, false, false},
        {"equal minima tie to vertical", 77, 10, 90, 10, 90, true, false},
    };
    for (const AxisCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pixels = maskImage(plusMask(c), 3);
        std::vector<float> horiz(9), vert(9);
        scanSeeds(pixelsOf(pixels, 3, 3, 3), c.invert, planeOf(horiz, 3, 3), planeOf(vert, 3, 3));
        const uint8_t val = c.invert ? 255 - c.centre : c.centre;
        const float coverage = static_cast<float>(val / 255.0);
        EXPECT_EQ(horiz[4], c.expectHorizontal ? coverage : 0.0f);
        EXPECT_EQ(vert[4], c.expectHorizontal ? 0.0f : coverage);
    }
}

TEST(Seeds, ClassesOfWhiteBlackAndBorderPixels)
{
    // 4x3: a grey border column and row; white and black inner pixels.
    const std::vector<uint8_t> red = {
        128, 128, 128, 128,
        128, 255, 0,   128,
        128, 128, 128, 128,
    };
    for (int channels : {3, 4}) {
        const auto pixels = maskImage(red, channels);
        std::vector<float> horiz(12), vert(12);
        scanSeeds(pixelsOf(pixels, 4, 3, channels), false, planeOf(horiz, 4, 3), planeOf(vert, 4, 3));
        for (int i = 0; i < 12; ++i) {
            const float expected = i == 5 ? 9999.0f : 0.0f;
            EXPECT_EQ(horiz[i], expected) << i;
            EXPECT_EQ(vert[i], expected) << i;
        }
    }
}

TEST(Seeds, InvertedBlackShapeEqualsWhiteShape)
{
    std::mt19937 rng(7);
    auto white = randomMask(rng, 17, 13);
    for (auto& v : white)
        v = v >= 128 ? 255 : 0;
    std::vector<uint8_t> black(white.size());
    for (size_t i = 0; i < white.size(); ++i)
        black[i] = 255 - white[i];
    std::vector<float> h1(white.size()), v1(white.size()), h2(white.size()), v2(white.size());
    scanSeeds(pixelsOf(maskImage(white, 3), 17, 13, 3), false, planeOf(h1, 17, 13), planeOf(v1, 17, 13));
    scanSeeds(pixelsOf(maskImage(black, 3), 17, 13, 3), true, planeOf(h2, 17, 13), planeOf(v2, 17, 13));
    EXPECT_EQ(h1, h2);
    EXPECT_EQ(v1, v2);
}

TEST(Seeds, ShapeInAlphaOnlyIsNoShape)
{
    std::vector<uint8_t> pixels(5 * 5 * 4, 0);
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255;
    std::vector<float> horiz(25), vert(25);
    scanSeeds(pixelsOf(pixels, 5, 5, 4), false, planeOf(horiz, 5, 5), planeOf(vert, 5, 5));
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(horiz[i] + vert[i], 0.0f);
}

TEST(Seeds, MatchesReferenceOnRandomMasks)
{
    std::mt19937 rng(11);
    for (int trial = 0; trial < 40; ++trial) {
        const int width = 1 + trial % 9, height = 1 + (trial * 5) % 11, channels = 3 + trial % 2;
        const bool invert = trial % 3 == 0;
        const auto pixels = maskImage(randomMask(rng, width, height), channels);
        std::vector<float> horiz(width * height), vert(width * height);
        scanSeeds(pixelsOf(pixels, width, height, channels), invert, planeOf(horiz, width, height),
                  planeOf(vert, width, height));
        const ReferenceVectors expected = referenceSeeds(pixels, width, height, channels, invert);
        EXPECT_EQ(horiz, expected.distHoriz) << trial;
        EXPECT_EQ(vert, expected.distVert) << trial;
    }
}

TEST(SeedValues, EveryByteInEverySituation)
{
    // A 5x4 mask: the value under test fills column 0 (border) and column 2,
    // where black side neighbours put the coverage of row 1 on the
    // horizontal axis and white ones that of row 2 on the vertical axis.
    for (int value = 0; value < 256; ++value)
        for (bool invert : {false, true}) {
            const std::vector<uint8_t> red = {
                static_cast<uint8_t>(value), 90, static_cast<uint8_t>(value), 90, 90,
                static_cast<uint8_t>(value), 0, static_cast<uint8_t>(value), 0, 90,
                static_cast<uint8_t>(value), 255, static_cast<uint8_t>(value), 255, 90,
                static_cast<uint8_t>(value), 30, static_cast<uint8_t>(value), 30, 90,
            };
            const auto pixels = maskImage(red, 4);
            std::vector<float> horiz(red.size()), vert(red.size());
            scanSeeds(pixelsOf(pixels, 5, 4, 4), invert, planeOf(horiz, 5, 4), planeOf(vert, 5, 4));
            const ReferenceVectors expected = referenceSeeds(pixels, 5, 4, 4, invert);
            EXPECT_EQ(horiz, expected.distHoriz) << value << (invert ? " inverted" : "");
            EXPECT_EQ(vert, expected.distVert) << value << (invert ? " inverted" : "");
        }
}

} // namespace
