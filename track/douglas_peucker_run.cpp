#include "track/douglas_peucker_run.h"

#include <bit>
#include <utility>

#include "track/segment_measure.h"

namespace oru {

// The simplified line: which points are selected (one bit each, so that the
// selected points are walked in ascending order through a small sequential
// array) and the length of the segment that begins at each selected point.
class DouglasPeuckerRun::Line {
 public:
  Line(const SegmentMeasure& measure, std::int64_t n)
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

namespace {

// The segment start-end with its farthest point, or nothing when no point
// lies between its ends.
std::optional<SegmentEntry> Measured(SegmentMeasure& measure, std::int64_t start,
                                     std::int64_t end) {
  if (end - start < 2) return std::nullopt;
  const SegmentWinner w = measure.FarthestPoint(start, end);
  return SegmentEntry{w.deviation, w.index, start, end};
}

}  // namespace

DouglasPeuckerRun::DouglasPeuckerRun(SegmentMeasure& measure, std::int64_t n,
                                     double queue_threshold)
    : measure_(measure),
      n_(n),
      line_(std::make_unique<Line>(measure, n)),
      queue_(queue_threshold),
      full_length_(measure.TrackLength()) {}

DouglasPeuckerRun::~DouglasPeuckerRun() = default;

// The iteration: take the top segment's farthest point, find the farthest
// points of the two segments it splits the top one into, then split it. A
// segment's farthest point never changes until the segment is split, so each
// iteration measures only the points of the segment it splits.
void DouglasPeuckerRun::Iterate(AdditionSink* additions) {
  const SegmentEntry top = queue_.Pop();
  // The present first segment is the likely next split, unless one of the
  // two new segments beats it: what that split touches is fetched while the
  // new segments are measured.
  if (const SegmentEntry* next = queue_.Next()) {
    line_->Prefetch(next->start, next->point);
    measure_.Prefetch(next->start, next->point, next->end);
  }
  std::optional<SegmentEntry> left, right;
  try {
    left = Measured(measure_, top.start, top.point);
    right = Measured(measure_, top.point, top.end);
  } catch (...) {
    queue_.Push(top);  // the order is total: the queue hands out the same again
    throw;
  }
  ++count_;
  // The last remaining point is taken whatever its deviation, reported as 0.
  deviation_ = count_ == n_ ? 0.0 : top.deviation;
  point_ = top.point;
  line_->Split(top.start, top.end, point_);
  if (left) queue_.Push(*left);
  if (right) queue_.Push(*right);
  if (additions != nullptr) {
    Addition addition{point_, deviation_, queue_.LargestDeviation(), 0.0, 0.0, 0.0};
    line_->LastSplitLengths(addition);
    additions->OnAddition(addition);
  }
}

// The figures after the last iteration; the new length is summed only when
// they are shown.
SelectionStatistics DouglasPeuckerRun::Figures() const {
  return {queue_.LargestDeviation(), n_, count_, full_length_, 0.0, point_ + 1, deviation_};
}

// The stop rules after an added point: it lay within the threshold (or its
// deviation does not compare) and no remaining point lies farther, or the
// wanted count or every point is reached. The queue's top is the largest
// deviation left, whatever threshold sorts the queue, and an empty queue
// means that every point is selected.
bool DouglasPeuckerRun::StopsHere(double threshold, std::int64_t wanted_count) const {
  return (!(deviation_ > threshold) && !(queue_.LargestDeviation() > threshold)) ||
         count_ >= wanted_count || count_ >= n_;
}

void DouglasPeuckerRun::RunTo(double threshold, std::int64_t wanted_count,
                              SelectionObserver* observer, AdditionSink* additions) {
  // The figures of the last completed iteration, shown when the observer
  // wants them in the middle of a long iteration.
  std::optional<SelectionStatistics> completed;
  if (count_ > 2) completed = Figures();
  auto show = [&] {
    completed->new_length = line_->Length();
    observer->OnProgress(*completed);
  };
  measure_.SetPoll([&] {
    if (observer == nullptr) return;
    if (observer->StopRequested()) throw SelectionStopped();
    if (completed && observer->ProgressDue()) show();
  });
  struct ClearPoll {
    SegmentMeasure& measure;
    ~ClearPoll() { measure.SetPoll({}); }
  } clear{measure_};

  if (!started_) {
    queue_.Push(*Measured(measure_, 0, n_ - 1));
    started_ = true;
  }
  for (;;) {
    if (observer != nullptr && observer->StopRequested()) throw SelectionStopped();
    Iterate(additions);
    completed = Figures();
    const bool stop = StopsHere(threshold, wanted_count);
    // The last iteration's figures are shown at once: the quality figures
    // may still take a pass over every point.
    if (observer != nullptr && (stop || observer->ProgressDue())) show();
    if (stop) break;
  }
}

SelectionResult DouglasPeuckerRun::Result() const {
  SelectionResult result;
  result.selected = line_->PointNumbers(count_);
  result.max_deviation = queue_.LargestDeviation();
  result.statistics = {result.max_deviation, n_,         count_, full_length_,
                       line_->Length(),      point_ + 1, deviation_};
  return result;
}

}  // namespace oru
