#pragma once

#include <cstdint>
#include <vector>

#include "track/run_settings.h"
#include "track/shortcut_oracle.h"
#include "track/statistics.h"

namespace oru::testing {

// The weight of every shortcut of a track, by brute force, for tests only:
// w(i, j) is the largest deviation above 0.0 (0.0 when none; NaN never
// counts) of the points strictly between store indexes i < j from the
// segment i-j, every one measured with PlanarDeviation (after
// ProjectTrackToPlane for "planar" on a geographic track) or
// EllipsoidalDeviation.
class ShortcutWeights {
 public:
  ShortcutWeights(std::vector<double> first, std::vector<double> second,
                  const SelectionSettings& settings);
  std::int64_t Size() const { return n_; }
  double operator()(std::int64_t i, std::int64_t j) const {
    return w_[static_cast<std::size_t>(i * n_ + j)];
  }
  // Length of the whole track, and of the segment i-j, as the measure sets
  // give them (metres).
  double TrackLength() const { return track_length_; }
  double SegmentLength(std::int64_t i, std::int64_t j) const;

 private:
  std::int64_t n_;
  std::vector<double> first_, second_;
  SelectionSettings settings_;
  std::vector<double> w_;  // n x n, row i
  double track_length_ = 0.0;
};

struct OptimalReference {
  std::vector<std::int64_t> selected;  // 1-based point numbers
  SelectionStatistics statistics;      // as the optimal selection reports them
};

// "Maximum deviation" d >= 0: the fewest points whose route keeps every
// point within d; among them the lightest (smallest largest deviation);
// among those the lexicographically lowest point numbers. Found by dynamic
// programming over (point, shortcuts taken) on all weights.
OptimalReference ReferenceByDeviation(const ShortcutWeights& w, double d);

// "Number of points" N (below 2 counts as 2): the lightest route with at
// most N points; among those the fewest points, then the lexicographically
// lowest point numbers.
OptimalReference ReferenceByCount(const ShortcutWeights& w, std::int64_t wanted);

// The fewest hops from every point to the last and the lightest weight of
// such a route, by a plain search over every shortcut, weighed by the
// shortcuts' own Weight for tolerance d.
struct PlainRoutes {
  std::vector<std::int64_t> hops;
  std::vector<double> worst;  // metres
};
PlainRoutes PlainLabels(ShortcutOracle& shortcuts, std::int64_t n, double d);

}  // namespace oru::testing
