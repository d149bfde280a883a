// The row and block functions of the normal stages, built once per
// instruction set.
//
// The same kernel source (the .inc files) is compiled three times, each copy
// in its own namespace with its own lane count and under its own target
// pragma. Everything the kernels call from outside is included before the
// pragmas, so shared inline code keeps the baseline instruction set and only
// the kernels themselves use the wider registers. The caller picks the copy
// at run time (defaultLaneSet unless it names one).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "render/normals/disc_rows.h"
#include "render/normals/flat_round.h"
#include "render/normals/kernel_radius.h"
#include "render/normals/lane_quotients.h"
#include "render/normals/round2.h"

namespace {

#if defined(__x86_64__)
#pragma GCC push_options
#pragma GCC target("avx512f")
namespace avx512 {
#define ORMOLO_LANE_COUNT 16
#include "render/normals/lane_vectors.inc"
#include "render/normals/lane_quotients.inc"
#include "render/normals/flat_round_lanes.inc"
#include "render/normals/round2_lanes.inc"
#undef ORMOLO_LANE_COUNT
#undef ORMOLO_LANE_VECTORS
#undef ORMOLO_LANE_QUOTIENTS
} // namespace avx512
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
#define ORMOLO_LANE_COUNT 8
#include "render/normals/lane_vectors.inc"
#include "render/normals/lane_quotients.inc"
#include "render/normals/flat_round_lanes.inc"
#include "render/normals/round2_lanes.inc"
#undef ORMOLO_LANE_COUNT
#undef ORMOLO_LANE_VECTORS
#undef ORMOLO_LANE_QUOTIENTS
} // namespace avx2
#pragma GCC pop_options
#endif

namespace portable {
#define ORMOLO_LANE_COUNT 4
#include "render/normals/lane_vectors.inc"
#include "render/normals/lane_quotients.inc"
#include "render/normals/flat_round_lanes.inc"
#include "render/normals/round2_lanes.inc"
#undef ORMOLO_LANE_COUNT
#undef ORMOLO_LANE_VECTORS
#undef ORMOLO_LANE_QUOTIENTS
} // namespace portable

// The row and block functions of one instruction set.
struct LaneKernels {
    void (*flatRound)(const FlatRoundKernel&, int y, int xBegin, int xEnd, SurfaceNormal* normals);
    void (*round2ByDivider)(const Round2Kernel&, int yBegin, int yEnd, int xBegin, int xEnd,
                            SurfaceNormal* normals);
    void (*round2ByProducts)(const Round2Kernel&, int yBegin, int yEnd, int xBegin, int xEnd,
                             SurfaceNormal* normals);
    void (*quotientsByReciprocal)(const float* a, float b, double reciprocal, float* q, size_t count);
};

const LaneKernels& laneKernels([[maybe_unused]] LaneSet lanes)
{
    static constexpr LaneKernels portableKernels{portable::flatRoundRow, portable::round2Block<false>,
                                                portable::round2Block<true>, portable::quotientsByReciprocal};
#if defined(__x86_64__)
    static constexpr LaneKernels avx2Kernels{avx2::flatRoundRow, avx2::round2Block<false>,
                                            avx2::round2Block<true>, avx2::quotientsByReciprocal};
    static constexpr LaneKernels avx512Kernels{avx512::flatRoundRow, avx512::round2Block<false>,
                                              avx512::round2Block<true>, avx512::quotientsByReciprocal};
    switch (lanes) {
    case LaneSet::Avx512:
        return avx512Kernels;
    case LaneSet::Avx2:
        return avx2Kernels;
    case LaneSet::Portable:
        break;
    }
#endif
    return portableKernels;
}

} // namespace

void flatRoundNormalsRow(const FlatRoundKernel& kernel, int y, int xBegin, int xEnd,
                         SurfaceNormal* normals, LaneSet lanes)
{
    laneKernels(lanes).flatRound(kernel, y, xBegin, xEnd, normals);
}

void round2NormalsBlock(const Round2Kernel& kernel, int yBegin, int yEnd, int xBegin, int xEnd,
                        SurfaceNormal* normals, LaneSet lanes, LengthQuotients quotients)
{
    const LaneKernels& kernels = laneKernels(lanes);
    (quotients == LengthQuotients::Products ? kernels.round2ByProducts : kernels.round2ByDivider)(
        kernel, yBegin, yEnd, xBegin, xEnd, normals);
}

void quotientsByReciprocal(LaneSet lanes, const float* numerators, float divisor, float* quotients,
                           size_t count)
{
    laneKernels(lanes).quotientsByReciprocal(numerators, divisor, 1.0 / static_cast<double>(divisor),
                                            quotients, count);
}
