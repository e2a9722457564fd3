#pragma once

#include <cstdint>
#include <vector>

namespace oru {

// The ray wedges of up to kRayLanes consecutive start points at once, one
// start per vector lane (planar shortcuts, DirectionWedge in ray mode):
// writes the candidate ends of start first + l to ends[l], ascending, for
// l < count (count <= kRayLanes, first + count < n).
//
// Lane by lane it takes the scalar wedge's steps with the same tolerance per
// point, so its lists are PlanarShortcuts::Candidates' (where the scalar
// wedge takes an arc as lying inside the half-plane whole, the lanes test
// each boundary against the guard band instead, and may at most leave out a
// constraint there: a wider wedge, still listing every valid end). Every
// coordinate of the track must lie within the range of the planar bound
// (PlanarShortcuts).
//
// x, y: the track's coordinates, n points; tolerance: metres; relative and
// absolute slack as PlanarShortcuts adds them to each point's tolerance.
inline constexpr int kRayLanes = 8;
void ScanRayLanes(const double* x, const double* y, std::int64_t n, std::int64_t first, int count,
                  double tolerance, double relative_slack, double absolute_slack,
                  std::vector<std::int64_t>* ends);

}  // namespace oru
