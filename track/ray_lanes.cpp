#include "track/ray_lanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace oru {
namespace {

// The same guards as DirectionWedge's.
constexpr double kWidest = 1.0 + 0x1p-20;
constexpr double kEdgeGuard = 0x1p-40;

// GCC lowers a vector type to the registers of the function that it is
// written in: a body inlined into, or cloned for, a wider instruction set is
// lowered for the base set first, lane by lane. So the kernel's body is
// included into one function per set, each carrying its target itself.
// The folds combine the lanes by halving shuffles, in registers (reading
// them one by one would pass them through memory, at a stall each time;
// __builtin_shufflevector: GCC 12 and later, and clang).
#define ORU_RAY_LANES_TARGET
#define ORU_RAY_LANES_FUNCTION ScanLanesBase
#define ORU_RAY_LANES_WIDTH 2
#define ORU_FOLD(v, op) v op##= __builtin_shufflevector(v, v, 1, 0)
#include "track/ray_lanes_kernel.inc"
#undef ORU_RAY_LANES_TARGET
#undef ORU_RAY_LANES_FUNCTION
#undef ORU_RAY_LANES_WIDTH
#undef ORU_FOLD

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORU_HAVE_WIDE_RAY_LANES 1
#define ORU_RAY_LANES_TARGET [[gnu::target("arch=x86-64-v3")]]
#define ORU_RAY_LANES_FUNCTION ScanLanesAvx2
#define ORU_RAY_LANES_WIDTH 4
#define ORU_FOLD(v, op)                             \
  v op##= __builtin_shufflevector(v, v, 2, 3, 0, 1); \
  v op##= __builtin_shufflevector(v, v, 1, 0, 3, 2)
#include "track/ray_lanes_kernel.inc"
#undef ORU_RAY_LANES_TARGET
#undef ORU_RAY_LANES_FUNCTION
#undef ORU_RAY_LANES_WIDTH
#undef ORU_FOLD
#define ORU_RAY_LANES_TARGET [[gnu::target("arch=x86-64-v4")]]
#define ORU_RAY_LANES_FUNCTION ScanLanesAvx512
#define ORU_RAY_LANES_WIDTH 8
#define ORU_FOLD(v, op)                                         \
  v op##= __builtin_shufflevector(v, v, 4, 5, 6, 7, 0, 1, 2, 3); \
  v op##= __builtin_shufflevector(v, v, 2, 3, 0, 1, 6, 7, 4, 5); \
  v op##= __builtin_shufflevector(v, v, 1, 0, 3, 2, 5, 4, 7, 6)
#include "track/ray_lanes_kernel.inc"
#undef ORU_RAY_LANES_TARGET
#undef ORU_RAY_LANES_FUNCTION
#undef ORU_RAY_LANES_WIDTH
#undef ORU_FOLD
#endif

}  // namespace

std::vector<RayLaneKernel> RayLaneKernels() {
  std::vector<RayLaneKernel> kernels{{"the build's own target", 2, ScanLanesBase}};
#ifdef ORU_HAVE_WIDE_RAY_LANES
  // The features that define the levels x86-64-v4 and -v3 (by name: GCC
  // knows the level names, clang 14 only the features).
  __builtin_cpu_init();
  const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                  __builtin_cpu_supports("bmi2");
  if (v3) kernels.push_back({"x86-64-v3", 4, ScanLanesAvx2});
  if (v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")) {
    kernels.push_back({"x86-64-v4", 8, ScanLanesAvx512});
  }
#endif
  return kernels;
}

void ScanRayLanesWith(const RayLaneKernel& kernel, const double* x, const double* y,
                      std::int64_t n, std::int64_t first, int count, std::int64_t steps,
                      double tolerance, double relative_slack, double absolute_slack,
                      RayLane* lanes) {
  for (int group = 0; group < count; group += kernel.width) {
    kernel.scan(x, y, n, first + group, std::min(kernel.width, count - group), steps, tolerance,
                relative_slack, absolute_slack, lanes + group);
  }
}

void ScanRayLanes(const double* x, const double* y, std::int64_t n, std::int64_t first, int count,
                  std::int64_t steps, double tolerance, double relative_slack,
                  double absolute_slack, RayLane* lanes) {
  static const RayLaneKernel kernel = RayLaneKernels().back();  // the widest
  ScanRayLanesWith(kernel, x, y, n, first, count, steps, tolerance, relative_slack,
                   absolute_slack, lanes);
}

}  // namespace oru
