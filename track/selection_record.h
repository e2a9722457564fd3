#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "track/selection_engine.h"

namespace oru {

// One point of the curve of deviation against points: the figures after the
// selection has kept `count` points.
struct CurvePoint {
  std::int64_t count = 0;
  double largest_deviation = 0.0;  // metres
  double new_length = 0.0;         // metres
};

// A Douglas-Peucker selection run once, up to a count, and kept: the order
// in which the points were added and the figures after each addition.
// The selection adds points in one fixed order whatever the tolerance or
// the wanted count, so the selection of any run that stops within the
// recorded iterations is a prefix of that order, and it is read from here
// without selecting again.
//
// Iteration k (1-based) is the k-th addition; after it the selection holds
// k + 2 points.
class SelectionRecord {
 public:
  SelectionRecord() = default;

  std::int64_t n() const { return n_; }
  std::int64_t Iterations() const { return static_cast<std::int64_t>(additions_.size()); }
  // True when the record reaches the end of the selection (every point).
  bool Complete() const { return n_ <= 2 || Iterations() == n_ - 2; }
  double FullLength() const { return full_length_; }

  // The iteration at which a selection with `threshold` (metres) and
  // `wanted_count` stops, by the engine's stop rules: the first iteration at
  // which the point just added lay within the threshold and no remaining
  // point lies farther, or the one that reaches the wanted count or every
  // point. 0 for a track of one or two points (kept whole); nothing when the
  // record ends before that iteration.
  std::optional<std::int64_t> StopIteration(double threshold, std::int64_t wanted_count) const;

  // The selection and figures after iteration k (1 <= k <= Iterations(), or
  // 0 for a track of one or two points): the points are those of the first
  // k additions and the two ends, the figures those the engine reports,
  // the new length summed as the engine sums it, to the last bit.
  SelectionResult ResultAfter(std::int64_t k) const;

  // The result of SelectPoints with these settings' threshold and wanted
  // count (the Douglas-Peucker method; no quality figures), or nothing when
  // the record ends too soon.
  std::optional<SelectionResult> Read(const SelectionSettings& settings) const;

  // 0-based store indexes of the points kept after iteration k, ascending.
  std::vector<std::int64_t> KeptAfter(std::int64_t k) const;

  // The curve: one point per count from 2 (the two ends) to the last
  // recorded count. The lengths are the engine's lengths updated by each
  // split, which can differ from the summed figure of ResultAfter in the
  // last bits.
  std::vector<CurvePoint> Curve() const;

  // Iteration at which each point was added (1-based), 0 for the two ends
  // and kNotReached for points the record does not reach; by store index.
  static constexpr std::int64_t kNotReached = INT64_MAX;
  const std::vector<std::int64_t>& Ranks() const { return rank_; }
  const std::vector<Addition>& Additions() const { return additions_; }

 private:
  friend class ResumableSelection;
  // An empty record of a track of n points and its length (metres).
  SelectionRecord(std::int64_t n, double full_length);
  // The next addition of the selection.
  void Append(const Addition& addition);

  std::int64_t n_ = 0;
  double full_length_ = 0.0;  // metres
  std::vector<Addition> additions_;
  std::vector<std::int64_t> rank_;
  // The smallest threshold at which the selection would stop at each
  // iteration, max(added deviation, largest deviation left), made
  // non-increasing by a running minimum: the first iteration whose entry
  // is within a threshold is where the selection by that threshold stops.
  std::vector<double> stop_within_;
};

// Runs the Douglas-Peucker selection over the track (as SelectPoints does,
// with the same measure set for settings.calculation and datum) until it
// holds `last_count` points or every point, whatever the method, and
// records it. The observer sees the selection that `settings` asks for
// (its threshold and wanted count, up to `last_count` points) as
// SelectPoints shows it, and no figures beyond where that selection stops;
// it is still asked whether to stop.
SelectionRecord RecordSelection(std::vector<double> first, std::vector<double> second,
                                const SelectionSettings& settings, SelectionObserver* observer,
                                std::int64_t last_count = INT64_MAX);

}  // namespace oru
