#pragma once

#include <cstdint>
#include <vector>

namespace oru {

// What a lane of ScanRayLanes leaves: the candidate ends of its start among
// the points it scanned, ascending, and whether its wedge is still open with
// points after them; if so, the wedge (DirectionWedge's state in ray mode)
// and the next point to narrow it.
struct RayLane {
  std::vector<std::int64_t> ends;
  bool open = false;
  std::int64_t next = 0;
  bool constrained = false;
  double ex = 0.0, ey = 0.0;  // the first arc's centre
  double lo_x = 0.0, lo_y = 0.0, hi_x = 0.0, hi_y = 0.0;
};

// The ray wedges of up to kRayLanes consecutive start points, one start per
// vector lane (planar shortcuts, DirectionWedge in ray mode), as many at once
// as the processor's vector registers hold, over the next `steps` points of
// each: lanes[l] for start first + l, l < count (count <= kRayLanes,
// first + count < n).
//
// Lane by lane it takes the scalar wedge's steps with the same tolerance per
// point, so its lists are those of DirectionWedge narrowed point by point
// (where the scalar wedge takes an arc as lying inside the half-plane whole,
// the lanes test each boundary against the guard band instead, and may at
// most leave out a constraint there: a wider wedge, still listing every
// valid end). Every coordinate of the track must lie within the range of the
// planar bound (PlanarShortcuts).
//
// x, y: the track's coordinates, n points; tolerance: metres; relative and
// absolute slack as PlanarShortcuts adds them to each point's tolerance.
inline constexpr int kRayLanes = 8;
void ScanRayLanes(const double* x, const double* y, std::int64_t n, std::int64_t first, int count,
                  std::int64_t steps, double tolerance, double relative_slack,
                  double absolute_slack, RayLane* lanes);

// One compiled form of the scan: up to `width` starts at once, one per lane
// of a vector register of its instruction set. Every form lists the same
// ends (IEEE operations lane by lane, never contracted).
using RayLaneScan = void (*)(const double*, const double*, std::int64_t, std::int64_t, int,
                             std::int64_t, double, double, double, RayLane*);
struct RayLaneKernel {
  const char* name;  // the instruction set
  int width;         // starts per call
  RayLaneScan scan;
};
// The forms this processor runs, the widest last: ScanRayLanes takes that.
std::vector<RayLaneKernel> RayLaneKernels();
// ScanRayLanes by a given form, `width` starts at a time.
void ScanRayLanesWith(const RayLaneKernel& kernel, const double* x, const double* y,
                      std::int64_t n, std::int64_t first, int count, std::int64_t steps,
                      double tolerance, double relative_slack, double absolute_slack,
                      RayLane* lanes);

}  // namespace oru
