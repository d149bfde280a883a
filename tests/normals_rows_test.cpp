// The row functions of the normal stages, in every instruction set the
// processor runs and one pixel at a time, against the literal transcription.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "reference_renderer.h"
#include "render/normals/lane_set.h"
#include "render/normals/flat_round.h"
#include "render/normals/round2.h"
#include "test_images.h"

namespace {

constexpr SurfaceNormal untouched{123.0f, -456.0f, 7.0f, -8.0f, 9.0f};

// The ways of computing a row: one pixel at a time (-1), or a LaneSet.
constexpr int onePixelAtATime = -1;

const char* pathName(int path)
{
    return path == onePixelAtATime ? "OnePixelAtATime" : laneSetName(static_cast<LaneSet>(path));
}

// Each test runs once per path; a path this processor cannot run is
// reported as skipped, so the log tells which paths were checked.
class NormalRows : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        if (GetParam() != onePixelAtATime && !laneSetRuns(static_cast<LaneSet>(GetParam())))
            GTEST_SKIP() << "this processor cannot run the " << pathName(GetParam()) << " lanes";
    }
};

std::vector<SurfaceNormal> rowNormals(int path, const std::vector<float>& field, int width, int height,
                                      int y, int xBegin, int xEnd, const OrmoloVals& vals)
{
    std::vector<SurfaceNormal> normals(xEnd - xBegin, untouched);
    const HeightField heights = planeOf(field, width, height);
    if (vals.slopeType == SLOPE_ROUND2) {
        const Round2Kernel kernel = makeRound2Kernel(heights, productSettings(vals));
        if (path < 0) {
            for (int x = xBegin; x < xEnd; ++x)
                if (field[y * width + x] > 0.0f)
                    normals[x - xBegin] = round2Normal(kernel, x, y);
        } else {
            round2NormalsBlock(kernel, y, y + 1, xBegin, xEnd, normals.data(), static_cast<LaneSet>(path),
                               LengthQuotients::Divider);
        }
    } else {
        const FlatRoundKernel kernel = makeFlatRoundKernel(heights, productSettings(vals));
        if (path < 0) {
            for (int x = xBegin; x < xEnd; ++x)
                if (field[y * width + x] > 0.0f)
                    normals[x - xBegin] = flatRoundNormal(kernel, x, y);
        } else {
            flatRoundNormalsRow(kernel, y, xBegin, xEnd, normals.data(), static_cast<LaneSet>(path));
        }
    }
    return normals;
}

template <typename T>
void appendBytes(std::string& key, const T* values, size_t count)
{
    key.append(reinterpret_cast<const char*>(values), count * sizeof(T));
}

// The literal transcription's normals of the inside pixels of columns
// xBegin..xEnd-1 of the rows, `untouched` elsewhere; one vector per row.
// Each case is computed once, however many paths are checked against it.
const std::vector<std::vector<SurfaceNormal>>& referenceRows(const std::vector<float>& field, int width,
                                                             int height, const OrmoloVals& vals,
                                                             const std::vector<int>& rows, int xBegin, int xEnd)
{
    static std::map<std::string, std::vector<std::vector<SurfaceNormal>>> cache;
    std::string key;
    const int32_t sizes[] = {width, height, xBegin, xEnd, vals.slopeType, vals.maxNormalMapBlurRadius};
    const float depths[] = {vals.slopeDepthFlat, vals.slopeDepthRound, vals.slopeDepthRound2};
    appendBytes(key, sizes, std::size(sizes));
    appendBytes(key, depths, std::size(depths));
    appendBytes(key, rows.data(), rows.size());
    appendBytes(key, field.data(), field.size());
    const auto [entry, isNew] = cache.try_emplace(std::move(key));
    if (!isNew)
        return entry->second;
    for (int y : rows) {
        std::vector<SurfaceNormal>& expected = entry->second.emplace_back(xEnd - xBegin, untouched);
        for (int x = xBegin; x < xEnd; ++x) {
            if (!(field[y * width + x] > 0.0f))
                continue;
            expected[x - xBegin] = referenceNormal(field, width, height, x, y, vals);
        }
    }
    return entry->second;
}

// Every path gives, bit for bit, the literal transcription's normal for the
// inside pixels of columns xBegin..xEnd-1 of the rows, and leaves the other
// entries alone.
void expectRowsMatchReference(int path, const std::vector<float>& field, int width, int height,
                              const OrmoloVals& vals, const std::vector<int>& rows, int xBegin, int xEnd)
{
    const auto& expectedRows = referenceRows(field, width, height, vals, rows, xBegin, xEnd);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int y = rows[i];
        const std::vector<SurfaceNormal>& expected = expectedRows[i];
        const auto normals = rowNormals(path, field, width, height, y, xBegin, xEnd, vals);
        for (int x = xBegin; x < xEnd; ++x) {
            const SurfaceNormal& got = normals[x - xBegin];
            const SurfaceNormal& want = expected[x - xBegin];
            ASSERT_TRUE(std::memcmp(&got, &want, sizeof got) == 0)
                << pathName(path) << " at " << x << "," << y << ": " << got.nx << " " << got.ny
                << " want " << want.nx << " " << want.ny;
        }
    }
}

