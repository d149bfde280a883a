// The lanes' division-free quotients against the real division, bit for bit,
// in every instruction set; and whole renders with each way of dividing
// against the literal transcription.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "reference_renderer.h"
#include "render/normals/lane_quotients.h"
#include "render/normals/round2.h"
#include "render/output_pass.h"
#include "round2_paths.h"
#include "test_images.h"

namespace {

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

class LaneQuotients : public testing::TestWithParam<LaneSet> {
protected:
    void SetUp() override
    {
        if (!laneSetRuns(GetParam()))
            GTEST_SKIP() << laneSetName(GetParam()) << " does not run on this processor";
    }

    // Every numerator divided through the lanes equals the real division.
    void expectRealDivision(const std::vector<float>& numerators, float divisor)
    {
        std::vector<float> quotients(numerators.size());
        quotientsByReciprocal(GetParam(), numerators.data(), divisor, quotients.data(), numerators.size());
        for (size_t i = 0; i < numerators.size(); ++i) {
            const float expected = numerators[i] / divisor;
            ASSERT_EQ(bitsOf(quotients[i]), bitsOf(expected))
                << numerators[i] << " / " << divisor << " (bits " << std::hex << bitsOf(numerators[i])
                << " / " << bitsOf(divisor) << "): got " << quotients[i] << " want " << expected;
        }
    }
};

// Divisors as the kernel meets them (lengths of offsets, square roots of
// integers) and others of at least 1: powers of two, odd significands, the
// largest float.
std::vector<float> testDivisors()
{
    std::vector<float> divisors{1.0f, 2.0f, 3.0f, 1024.0f, 1.5f, 16777215.0f, 8388609.0f,
                                nextafterf(1.0f, 2.0f), nextafterf(2.0f, 1.0f), 1e30f, FLT_MAX};
    for (int ksq : {2, 5, 8, 13, 50, 101, 1250, 20000, 1 << 20})
        divisors.push_back(static_cast<float>(std::sqrt(static_cast<double>(ksq))));
    return divisors;
}

TEST_P(LaneQuotients, MatchRealDivisionOnRandomNumerators)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<uint32_t> anyBits;
    std::uniform_real_distribution<float> slope(-400.0f, 400.0f);
    for (float divisor : testDivisors()) {
        SCOPED_TRACE(divisor);
        std::vector<float> numerators;
        for (int i = 0; i < 4000; ++i) {
            numerators.push_back(floatOf(anyBits(rng)));  // every exponent, NaN and infinity too
            numerators.push_back(slope(rng));
        }
        expectRealDivision(numerators, divisor);
    }
}

TEST_P(LaneQuotients, MatchRealDivisionNextToRoundingBoundaries)
{
    // For quotients q near the midpoint between two floats, or near a
    // power of two, the numerators around q * divisor; each of them a few
    // steps either way.
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> unit(1.0, 2.0);
    std::uniform_int_distribution<int> exponent(-125, 126);
    for (float divisor : testDivisors()) {
        SCOPED_TRACE(divisor);
        std::vector<float> numerators;
        for (int i = 0; i < 3000; ++i) {
            const float q = static_cast<float>(std::ldexp(unit(rng), exponent(rng)));
            const double midpoint = (static_cast<double>(q) + nextafterf(q, INFINITY)) / 2.0;
            const double power = std::ldexp(1.0, exponent(rng));
            for (double target : {midpoint, power, static_cast<double>(q)}) {
                const float around = static_cast<float>(target * divisor);
                float step = around;
                for (int k = 0; k < 3; ++k)
                    step = nextafterf(step, -INFINITY);
                for (int k = 0; k < 7; ++k, step = nextafterf(step, INFINITY)) {
                    numerators.push_back(step);
                    numerators.push_back(-step);
                }
            }
        }
        expectRealDivision(numerators, divisor);
    }
}

