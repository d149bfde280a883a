// The distance passes against the literal transcription on inputs chosen
// for many equal-length candidates, where a wrong order of comparison would
// show.
#include <gtest/gtest.h>

#include <random>

#include "reference_renderer.h"
#include "render/distance_transform.h"
#include "render/seeds.h"
#include "test_images.h"

namespace {

// White with sparse black or grey dots: whole-pixel vectors whose squared
// lengths often tie (3,4 against 5,0; 1,7 against 5,5), on regions from one
// pixel up, both thin and wide.
std::vector<uint8_t> dottedMask(std::mt19937& rng, int width, int height, int density)
{
    std::vector<uint8_t> red(static_cast<size_t>(width) * height, 255);
    for (auto& value : red) {
        const unsigned roll = rng() % 1000;
        if (roll < static_cast<unsigned>(density))
            value = 0;
        else if (roll < static_cast<unsigned>(density) + 3)
            value = static_cast<uint8_t>(1 + rng() % 254);
    }
    return red;
}

TEST(DistancePasses, MatchReferenceOnTieRichMasks)
{
    std::mt19937 rng(17);
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 1}, {3, 3}, {4, 2}, {1, 9}, {9, 1},
                            {17, 5}, {33, 21}, {64, 48}, {97, 3}, {5, 71}};
    for (const auto& size : sizes)
        for (int density : {2, 10, 60, 300}) {
            const int width = size[0], height = size[1];
            const auto pixels = maskImage(dottedMask(rng, width, height, density), 3);
            std::vector<float> horiz(static_cast<size_t>(width) * height), vert(horiz.size());
            scanSeeds(pixelsOf(pixels, width, height, 3), false, planeOf(horiz, width, height),
                      planeOf(vert, width, height));
            ReferenceVectors expected = referenceSeeds(pixels, width, height, 3, false);

            propagateForward(planeOf(horiz, width, height), planeOf(vert, width, height), {});
            referenceForwardPass(expected, width, height);
            EXPECT_EQ(horiz, expected.distHoriz) << width << "x" << height << " forward " << density;
            EXPECT_EQ(vert, expected.distVert) << width << "x" << height << " forward " << density;

            propagateBackward(planeOf(horiz, width, height), planeOf(vert, width, height), {});
            referenceBackwardPass(expected, width, height);
            EXPECT_EQ(horiz, expected.distHoriz) << width << "x" << height << " backward " << density;
            EXPECT_EQ(vert, expected.distVert) << width << "x" << height << " backward " << density;
        }
}

// Whether every pixel of a tile holds what its step gives it from its start
// vector and its three neighbours' final vectors, taken across the opposite
// edge where they lie beyond one. `step` is +1 for the forward pass, -1 for
// the backward pass.
bool settled(const ReferenceVectors& start, const ReferenceVectors& final, int width, int height, int step)
{
    const auto at = [&](int x, int y) { return (y + height) % height * width + (x + width) % width; };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            ReferenceVectors stepped = final;
            stepped.distHoriz[at(x, y)] = start.distHoriz[at(x, y)];
            stepped.distVert[at(x, y)] = start.distVert[at(x, y)];
            referenceRelaxPixel(stepped, at(x, y), at(x - step, y), at(x, y - step), at(x + step, y - step));
            if (stepped.distHoriz[at(x, y)] != final.distHoriz[at(x, y)] ||
                stepped.distVert[at(x, y)] != final.distVert[at(x, y)])
                return false;
        }
    return true;
}

TEST(DistancePasses, WrappedPassesSettleEveryPixelOfATile)
{
    std::mt19937 rng(18);
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 1}, {3, 3}, {4, 2}, {1, 9}, {9, 1}, {17, 5}, {33, 21}, {5, 71}};
    for (const auto& size : sizes)
        for (int density : {0, 2, 10, 60, 300}) {
            const int width = size[0], height = size[1];
            const auto pixels = maskImage(dottedMask(rng, width, height, density), 3);
            const auto plane = [&](std::vector<float>& values) { return planeOf(values, width, height); };
            ReferenceVectors seeds{std::vector<float>(static_cast<size_t>(width) * height),
                                   std::vector<float>(static_cast<size_t>(width) * height)};
            scanSeeds(pixelsOf(pixels, width, height, 3), false, plane(seeds.distHoriz), plane(seeds.distVert), true);
            ReferenceVectors forward = seeds, backward = seeds;
            propagateForwardWrapped(plane(seeds.distHoriz), plane(seeds.distVert), plane(forward.distHoriz),
                                    plane(forward.distVert), {});
            EXPECT_TRUE(settled(seeds, forward, width, height, 1)) << width << "x" << height << " " << density;
            propagateBackwardWrapped(plane(forward.distHoriz), plane(forward.distVert), plane(backward.distHoriz),
                                     plane(backward.distVert), {});
            EXPECT_TRUE(settled(forward, backward, width, height, -1)) << width << "x" << height << " " << density;
        }
}

} // namespace
