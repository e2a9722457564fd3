#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "track/segment_queue.h"
#include "track/selection_engine.h"

namespace oru {

class SegmentMeasure;

// The Douglas-Peucker selection of SelectPoints as a state that lives
// between iterations: which points are selected, the length of the segment
// that begins at each, and the queue of the segments still to split with
// the farthest point of each. It can stop where one selection stops and go
// on later to where another one does: the points are added in one order
// whatever the tolerance or the wanted count, so a run taken further gives
// what a fresh run to the new stop gives, to the last bit.
//
// Each iteration measures the two new segments before it changes anything,
// so a stop asked for in the middle of one (SelectionStopped from the
// measure's poll) leaves the state at the iteration before.
class DouglasPeuckerRun {
 public:
  // The two ends of the measure set's n points (n >= 3) selected; nothing
  // is measured yet. `queue_threshold` (metres) only sorts the queue's
  // segments into those beyond and within it (SegmentQueue): the run's
  // first tolerance keeps the queue of a tolerance run small; any value
  // gives the same order.
  DouglasPeuckerRun(SegmentMeasure& measure, std::int64_t n, double queue_threshold);
  ~DouglasPeuckerRun();

  // Points selected so far (2 before the first iteration).
  std::int64_t Count() const { return count_; }

  // Iterates until the selection by `threshold` (metres) and
  // `wanted_count` stops, by SelectPoints' stop rules, and at least once.
  // The observer (may be null) is shown the figures as SelectPoints shows
  // them and may stop the run; `additions` (may be null) receives every
  // point added. The measure's poll is set for the call and cleared after.
  void RunTo(double threshold, std::int64_t wanted_count, SelectionObserver* observer,
             AdditionSink* additions);

  // The selection and figures after the last iteration (no quality figures).
  SelectionResult Result() const;

 private:
  class Line;

  void Iterate(AdditionSink* additions);
  SelectionStatistics Figures() const;
  bool StopsHere(double threshold, std::int64_t wanted_count) const;

  SegmentMeasure& measure_;
  std::int64_t n_;
  std::unique_ptr<Line> line_;
  SegmentQueue queue_;
  double full_length_ = 0.0;  // metres
  bool started_ = false;      // the whole track's segment is measured
  std::int64_t count_ = 2;
  std::int64_t point_ = 0;     // 0-based store index of the point added last
  double deviation_ = 0.0;     // metres: its deviation as the figures give it
};

}  // namespace oru