TEST_P(LaneQuotients, MatchRealDivisionAtTheEdgesOfTheRange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float divisor : testDivisors()) {
        SCOPED_TRACE(divisor);
        // Quotients around the smallest normal, subnormal and zero ones,
        // the largest floats, signed zeros, infinities and NaNs.
        std::vector<float> numerators{0.0f, -0.0f, INFINITY, -INFINITY, nan, -nan, FLT_MAX, -FLT_MAX,
                                      FLT_MIN, -FLT_MIN, FLT_TRUE_MIN, -FLT_TRUE_MIN, 1.0f, -1.0f,
                                      floatOf(0x7fa00000u) /* signalling NaN */};
        const float nearSmallest = FLT_MIN * divisor;
        for (float scale : {1.0f, 0.5f, 0.75f, 1.5f, 0x1p-20f, 0x1p-23f, 0x1p-24f, 0x1p-30f}) {
            float around = nearSmallest * scale;
            for (int k = 0; k < 3; ++k)
                around = nextafterf(around, 0.0f);
            for (int k = 0; k < 7; ++k, around = nextafterf(around, INFINITY)) {
                numerators.push_back(around);
                numerators.push_back(-around);
            }
        }
        for (uint32_t bits = 1; bits < 0x00800000u; bits = bits * 3 + 1)
            numerators.push_back(floatOf(bits));  // subnormal numerators
        expectRealDivision(numerators, divisor);
    }
}

TEST_P(LaneQuotients, MatchRealDivisionOnSubnormalMidpoints)
{
    // a / b exactly halfway between two subnormal floats, with b = B 2^j
    // (B odd) not a power of two, so that its reciprocal is inexact: the
    // product lands on one side of the midpoint while the division breaks
    // the tie to even. Only the real division gets these right.
    for (int oddFactor : {3, 49, 75, 91, 103, 105, 161})
        for (int twos : {1, 2, 5, 20}) {
            const float divisor = std::ldexp(static_cast<float>(oddFactor), twos);
            SCOPED_TRACE(divisor);
            std::vector<float> numerators;
            for (int64_t odd = 1; odd * oddFactor < (1 << 24); odd = odd < 64 ? odd + 2 : odd * 3 + 2) {
                    const float a = std::ldexp(static_cast<float>(odd * oddFactor), twos - 150);
                    numerators.push_back(a);
                    numerators.push_back(-a);
                }
            expectRealDivision(numerators, divisor);
        }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, LaneQuotients,
                         testing::Values(LaneSet::Portable, LaneSet::Avx2, LaneSet::Avx512),
                         [](const testing::TestParamInfo<LaneSet>& info) { return laneSetName(info.param); });

// Round2 renders whose normals come from one instruction set and one way
// of dividing, against the literal transcription.
class Round2Paths : public Round2PathTest {
protected:
    std::vector<uint8_t> render(const std::vector<uint8_t>& input, int width, int height, int channels,
                                const OrmoloVals& vals)
    {
        std::vector<float> field = referenceHeightField(input, width, height, channels, vals);
        const PlaneView<float> heights = planeOf(field, width, height);
        const Round2Kernel kernel = makeRound2Kernel(heights, productSettings(vals));
        std::vector<uint8_t> output = input;
        const Round2Path path = GetParam();
        writeOutputPass(heights, pixelsOf(output, width, height, channels), {nullptr, 1.0},
                        [&](int yBegin, int yEnd, int xBegin, int xEnd, SurfaceNormal* normals) {
                            round2NormalsBlock(kernel, yBegin, yEnd, xBegin, xEnd, normals, path.lanes,
                                               path.quotients);
                        },
                        1, {});
        return output;
    }
};

TEST_P(Round2Paths, MatchTheLiteralTranscription)
{
    std::mt19937 rng(31);
    for (int trial = 0; trial < 30; ++trial) {
        const int width = 3 + static_cast<int>(rng() % 70), height = 3 + static_cast<int>(rng() % 50);
        const auto input = maskImage(randomMask(rng, width, height), 3);
        OrmoloVals vals = normalSettings(SLOPE_ROUND2);
        // The dialog's depths, depths so small that the facet slopes
        // and their quotients become tiny or subnormal, and depths so large
        // that they overflow into infinite quotients and NaN normals.
        const float depths[] = {20.0f, 1.0f, 25.0f, 1e-30f, 1e-38f, -7.5f, 0.0f, 1e30f, -FLT_MAX};
        vals.slopeDepthRound2 = depths[trial % 9];
        ASSERT_EQ(render(input, width, height, 3, vals), referenceRender(input, width, height, 3, vals))
            << "trial " << trial << ": " << width << "x" << height << " depth " << vals.slopeDepthRound2;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, Round2Paths, everyRound2Path(), round2PathName);

} // namespace
