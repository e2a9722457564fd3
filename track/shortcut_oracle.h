#pragma once

#include <cstdint>
#include <vector>

#include "track/segment_measure.h"

namespace oru {

// Where the largest deviation w of a shortcut lies against two limits
// low <= high: at most low, above high, or exactly `value` between them.
struct WeightAnswer {
  enum class Kind { kAtMost, kAbove, kExactly };
  Kind kind = Kind::kAtMost;
  double value = 0.0;  // metres, for kExactly
};

// What the optimal selection asks of a measure set. A shortcut from point i
// to point j (store indexes, i < j) leaves out the points strictly between
// them; its weight w(i, j) is the largest deviation of those points from the
// segment i-j, exactly as the measure set's FarthestPoint finds it (NaN
// deviations never count; 0.0 when no point deviates by more than 0.0, and
// for j = i + 1). A shortcut is valid for a tolerance d when w(i, j) <= d.
class ShortcutOracle {
 public:
  virtual ~ShortcutOracle() = default;

  // The measure set whose deviations decide.
  virtual SegmentMeasure& Measure() = 0;

  // Writes to `ends`, ascending, every j > i for which the shortcut i-j may
  // be valid for `tolerance` (metres, >= 0): a fast filter that leaves out
  // only shortcuts that are certainly invalid, also for every later j it
  // does not list. i + 1 is always listed. Two threads may call it at once
  // (Weight only one).
  virtual void Candidates(std::int64_t i, double tolerance,
                          std::vector<std::int64_t>& ends) const = 0;

  // The candidates of the starts first, ..., first + count - 1 (count at most
  // kBlockStarts, first + count < n) into ends[0], ..., ends[count - 1]: what
  // Candidates guarantees for each, found for several starts at once where a
  // set can (the lists may then hold more ends than Candidates').
  static constexpr int kBlockStarts = 8;
  virtual void CandidatesOfBlock(std::int64_t first, int count, double tolerance,
                                 std::vector<std::int64_t>* ends) const {
    for (int l = 0; l < count; ++l) Candidates(first + l, tolerance, ends[l]);
  }

  // Where w(i, j) lies against low <= high (metres), measuring exactly only
  // as much as that answer needs.
  virtual WeightAnswer Weight(std::int64_t i, std::int64_t j, double low, double high) = 0;
};

// The answer for a known weight w.
inline WeightAnswer Classify(double w, double low, double high) {
  if (w <= low) return {WeightAnswer::Kind::kAtMost, 0.0};
  if (w > high) return {WeightAnswer::Kind::kAbove, 0.0};
  return {WeightAnswer::Kind::kExactly, w};
}

}  // namespace oru
