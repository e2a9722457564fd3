#include "track/planar_shortcuts.h"

#include <algorithm>
#include <cmath>

#include "track/ray_lanes.h"

namespace oru {
namespace {

constexpr double kTameLimit = 0x1p+200;  // metres
constexpr double kRelativeSlack = 0x1p-40;
constexpr double kAbsoluteSlack = 0x1p-500;  // metres

}  // namespace

PlanarShortcuts::PlanarShortcuts(PlanarSegmentMeasure& measure) : measure_(measure) {
  const auto n = static_cast<std::int64_t>(measure_.First().size());
  for (std::int64_t i = 0; i < n; ++i) {
    if (!Tame(i)) wild_.push_back(i);
  }
}

bool PlanarShortcuts::Tame(std::int64_t i) const {
  const auto k = static_cast<std::size_t>(i);
  return std::fabs(measure_.First()[k]) <= kTameLimit &&
         std::fabs(measure_.Second()[k]) <= kTameLimit;  // false for NaN
}

void PlanarShortcuts::Candidates(std::int64_t i, double tolerance,
                                 std::vector<std::int64_t>& ends) const {
  const std::vector<double>& x = measure_.First();
  const std::vector<double>& y = measure_.Second();
  const auto n = static_cast<std::int64_t>(x.size());
  ends.clear();
  if (i + 1 >= n) return;
  ends.push_back(i + 1);
  std::int64_t k = i + 1;
  if (Tame(i)) {
    const double xi = x[static_cast<std::size_t>(i)];
    const double yi = y[static_cast<std::size_t>(i)];
    DirectionWedge wedge;  // a local, so that it stays in registers
    for (; k < n; ++k) {
      const double vx = x[static_cast<std::size_t>(k)] - xi;
      const double vy = y[static_cast<std::size_t>(k)] - yi;
      const bool tame = Tame(k);
      if (k > i + 1) {
        if (wedge.Empty()) break;
        if (!tame || wedge.MayContain(vx, vy)) ends.push_back(k);
      }
      if (tame) {
        const double t =
            tolerance + kRelativeSlack * (std::fabs(vx) + std::fabs(vy)) + kAbsoluteSlack;
        wedge.Constrain(vx, vy, t);
      }
    }
    // Beyond an empty wedge only ends outside the bound's range may be valid.
    for (auto w = std::upper_bound(wild_.begin(), wild_.end(), k - 1); w != wild_.end(); ++w) {
      if (*w > i + 1) ends.push_back(*w);
    }
    return;
  }
  for (k = i + 2; k < n; ++k) ends.push_back(k);
}

void PlanarShortcuts::CandidatesOfBlock(std::int64_t first, int count, double tolerance,
                                        std::vector<std::int64_t>* ends) const {
  if (!wild_.empty()) {
    ShortcutOracle::CandidatesOfBlock(first, count, tolerance, ends);
    return;
  }
  static_assert(kRayLanes == kBlockStarts);
  ScanRayLanes(measure_.First().data(), measure_.Second().data(),
               static_cast<std::int64_t>(measure_.First().size()), first, count, tolerance,
               kRelativeSlack, kAbsoluteSlack, ends);
}

WeightAnswer PlanarShortcuts::Weight(std::int64_t i, std::int64_t j, double low, double high) {
  if (j - i < 2) return Classify(0.0, low, high);
  // Mostly the scores alone settle it; else the exact maximum.
  const PlanarSegmentMeasure::Bounds bounds = measure_.BoundLargest(i, j);
  if (bounds.upper <= low) return {WeightAnswer::Kind::kAtMost, 0.0};
  if (bounds.lower > high) return {WeightAnswer::Kind::kAbove, 0.0};
  return Classify(measure_.FarthestPoint(i, j).deviation, low, high);
}

}  // namespace oru
