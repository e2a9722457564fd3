#include "track/selection_record.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "track/resumable_selection.h"

namespace oru {

SelectionRecord::SelectionRecord(std::int64_t n, double full_length)
    : n_(n), full_length_(full_length), rank_(static_cast<std::size_t>(n), kNotReached) {
  if (n > 0) rank_.front() = rank_.back() = 0;
}

void SelectionRecord::Append(const Addition& a) {
  additions_.push_back(a);
  rank_[static_cast<std::size_t>(a.point)] = Iterations();
  const double lowest =
      stop_within_.empty() ? std::numeric_limits<double>::infinity() : stop_within_.back();
  stop_within_.push_back(std::min(lowest, std::max(a.deviation, a.largest_deviation)));
}

SelectionRecord RecordSelection(std::vector<double> first, std::vector<double> second,
                                const SelectionSettings& settings, SelectionObserver* observer,
                                std::int64_t last_count) {
  ResumableSelection selection(std::move(first), std::move(second), settings, observer);
  last_count = std::min(std::max<std::int64_t>(last_count, 3), selection.n());
  selection.Select(settings.threshold, std::min(settings.wanted_count, last_count), observer);
  // No point deviates by less than -infinity, so the tolerance never stops
  // the rest of the record.
  StopOnly quiet(observer);
  selection.Select(-std::numeric_limits<double>::infinity(), last_count, &quiet);
  return std::move(selection).Record();
}

std::optional<std::int64_t> SelectionRecord::StopIteration(double threshold,
                                                           std::int64_t wanted_count) const {
  if (n_ <= 2) return 0;
  // The first iteration whose running minimum is within the threshold; a
  // NaN threshold stops at the first iteration, as in the engine, where
  // "not beyond NaN" holds for every deviation.
  const auto within = std::partition_point(stop_within_.begin(), stop_within_.end(),
                                           [&](double s) { return s > threshold; });
  std::int64_t k = within == stop_within_.end()
                       ? std::numeric_limits<std::int64_t>::max()
                       : static_cast<std::int64_t>(within - stop_within_.begin()) + 1;
  // count = k + 2 reaches the wanted count or every point; at least one
  // iteration is always run.
  k = std::min(k, std::max<std::int64_t>(wanted_count, 3) - 2);
  k = std::min(k, n_ - 2);
  if (k > Iterations()) return std::nullopt;
  return k;
}

std::vector<std::int64_t> SelectionRecord::KeptAfter(std::int64_t k) const {
  std::vector<std::int64_t> kept;
  if (n_ <= 2) {
    for (std::int64_t i = 0; i < n_; ++i) kept.push_back(i);
    return kept;
  }
  kept.reserve(static_cast<std::size_t>(k) + 2);
  // A short prefix is sorted; a long one is read off the ranks in one pass.
  if (k < n_ / 16) {
    kept.push_back(0);
    for (std::int64_t i = 0; i < k; ++i) kept.push_back(additions_[static_cast<std::size_t>(i)].point);
    kept.push_back(n_ - 1);
    std::sort(kept.begin() + 1, kept.end() - 1);
    return kept;
  }
  for (std::int64_t i = 0; i < n_; ++i) {
    if (rank_[static_cast<std::size_t>(i)] <= k) kept.push_back(i);
  }
  return kept;
}

SelectionResult SelectionRecord::ResultAfter(std::int64_t k) const {
  SelectionResult result;
  std::vector<std::int64_t> kept = KeptAfter(k);
  result.statistics.n = n_;
  result.statistics.count = static_cast<std::int64_t>(kept.size());
  result.statistics.full_length = full_length_;
  // The store indexes become the point numbers, in place.
  auto numbers = [&] {
    for (std::int64_t& i : kept) ++i;
    result.selected = std::move(kept);
  };
  if (n_ <= 2) {
    result.statistics.new_length = full_length_;
    numbers();
    return result;
  }
  const Addition& added = additions_[static_cast<std::size_t>(k - 1)];
  result.max_deviation = added.largest_deviation;
  result.statistics.largest_deviation = added.largest_deviation;
  result.statistics.last_selected = added.point + 1;
  result.statistics.added_deviation = added.deviation;

  // Each segment's length is the one measured when the segment was made: by
  // the addition of whichever end came later, as that point's new segment
  // towards the other end (the first segment, between the ends, before any
  // addition). Summed in point order from 0.0, as the engine sums them.
  double length = 0.0;
  for (std::size_t j = 0; j + 1 < kept.size(); ++j) {
    const std::int64_t ra = rank_[static_cast<std::size_t>(kept[j])];
    const std::int64_t rb = rank_[static_cast<std::size_t>(kept[j + 1])];
    if (ra == rb) {
      length += additions_.front().split_length;
    } else if (rb > ra) {
      length += additions_[static_cast<std::size_t>(rb - 1)].left_length;
    } else {
      length += additions_[static_cast<std::size_t>(ra - 1)].right_length;
    }
  }
  result.statistics.new_length = length;
  numbers();
  return result;
}

std::optional<SelectionResult> SelectionRecord::Read(const SelectionSettings& settings) const {
  const std::optional<std::int64_t> k = StopIteration(settings.threshold, settings.wanted_count);
  if (!k) return std::nullopt;
  return ResultAfter(*k);
}

std::vector<CurvePoint> SelectionRecord::Curve() const {
  std::vector<CurvePoint> curve;
  if (n_ <= 2) {
    curve.push_back({n_, 0.0, full_length_});
    return curve;
  }
  curve.reserve(additions_.size() + 1);
  // With the two ends only, the largest deviation is that of the first
  // point added (which the engine reports as 0 for a track of three points,
  // where that point is also the last one left).
  double length = additions_.front().split_length;
  curve.push_back({2, additions_.front().deviation, length});
  for (std::size_t k = 0; k < additions_.size(); ++k) {
    const Addition& a = additions_[k];
    length += a.left_length + a.right_length - a.split_length;
    curve.push_back({static_cast<std::int64_t>(k) + 3, a.largest_deviation, length});
  }
  return curve;
}

}  // namespace oru
