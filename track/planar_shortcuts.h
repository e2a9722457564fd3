#pragma once

#include <cstdint>
#include <vector>

#include "track/direction_wedge.h"
#include "track/planar_segment_measure.h"
#include "track/shortcut_oracle.h"

namespace oru {

// Shortcuts of a track in plane metres. The ends a shortcut from A may reach
// come from a wedge of ray directions (DirectionWedge); weights are
// PlanarSegmentMeasure::FarthestPoint's, which is PlanarDeviation's exact
// maximum, measured only where the bounds of the points' cheap scores
// (PlanarSegmentMeasure::BoundLargest) leave the answer open.
//
// Why the wedge only drops shortcuts that are certainly invalid. For
// coordinates within 2^200 in magnitude (and not NaN), let rho be the
// distance of P from the ray from A through B and u = 2^-53. Then
//     PlanarDeviation(A, B, P) >= rho - 2^-46 |P - A| - 2^-530.
// Where PlanarDeviation takes the distance from the line (both of its
// rounded dot-product tests pass) that distance is within 6e-15 |P - A| +
// 2^-536 of the true one (the derivation in planar_segment_measure.cpp,
// step 2), and the rounded test at A passing puts the true angle at A within
// 3.1u of a right angle or below it, where rho exceeds the line's distance by
// a factor 1 + O(u^2) at most. Elsewhere it takes min(|P - A|, |P - B|)
// within 3u, and both are at least rho: |P - A| >= rho always, and
// |P - B| >= the distance from the segment >= rho.
// Each point P constrains the wedge with tolerance
//     t = d + 2^-40 (|P1 - A1| + |P2 - A2|) + 2^-500,
// more than the wedge's own rounding (2^-48 |P - A|) plus the slack above:
// a direction that the wedge rejects, or any direction once the wedge is
// empty, has some P with rho > d + 2^-41 |P - A| + 2^-501, hence a
// deviation above d. Points and ends outside that range of coordinates never
// constrain and are always listed.
class PlanarShortcuts final : public ShortcutOracle {
 public:
  explicit PlanarShortcuts(PlanarSegmentMeasure& measure);

  SegmentMeasure& Measure() override { return measure_; }
  void Candidates(std::int64_t i, double tolerance, std::vector<std::int64_t>& ends) const override;
  // Several starts at once in vector lanes (ScanRayLanes) when every point
  // lies within the bound's range.
  void CandidatesOfBlock(std::int64_t first, int count, double tolerance,
                         std::vector<std::int64_t>* ends) const override;
  WeightAnswer Weight(std::int64_t i, std::int64_t j, double low, double high) override;

 private:
  bool Tame(std::int64_t i) const;

  PlanarSegmentMeasure& measure_;
  std::vector<std::int64_t> wild_;  // points outside the range of the bound, ascending
};

}  // namespace oru
