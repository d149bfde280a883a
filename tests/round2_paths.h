// The ways Round2's lanes can run: each instruction set, dividing by the
// neighbours' lengths with the divider or by products; every one must give
// the same bits.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "render/normals/lane_set.h"

struct Round2Path {
    LaneSet lanes;
    LengthQuotients quotients;
};

inline auto everyRound2Path()
{
    return testing::Values(Round2Path{LaneSet::Portable, LengthQuotients::Divider},
                           Round2Path{LaneSet::Portable, LengthQuotients::Products},
                           Round2Path{LaneSet::Avx2, LengthQuotients::Divider},
                           Round2Path{LaneSet::Avx2, LengthQuotients::Products},
                           Round2Path{LaneSet::Avx512, LengthQuotients::Divider},
                           Round2Path{LaneSet::Avx512, LengthQuotients::Products});
}

inline std::string round2PathName(const testing::TestParamInfo<Round2Path>& info)
{
    return std::string(laneSetName(info.param.lanes)) + "_" + lengthQuotientsName(info.param.quotients);
}

// A fixture over the paths; a path this processor cannot run is reported
// as skipped.
class Round2PathTest : public testing::TestWithParam<Round2Path> {
protected:
    void SetUp() override
    {
        if (!laneSetRuns(GetParam().lanes))
            GTEST_SKIP() << laneSetName(GetParam().lanes) << " does not run on this processor";
    }
};
