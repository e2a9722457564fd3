#pragma once

#include <cstdint>
#include <vector>

namespace oru {

// The ray wedges of up to kRayLanes consecutive start points at once, one
// start per vector lane (planar shortcuts, DirectionWedge in ray mode):
// writes the candidate ends of start first + l to ends[l], ascending, for
// l < count (count <= kRayLanes, first + count < n).
//
// Lane by lane it takes the same steps as the scalar wedge, with the same
// tolerance per point, so its lists are those of PlanarShortcuts::Candidates.
// Every coordinate of the track must lie within the range of the planar
// bound (PlanarShortcuts).
//
// x, y: the track's coordinates, n points; tolerance: metres; relative and
// absolute slack as PlanarShortcuts adds them to each point's tolerance.
inline constexpr int kRayLanes = 8;
void ScanRayLanes(const double* x, const double* y, std::int64_t n, std::int64_t first, int count,
                  double tolerance, double relative_slack, double absolute_slack,
                  std::vector<std::int64_t>* ends);

}  // namespace oru
