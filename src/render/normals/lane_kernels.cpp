// The row functions of the normal stages, built once per instruction set.
//
// The same kernel source (the .inc files) is compiled three times, each copy
// in its own namespace with its own lane count and under its own target
// pragma. Everything the kernels call from outside is included before the
// pragmas, so shared inline code keeps the baseline instruction set and only
// the kernels themselves use the wider registers. The caller picks the copy
// at run time (bestLaneSet by default).
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
#include "render/normals/kernel_radius.h"
#include "render/normals/flat_round.h"
#include "render/normals/round2.h"

namespace {

#if defined(__x86_64__)
#pragma GCC push_options
#pragma GCC target("avx512f")
namespace avx512 {
constexpr int L = 16;
#include "render/normals/lane_vectors.inc"
inline F sqrtLanes(F v)
{
    const __m512 m = reinterpret_cast<__m512>(v);
    return reinterpret_cast<F>(_mm512_mask_sqrt_ps(m, 0xffff, m));
}
#include "render/normals/flat_round_lanes.inc"
#include "render/normals/round2_lanes.inc"
} // namespace avx512
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
constexpr int L = 8;
#include "render/normals/lane_vectors.inc"
inline F sqrtLanes(F v)
{
    return reinterpret_cast<F>(_mm256_sqrt_ps(reinterpret_cast<__m256>(v)));
}
#include "render/normals/flat_round_lanes.inc"
#include "render/normals/round2_lanes.inc"
} // namespace avx2
#pragma GCC pop_options
#endif

namespace portable {
constexpr int L = 4;
#include "render/normals/lane_vectors.inc"
inline F sqrtLanes(F v)
{
    for (int i = 0; i < L; ++i)
        v[i] = static_cast<float>(std::sqrt(static_cast<double>(v[i])));
    return v;
}
#include "render/normals/flat_round_lanes.inc"
#include "render/normals/round2_lanes.inc"
} // namespace portable

} // namespace

void flatRoundNormalsRow(const FlatRoundKernel& kernel, const float* heights, int width,
    int height, int y, int xBegin, int xEnd, SurfaceNormal* normals, LaneSet lanes)
{
    switch (lanes) {
#if defined(__x86_64__)
    case LaneSet::Avx512:
        avx512::flatRoundRow(kernel, heights, width, height, y, xBegin, xEnd, normals);
        return;
    case LaneSet::Avx2:
        avx2::flatRoundRow(kernel, heights, width, height, y, xBegin, xEnd, normals);
        return;
#endif
    default:
        portable::flatRoundRow(kernel, heights, width, height, y, xBegin, xEnd, normals);
    }
}

void round2NormalsRow(const Round2Kernel& kernel, const float* heights, int width, int height,
                      int y, int xBegin, int xEnd, SurfaceNormal* normals, LaneSet lanes)
{
    switch (lanes) {
#if defined(__x86_64__)
    case LaneSet::Avx512:
        avx512::round2Row(kernel, heights, width, height, y, xBegin, xEnd, normals);
        return;
    case LaneSet::Avx2:
        avx2::round2Row(kernel, heights, width, height, y, xBegin, xEnd, normals);
        return;
#endif
    default:
        portable::round2Row(kernel, heights, width, height, y, xBegin, xEnd, normals);
    }
}
