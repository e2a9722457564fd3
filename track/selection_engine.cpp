#include "track/selection_engine.h"

#include <bit>
#include <memory>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <utility>

#include "track/ellipsoidal_segment_measure.h"
#include "track/ellipsoidal_shortcuts.h"
#include "track/optimal_selection.h"
#include "track/planar_projection.h"
#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/segment_measure.h"
#include "track/segment_queue.h"

namespace oru {
namespace {

// The simplified line: which points are selected (one bit each, so that the
// selected points are walked in ascending order through a small sequential
// array) and the length of the segment that begins at each selected point.
class SimplifiedLine {
 public:
  SimplifiedLine(const SegmentMeasure& measure, std::int64_t n)
      : measure_(measure),
        selected_((static_cast<std::size_t>(n) + 63) / 64, 0),
        // Written at a selected point before it is read; pages of points
        // that are never selected are never touched.
        length_from_(std::make_unique_for_overwrite<double[]>(static_cast<std::size_t>(n))),
        last_(n - 1) {
    Mark(0);
    Mark(last_);
    length_from_[0] = measure_.SegmentLength(0, last_);
  }

  // Splits the segment start-end at point p.
  void Split(std::int64_t start, std::int64_t end, std::int64_t p) {
    Mark(p);
    last_split_ = {start, p, length_from_[static_cast<std::size_t>(start)]};
    length_from_[static_cast<std::size_t>(start)] = measure_.SegmentLength(start, p);
    length_from_[static_cast<std::size_t>(p)] = measure_.SegmentLength(p, end);
  }

  // The lengths of the last split: the segment it replaced and the two new ones.
  void LastSplitLengths(Addition& addition) const {
    addition.split_length = last_split_.old_length;
    addition.left_length = length_from_[static_cast<std::size_t>(last_split_.start)];
    addition.right_length = length_from_[static_cast<std::size_t>(last_split_.point)];
  }

  // The segment lengths summed from the first point on, from 0.0: the same
  // additions, in the same order, as the length of the polyline through the
  // selected points.
  double Length() const {
    double length = 0.0;
    ForEachSelected([&](std::int64_t i) {
      if (i != last_) length += length_from_[static_cast<std::size_t>(i)];
    });
    return length;
  }

  // The length as it was before the last split: the same sum without the
  // point added last, and with the length of the segment that it split.
  double LengthBeforeLastSplit() const {
    double length = 0.0;
    ForEachSelected([&](std::int64_t i) {
      if (i == last_ || i == last_split_.point) return;
      length += i == last_split_.start ? last_split_.old_length
                                       : length_from_[static_cast<std::size_t>(i)];
    });
    return length;
  }

  // A hint that point p is likely to be marked and the segments that begin
  // at start and at p to be written next.
  void Prefetch(std::int64_t start, std::int64_t p) const {
    __builtin_prefetch(selected_.data() + static_cast<std::size_t>(p) / 64, 1);
    __builtin_prefetch(length_from_.get() + start, 1);
    __builtin_prefetch(length_from_.get() + p, 1);
  }

  // Selected point numbers (1-based), ascending.
  std::vector<std::int64_t> PointNumbers(std::int64_t count) const {
    std::vector<std::int64_t> numbers;
    numbers.reserve(static_cast<std::size_t>(count));
    ForEachSelected([&](std::int64_t i) { numbers.push_back(i + 1); });
    return numbers;
  }

 private:
  void Mark(std::int64_t i) {
    selected_[static_cast<std::size_t>(i) / 64] |= std::uint64_t{1} << (i % 64);
  }

  template <typename Visit>
  void ForEachSelected(Visit visit) const {
    for (std::size_t word = 0; word < selected_.size(); ++word) {
      for (std::uint64_t bits = selected_[word]; bits != 0; bits &= bits - 1) {
        visit(static_cast<std::int64_t>(word * 64) + std::countr_zero(bits));
      }
    }
  }

  struct LastSplit {
    std::int64_t start = -1;
    std::int64_t point = -1;
    double old_length = 0.0;
  };