std::vector<int> allVisitedRows(int height)
{
    std::vector<int> rows;
    for (int y = 1; y < height - 1; ++y)
        rows.push_back(y);
    return rows;
}

TEST_P(NormalRows, MatchReferenceOnRandomFieldsAndSettings)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        const int width = 3 + static_cast<int>(unit(rng) * 45), height = 3 + static_cast<int>(unit(rng) * 12);
        const float holes = unit(rng) * 0.4f, slope = unit(rng) * 0.6f;
        const auto field = heightField(width, height, [&](int x, int y) {
            return unit(rng) < holes ? 0.0f : slope * (x % 9) + 0.2f * y + 5.0f * unit(rng) * unit(rng);
        });
        const int32_t slopeType = trial % 5;  // 0 and 4 render like Round
        const int32_t maxRadius = static_cast<int32_t>(unit(rng) * 9) - 1;
        const OrmoloVals vals = normalSettings(slopeType, maxRadius, 8.0f + unit(rng) * 2.5f, unit(rng) * 25.0f);
        // The output pass's columns, and a stretch of them.
        expectRowsMatchReference(GetParam(), field, width, height, vals, allVisitedRows(height), 1, width - 1);
        const int xBegin = static_cast<int>(unit(rng) * width), xEnd = xBegin + static_cast<int>(unit(rng) * (width - xBegin));
        expectRowsMatchReference(GetParam(), field, width, height, vals, {height / 2}, xBegin, xEnd);
    }
}

TEST_P(NormalRows, NeighbouringLanesWithVeryDifferentRadii)
{
    // Columns alternate between low and high pixels, and runs of outside
    // pixels break the row into groups that start anywhere.
    const int width = 61, height = 23;
    const auto field = heightField(width, height, [](int x, int y) {
        if (x % 13 == 5 || (x + y) % 17 == 0)
            return 0.0f;
        return x % 2 ? 0.4f + 0.05f * y : 9.0f + 0.3f * x;
    });
    for (int32_t slope : {SLOPE_FLAT, SLOPE_ROUND, SLOPE_ROUND2}) {
        SCOPED_TRACE(slope);
        expectRowsMatchReference(GetParam(), field, width, height, normalSettings(slope, 6, 10.5f, 20.0f),
                                 allVisitedRows(height), 1, width - 1);
    }
}

TEST_P(NormalRows, BigRadiiOnADiscAndNearTheBorders)
{
    // Heights up to about 60: the discs reach past every border of the
    // region, while pixels near the middle column see whole discs in x.
    const int width = 150, height = 40;
    const auto distance = heightField(width, height, [](int x, int y) {
        const float d = 62.0f - std::hypot(static_cast<float>(x - 75), static_cast<float>(y - 19) * 3.0f);
        return d > 0.0f ? d : 0.0f;
    });
    const std::vector<int> rows{1, 19, height - 2};
    expectRowsMatchReference(GetParam(), distance, width, height, normalSettings(SLOPE_ROUND2, 3, 10.0f, 20.0f), rows, 1, width - 1);
    expectRowsMatchReference(GetParam(), distance, width, height, normalSettings(SLOPE_ROUND, 3, 10.0f, 20.0f), rows, 1, width - 1);
    expectRowsMatchReference(GetParam(), distance, width, height, normalSettings(SLOPE_FLAT, 32, 9.5f, 20.0f), rows, 1, width - 1);
}

TEST_P(NormalRows, WholeDiscsShareTheirWeightSums)
{
    // A field big enough for whole discs of several radii, where the shared
    // weight sums stand in for the counted ones.
    const int width = 57, height = 41;
    const auto field = heightField(width, height, [](int x, int y) {
        return 1.0f + static_cast<float>((x * 7 + y * 3) % 11) + 0.25f * static_cast<float>(y % 3);
    });
    for (int32_t slope : {int32_t{SLOPE_FLAT}, int32_t{SLOPE_ROUND}, 0})
        expectRowsMatchReference(GetParam(), field, width, height, normalSettings(slope, 12, 10.0f, 20.0f),
                                 allVisitedRows(height), 1, width - 1);
}

INSTANTIATE_TEST_SUITE_P(Paths, NormalRows,
                         ::testing::Values(onePixelAtATime, static_cast<int>(LaneSet::Portable),
                                           static_cast<int>(LaneSet::Avx2), static_cast<int>(LaneSet::Avx512)),
                         [](const ::testing::TestParamInfo<int>& info) { return pathName(info.param); });

} // namespace
