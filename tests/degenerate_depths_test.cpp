// Depths far outside the dialog's range, which only scripts and stored
// records can pass: they overflow the facet and slope sums into NaN normals
// (Round2 from about 1e19, Flat at a depth of 11) or give Round heights
// beyond any radius. The renderer and the literal transcription must still
// agree byte for byte, in both output rules.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "reference_renderer.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "test_images.h"

namespace {

ProbeImage stripedProbe()
{
    ProbeImage probe{23, 17, false, std::vector<uint8_t>(23 * 17 * 4)};
    for (size_t i = 0; i < probe.rgba.size(); ++i)
        probe.rgba[i] = static_cast<uint8_t>(i * 37 + i / 11);
    return probe;
}

// Whether the transcription's normal is NaN at some inside pixel.
bool hasNanNormal(const std::vector<uint8_t>& input, int width, int height, const OrmoloVals& vals)
{
    const std::vector<float> heights = referenceHeightField(input, width, height, 3, vals);
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x) {
            if (!(heights[y * width + x] > 0.0f))
                continue;
            float nx, ny;
            if (vals.slopeType == SLOPE_ROUND2)
                referenceRound2Normal(heights, width, height, x, y, vals, nx, ny);
            else
                referenceFlatRoundNormal(heights, width, height, x, y, vals, nx, ny);
            if (std::isnan(nx) || std::isnan(ny))
                return true;
        }
    return false;
}

TEST(DegenerateDepths, MatchTheLiteralTranscription)
{
    const float inf = INFINITY, nan = NAN;
    const struct {
        const char* name;
        int32_t slope;
        float depth;
        bool nanNormals;  // the case reaches NaN normals
    } cases[] = {
        {"round2 1e20, first overflowing facets", SLOPE_ROUND2, 1e20f, true},
        {"round2 1e30", SLOPE_ROUND2, 1e30f, true},
        {"round2 -1e30", SLOPE_ROUND2, -1e30f, true},
        {"round2 largest float", SLOPE_ROUND2, FLT_MAX, true},
        {"round2 -infinity", SLOPE_ROUND2, -inf, true},
        {"round2 NaN", SLOPE_ROUND2, nan, true},
        {"flat 11, zero kernel length", SLOPE_FLAT, 11.0f, true},
        {"round 1e30, heights beyond any radius", SLOPE_ROUND, 1e30f, false},
        {"round infinity", SLOPE_ROUND, inf, true},
    };
    const ProbeImage probe = stripedProbe();
    std::mt19937 rng(77);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OrmoloVals vals = ormoloDefaults;
        vals.slopeType = c.slope;
        if (c.slope == SLOPE_ROUND2)
            vals.slopeDepthRound2 = c.depth;
        else if (c.slope == SLOPE_FLAT)
            vals.slopeDepthFlat = c.depth;
        else
            vals.slopeDepthRound = c.depth;
        const int width = 20 + static_cast<int>(rng() % 20), height = 15 + static_cast<int>(rng() % 20);
        const auto input = maskImage(randomMask(rng, width, height), 3);
        EXPECT_EQ(hasNanNormal(input, width, height, vals), c.nanNormals);
        const struct { const ProbeImage* probe; double specularity; } rules[] = {
            {nullptr, 1.0}, {&probe, 1.0}, {&probe, 0.3}};
        for (const auto& rule : rules) {
            vals.specularity = rule.specularity;
            const uint64_t start = reserveRandomDraws(0);
            const auto expected = referenceRender(input, width, height, 3, vals, rule.probe, start);
            std::vector<uint8_t> output(input.size());
            renderRegion(pixelsOf(input, width, height, 3), pixelsOf(output, width, height, 3),
                         productSettings(vals, rule.probe), {});
            ASSERT_EQ(output, expected) << (rule.probe ? "probe" : "normal map") << ", specularity "
                                        << rule.specularity << ", " << width << "x" << height;
        }
    }
}

} // namespace
