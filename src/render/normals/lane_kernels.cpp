// The row and block functions of the normal stages, built once per
// instruction set.
//
// The same kernel source (the .inc files) is compiled three times, each copy
// in its own namespace with its own lane count and under its own target
// pragma. Everything the kernels call from outside is included before the
// pragmas, so shared inline code keeps the baseline instruction set and only
// the kernels themselves use the wider registers. The caller picks the copy
// at run time from one table (defaultLaneSet unless it names one).
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

// The row and block functions of one instruction set.
struct LaneKernels {
    void (*flatRound)(const FlatRoundKernel&, int y, int xBegin, int xEnd, SurfaceNormal* normals);
    void (*round2ByDivider)(const Round2Kernel&, int yBegin, int yEnd, int xBegin, int xEnd,
                            SurfaceNormal* normals);
    void (*round2ByProducts)(const Round2Kernel&, int yBegin, int yEnd, int xBegin, int xEnd,
                             SurfaceNormal* normals);
    void (*quotientsByReciprocal)(const float* a, float b, double reciprocal, float* q, size_t count);
};

#if defined(__x86_64__)
#pragma GCC push_options
#pragma GCC target("avx512f")
namespace avx512 {
#define ORMOLO_LANE_COUNT 16
#include "render/normals/lane_kernel_set.inc"
} // namespace avx512
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
#define ORMOLO_LANE_COUNT 8
#include "render/normals/lane_kernel_set.inc"
} // namespace avx2
#pragma GCC pop_options
#endif

namespace portable {
#define ORMOLO_LANE_COUNT 4
#include "render/normals/lane_kernel_set.inc"
} // namespace portable

// Every copy this build has; a set without one runs the portable copy.
constexpr struct {
    LaneSet set;
    const LaneKernels& kernels;
} everyCopy[] = {
#if defined(__x86_64__)
    {LaneSet::Avx512, avx512::kernels},
    {LaneSet::Avx2, avx2::kernels},
#endif
    {LaneSet::Portable, portable::kernels},
};

const LaneKernels& laneKernels(LaneSet lanes)
{
    for (const auto& copy : everyCopy)
        if (copy.set == lanes)
            return copy.kernels;
    return portable::kernels;
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
