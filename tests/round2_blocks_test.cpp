// Round2 normals of blocks of rows, whose lanes mix runs of pixels from
// different rows and columns, against the literal transcription in every
// instruction set and either way of dividing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "reference_renderer.h"
#include "render/normals/round2.h"
#include "round2_paths.h"
#include "test_images.h"

namespace {

using Round2Blocks = Round2PathTest;

constexpr SurfaceNormal untouched{123.0f, -456.0f, 7.0f, -8.0f, 9.0f};

struct Block {
    const char* name;
    int yBegin, yEnd, xBegin, xEnd;
};

// The block's normals equal the transcription's for its inside pixels, bit
// for bit, and every other entry is left alone.
void expectBlockMatchesReference(const Round2Path& path, const std::vector<float>& field, int width, int height,
                                 const OrmoloVals& vals, const Block& block)
{
    SCOPED_TRACE(block.name);
    const Round2Kernel kernel = makeRound2Kernel(planeOf(field, width, height), productSettings(vals));
    const int stride = block.xEnd - block.xBegin;
    std::vector<SurfaceNormal> normals(static_cast<size_t>(block.yEnd - block.yBegin) * stride, untouched);
    round2NormalsBlock(kernel, block.yBegin, block.yEnd, block.xBegin, block.xEnd, normals.data(), path.lanes,
                       path.quotients);
    for (int y = block.yBegin; y < block.yEnd; ++y)
        for (int x = block.xBegin; x < block.xEnd; ++x) {
            const SurfaceNormal want =
                field[y * width + x] > 0.0f ? referenceNormal(field, width, height, x, y, vals) : untouched;
            const SurfaceNormal& got = normals[(y - block.yBegin) * stride + (x - block.xBegin)];
            ASSERT_TRUE(std::memcmp(&got, &want, sizeof got) == 0)
                << "at " << x << "," << y << ": " << got.nx << " " << got.ny << " want " << want.nx << " "
                << want.ny;
        }
}

TEST_P(Round2Blocks, StrokesAcrossAndAlongTheRows)
{
    // A stroke along the rows, one across them and one slanted: pixels of a
    // row meet every radius from 2 to about 12, which the lanes regroup
    // across the block's rows.
    const int width = 70, height = 40;
    const auto field = heightField(width, height, [](int x, int y) {
        const float across = 10.5f - std::fabs(static_cast<float>(x) - 20.3f);
        const float along = 9.5f - std::fabs(static_cast<float>(y) - 25.6f);
        const float slanted = 7.0f - std::fabs(static_cast<float>(x + y) - 70.0f) * 0.7f;
        return std::max({across, along, slanted, 0.0f});
    });
    const Block blocks[] = {
        {"the output pass's block", 9, 13, 1, 65},
        {"top rows, region's left side", 1, 5, 1, 33},
        {"bottom rows, region's right side", 35, 39, 40, 69},
        {"one row", 25, 26, 3, 60},
        {"more runs than a group pass takes at once", 5, 30, 1, 69},
        {"one column", 1, 39, 20, 21},
    };
    for (const Block& block : blocks)
        expectBlockMatchesReference(GetParam(), field, width, height, normalSettings(SLOPE_ROUND2), block);
}

TEST_P(Round2Blocks, RandomFieldsDepthsAndBlocks)
{
    std::mt19937 rng(23);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 25; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const int width = 3 + static_cast<int>(unit(rng) * 50), height = 3 + static_cast<int>(unit(rng) * 30);
        const float holes = unit(rng) * 0.5f, scale = 1.0f + unit(rng) * 20.0f;
        const auto field = heightField(width, height, [&](int, int) {
            return unit(rng) < holes ? 0.0f : scale * unit(rng) * unit(rng);
        });
        const float depths[] = {20.0f, 1.0f, 25.0f, -3.0f, 1e-38f};
        const OrmoloVals vals = normalSettings(SLOPE_ROUND2, 3, 10.0f, depths[trial % 5]);
        const int yBegin = 1 + static_cast<int>(unit(rng) * (height - 2));
        const int yEnd = yBegin + 1 + static_cast<int>(unit(rng) * (height - 1 - yBegin));
        const int xBegin = 1 + static_cast<int>(unit(rng) * (width - 2));
        const int xEnd = xBegin + 1 + static_cast<int>(unit(rng) * (width - 1 - xBegin));
        expectBlockMatchesReference(GetParam(), field, width, height, vals,
                                    {"random block", yBegin, yEnd, xBegin, xEnd});
    }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, Round2Blocks, everyRound2Path(), round2PathName);

} // namespace