  const SegmentMeasure& measure_;
  LastSplit last_split_;
  std::vector<std::uint64_t> selected_;
  std::unique_ptr<double[]> length_from_;
  std::int64_t last_;
};

DeviationQuality Quality(SegmentMeasure& measure, const std::vector<std::int64_t>& point_numbers) {
  std::vector<std::int64_t> selected(point_numbers.size());
  for (std::size_t k = 0; k < selected.size(); ++k) selected[k] = point_numbers[k] - 1;
  return SummariseDeviations(measure.LineDeviations(selected));
}

SelectionResult SelectWhole(SegmentMeasure& measure, std::int64_t n,
                            const SelectionSettings& settings) {
  SelectionResult result;
  for (std::int64_t k = 1; k <= n; ++k) result.selected.push_back(k);
  result.statistics.n = n;
  result.statistics.count = n;
  result.statistics.full_length = measure.TrackLength();
  result.statistics.new_length = result.statistics.full_length;
  if (settings.quality_figures) result.quality = DeviationQuality{};
  return result;
}

// The iteration: take the top segment's farthest point, split the segment,
// find the farthest points of the two new segments. A segment's farthest
// point never changes until the segment is split, so each iteration measures
// only the points of the segment it splits.
SelectionResult Select(SegmentMeasure& measure, std::int64_t n, const SelectionSettings& settings,
                       SelectionObserver* observer, AdditionSink* additions) {
  if (n <= 2) return SelectWhole(measure, n, settings);

  SimplifiedLine line(measure, n);
  const double full_length = measure.TrackLength();
  SegmentQueue queue(settings.threshold);
  auto add_segment = [&](std::int64_t start, std::int64_t end) {
    if (end - start < 2) return;  // no point between the two
    const SegmentWinner w = measure.FarthestPoint(start, end);
    queue.Push({w.deviation, w.index, start, end});
  };

  // The figures of the last completed iteration, shown when the observer
  // wants them in the middle of a long iteration; the new length is summed
  // only then, from the line as it stood before the split under way.
  std::optional<SelectionStatistics> completed;
  bool split_under_way = false;
  measure.SetPoll([&] {
    if (observer == nullptr) return;
    if (observer->StopRequested()) throw SelectionStopped();
    if (completed && observer->ProgressDue()) {
      completed->new_length = split_under_way ? line.LengthBeforeLastSplit() : line.Length();
      observer->OnProgress(*completed);
    }
  });
  add_segment(0, n - 1);

  std::int64_t count = 2;
  double deviation = 0.0;
  std::int64_t point = 0;
  for (;;) {
    if (observer != nullptr && observer->StopRequested()) throw SelectionStopped();
    const SegmentEntry top = queue.Pop();
    // The last remaining point is taken whatever its deviation, reported as 0.
    deviation = count == n - 1 ? 0.0 : top.deviation;
    point = top.point;
    line.Split(top.start, top.end, point);
    split_under_way = true;
    ++count;
    // The present first segment is the likely next split, unless one of the
    // two new segments beats it: what that split touches is fetched while
    // the new segments are measured.
    if (const SegmentEntry* next = queue.Next()) {
      line.Prefetch(next->start, next->point);
      measure.Prefetch(next->start, next->point, next->end);
    }
    add_segment(top.start, point);
    add_segment(point, top.end);
    split_under_way = false;
    completed = SelectionStatistics{queue.LargestDeviation(), n, count, full_length, 0.0,
                                    point + 1,                deviation};
    if (additions != nullptr) {
      Addition addition{point, deviation, completed->largest_deviation, 0.0, 0.0, 0.0};
      line.LastSplitLengths(addition);
      additions->OnAddition(addition);
    }

    const bool stop = (!(deviation > settings.threshold) && !queue.AnyBeyondThreshold()) ||
                      count >= settings.wanted_count || count >= n;
    // The last iteration's figures are shown at once: the quality figures
    // may still take a pass over every point.
    if (observer != nullptr && (stop || observer->ProgressDue())) {
      completed->new_length = line.Length();
      observer->OnProgress(*completed);
    }
    if (stop) break;
  }

  SelectionResult result;
  result.selected = line.PointNumbers(count);
  if (settings.quality_figures) result.quality = Quality(measure, result.selected);
  measure.SetPoll({});
  result.max_deviation = queue.LargestDeviation();
  result.statistics = {result.max_deviation, n,          count, full_length,
                       line.Length(),        point + 1, deviation};
  return result;
}

}  // namespace

SelectionResult DouglasPeucker(SegmentMeasure& measure, std::int64_t n,
                               const SelectionSettings& settings, SelectionObserver* observer,
                               AdditionSink* additions) {
  return Select(measure, n, settings, observer, additions);
}

namespace {

// Calls use(measure) with the measure set of `settings` built over the
// track: the ellipsoidal one on two threads, or the planar one, after the
// projection for geographic input.
template <typename Use>
auto WithMeasureSet(std::vector<double> first, std::vector<double> second,
                    const SelectionSettings& settings, Use use) {
  if (first.size() != second.size()) {
    throw std::invalid_argument("SelectPoints: coordinate sequences of different lengths");
  }
  const auto n = static_cast<std::int64_t>(first.size());
  // The measure's helper thread pays on long tracks only: on a short one,
  // starting it and handing it halves of tiny sweeps costs more than the
  // track's measures (bench/ellipsoidal_bench, BM_ShortTracks). Tracks are
  // thinned the same on one thread as on two.
  constexpr std::int64_t kTwoThreadPoints = 1024;
  const int threads = std::thread::hardware_concurrency() >= 2 && n >= kTwoThreadPoints ? 2 : 1;
  if (settings.calculation == CalculationType::Ellipsoidic) {
    if (!IsGeographic(settings.input_format)) {
      throw std::invalid_argument("SelectPoints: X, Y metres are measured in the plane only");
    }
    EllipsoidalSegmentMeasure measure(std::move(first), std::move(second), settings.datum,
                                      threads);
    return use(measure);
  }
  if (IsGeographic(settings.input_format)) {
    ProjectTrackToPlane(first, second, n, settings.datum, threads);
  }
  PlanarSegmentMeasure measure(std::move(first), std::move(second));
  return use(measure);
}

}  // namespace

SelectionResult SelectPoints(std::vector<double> first, std::vector<double> second,
                             const SelectionSettings& settings, SelectionObserver* observer,
                             AdditionSink* additions) {
  const auto n = static_cast<std::int64_t>(first.size());
  return WithMeasureSet(std::move(first), std::move(second), settings, [&](auto& measure) {
    if (settings.method == SelectionMethod::Optimal) {
      if constexpr (std::is_same_v<std::decay_t<decltype(measure)>, EllipsoidalSegmentMeasure>) {
        EllipsoidalShortcuts shortcuts(measure, settings.datum);
        return SelectOptimal(shortcuts, n, settings, observer);
      } else {
        PlanarShortcuts shortcuts(measure);
        return SelectOptimal(shortcuts, n, settings, observer);
      }
    }
    return Select(measure, n, settings, observer, additions);
  });
}

DeviationQuality SelectionQuality(std::vector<double> first, std::vector<double> second,
                                  const SelectionSettings& settings,
                                  const std::vector<std::int64_t>& selected) {
  return WithMeasureSet(std::move(first), std::move(second), settings,
                        [&](SegmentMeasure& measure) { return Quality(measure, selected); });
}

}  // namespace oru
