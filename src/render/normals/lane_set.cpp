#include "render/normals/lane_set.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr LaneSet everySet[] = {LaneSet::Portable, LaneSet::Avx2, LaneSet::Avx512};

LaneSet widestRunning(bool (*runs)(LaneSet))
{
    LaneSet widest = LaneSet::Portable;
    for (LaneSet set : everySet)
        if (runs(set))
            widest = set;
    return widest;
}

} // namespace

bool laneSetRuns(LaneSet set)
{
#if defined(__x86_64__)
    switch (set) {
    case LaneSet::Avx512:
        return __builtin_cpu_supports("avx512f");
    case LaneSet::Avx2:
        return __builtin_cpu_supports("avx2");
    case LaneSet::Portable:
        return true;
    }
    return false;
#else
    return set == LaneSet::Portable;
#endif
}

const char* laneSetName(LaneSet set)
{
    switch (set) {
    case LaneSet::Avx512:
        return "avx512";
    case LaneSet::Avx2:
        return "avx2";
    case LaneSet::Portable:
        break;
    }
    return "portable";
}

LaneChoice chooseLaneSet(const char* requested, bool (*runs)(LaneSet))
{
    const LaneSet widest = widestRunning(runs);
    if (!requested || !*requested)
        return {widest, {}};
    for (LaneSet set : everySet)
        if (std::strcmp(requested, laneSetName(set)) == 0 && runs(set))
            return {set, {}};
    return {widest, requested};
}

std::string laneRefusal(const LaneChoice& choice, const std::string& shownName)
{
    if (choice.refused.empty())
        return {};
    const std::string fallback = std::string("; using ") + laneSetName(choice.set);
    for (LaneSet set : everySet)
        if (choice.refused == laneSetName(set))
            return "ORMOLO_LANES=" + shownName + ": this processor cannot run it" + fallback;
    return "ORMOLO_LANES=" + shownName + " is not one of portable, avx2, avx512" + fallback;
}

const LaneChoice& environmentLaneChoice()
{
    static const LaneChoice choice = chooseLaneSet(std::getenv("ORMOLO_LANES"), laneSetRuns);
    return choice;
}

LaneSet defaultLaneSet()
{
    return environmentLaneChoice().set;
}

const char* lengthQuotientsName(LengthQuotients quotients)
{
    return quotients == LengthQuotients::Products ? "products" : "divider";
}
