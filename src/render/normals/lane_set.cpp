#include "render/normals/lane_set.h"

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

LaneSet bestLaneSet()
{
    static const LaneSet best = laneSetRuns(LaneSet::Avx512) ? LaneSet::Avx512
                                : laneSetRuns(LaneSet::Avx2) ? LaneSet::Avx2
                                                             : LaneSet::Portable;
    return best;
}
