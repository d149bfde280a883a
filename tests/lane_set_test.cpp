// Choosing the instruction set of the normal stages' row kernels by name.
#include <gtest/gtest.h>

#include <string>

#include "render/normals/lane_set.h"

namespace {

bool runsAll(LaneSet)
{
    return true;
}

bool runsUpToAvx2(LaneSet set)
{
    return set != LaneSet::Avx512;
}

bool runsPortableOnly(LaneSet set)
{
    return set == LaneSet::Portable;
}

TEST(LaneSet, ChoiceByName)
{
    const struct {
        const char* requested;
        bool (*runs)(LaneSet);
        LaneSet chosen;
        const char* refusal;  // empty: honoured, or nothing asked
    } cases[] = {
        {nullptr, runsAll, LaneSet::Avx512, ""},
        {"", runsUpToAvx2, LaneSet::Avx2, ""},
        {"portable", runsAll, LaneSet::Portable, ""},
        {"avx2", runsAll, LaneSet::Avx2, ""},
        {"avx512", runsAll, LaneSet::Avx512, ""},
        {"avx2", runsUpToAvx2, LaneSet::Avx2, ""},
        {"avx512", runsUpToAvx2, LaneSet::Avx2,
         "ORMOLO_LANES=avx512: this processor cannot run it; using avx2"},
        {"avx2", runsPortableOnly, LaneSet::Portable,
         "ORMOLO_LANES=avx2: this processor cannot run it; using portable"},
        {"AVX2", runsAll, LaneSet::Avx512, "ORMOLO_LANES=AVX2 is not one of portable, avx2, avx512; using avx512"},
        {"sse4", runsUpToAvx2, LaneSet::Avx2, "ORMOLO_LANES=sse4 is not one of portable, avx2, avx512; using avx2"},
        {"avx2 ", runsAll, LaneSet::Avx512, "ORMOLO_LANES=avx2  is not one of portable, avx2, avx512; using avx512"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested ? c.requested : "(unset)");
        const LaneChoice choice = chooseLaneSet(c.requested, c.runs);
        EXPECT_EQ(laneSetName(choice.set), std::string(laneSetName(c.chosen)));
        EXPECT_EQ(laneRefusal(choice, choice.refused), c.refusal);
    }
}

} // namespace
