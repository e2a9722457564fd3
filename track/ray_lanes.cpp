#include "track/ray_lanes.h"

#include <cmath>
#include <cstring>
#include <type_traits>

namespace oru {
namespace {

typedef double Lanes __attribute__((vector_size(8 * kRayLanes)));
// The type of a comparison of two Lanes (64-bit integers of the target's
// own kind): any other would cost a conversion lane by lane.
using Mask = decltype(Lanes{} < Lanes{});
using MaskLane = std::remove_reference_t<decltype(Mask{}[0])>;

// The same guards as DirectionWedge's.
constexpr double kWidest = 1.0 + 0x1p-20;
constexpr double kEdgeGuard = 0x1p-40;
constexpr MaskLane kNoSign = 0x7fffffffffffffffLL;
// Shuffles that bring the upper half, quarter and eighth of the lanes down
// (__builtin_shufflevector: GCC 12 and later, and clang).
#define ORU_HALF(v) __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3)
#define ORU_QUARTER(v) __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5)
#define ORU_EIGHTH(v) __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6)

// GCC lowers a vector type to the registers of the function that it is
// written in: a body inlined into, or cloned for, a wider instruction set is
// lowered for the base set first, lane by lane. So the kernel's body is
// included into one function per set, each carrying its target itself.
#define ORU_RAY_LANES_TARGET
#define ORU_RAY_LANES_FUNCTION ScanLanesBase
#include "track/ray_lanes_kernel.inc"
#undef ORU_RAY_LANES_TARGET
#undef ORU_RAY_LANES_FUNCTION

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORU_HAVE_WIDE_RAY_LANES 1
#define ORU_RAY_LANES_TARGET [[gnu::target("arch=x86-64-v3")]]
#define ORU_RAY_LANES_FUNCTION ScanLanesAvx2
#include "track/ray_lanes_kernel.inc"
#undef ORU_RAY_LANES_TARGET
#undef ORU_RAY_LANES_FUNCTION
#define ORU_RAY_LANES_TARGET [[gnu::target("arch=x86-64-v4")]]
#define ORU_RAY_LANES_FUNCTION ScanLanesAvx512
#include "track/ray_lanes_kernel.inc"
#undef ORU_RAY_LANES_TARGET
#undef ORU_RAY_LANES_FUNCTION
#endif

using Kernel = void (*)(const double*, const double*, std::int64_t, std::int64_t, int, std::int64_t,
                        double, double, double, RayLane*);

// The widest instruction set the processor has.
Kernel Chosen() {
#ifdef ORU_HAVE_WIDE_RAY_LANES
  // The features that define the levels x86-64-v4 and -v3 (by name: GCC
  // knows the level names, clang 14 only the features).
  __builtin_cpu_init();
  const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                  __builtin_cpu_supports("bmi2");
  if (v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")) {
    return ScanLanesAvx512;
  }
  if (v3) return ScanLanesAvx2;
#endif
  return ScanLanesBase;
}

}  // namespace

void ScanRayLanes(const double* x, const double* y, std::int64_t n, std::int64_t first, int count,
                  std::int64_t steps, double tolerance, double relative_slack,
                  double absolute_slack, RayLane* lanes) {
  static const Kernel kernel = Chosen();
  kernel(x, y, n, first, count, steps, tolerance, relative_slack, absolute_slack, lanes);
}

}  // namespace oru
