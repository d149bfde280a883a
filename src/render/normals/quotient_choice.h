// Which of Round2's two ways of dividing by a neighbour's length this
// processor runs faster.
#pragma once

#include "render/normals/lane_set.h"

// Measured once per process, on first use, by timing both ways on a small
// shape (well under a millisecond): they give the same bits, and which is
// faster depends on the throughput of the processor's vector divider against
// that of its other units, which no feature flag tells. On the AMD EPYC we
// develop on, products take 1.7 to 2 times as long as the divider; on Intel
// processors the divider has about half AMD's throughput.
LengthQuotients bestLengthQuotients();
