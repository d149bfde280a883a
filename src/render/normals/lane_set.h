// The instruction sets the row kernels of the normal stages are built for.
// Every set gives the same bits; they differ only in speed.
#pragma once

enum class LaneSet {
    Portable,  // generic vectors of 4 lanes, any processor
    Avx2,      // 8 lanes
    Avx512,    // 16 lanes
};

// Whether this processor can run the set.
bool laneSetRuns(LaneSet set);

// The widest set this processor runs, detected once.
LaneSet bestLaneSet();
