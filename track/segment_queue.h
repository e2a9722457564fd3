#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oru {

// One segment of the simplified line, between two selected points, with the
// point it would give up next.
struct SegmentEntry {
  double deviation;    // metres; never NaN
  std::int64_t point;  // store index of the segment's farthest point
  std::int64_t start;  // store indexes of the segment's end points
  std::int64_t end;
};

// The selection order: the larger deviation first, the lower point among
// equal deviations. No two segments share a point, so the order is total.
inline bool Precedes(const SegmentEntry& x, const SegmentEntry& y) {
  if (x.deviation != y.deviation) return x.deviation > y.deviation;
  return x.point < y.point;
}

// A 4-ary heap of segments in selection order: half the levels of a binary
// heap, with the four children of a node side by side in memory, which
// matters once the heap outgrows the caches while the measures stream
// through the track.
class SegmentHeap {
 public:
  bool Empty() const { return heap_.empty(); }
  const SegmentEntry& Top() const { return heap_.front(); }

  void Push(const SegmentEntry& e) {
    std::size_t i = heap_.size();
    heap_.push_back(e);
    while (i > 0) {
      const std::size_t parent = (i - 1) / 4;
      if (!Precedes(e, heap_[parent])) break;
      heap_[i] = heap_[parent];
      i = parent;
    }
    heap_[i] = e;
  }

  // The top, removed. Not for an empty heap.
  SegmentEntry Pop() {
    const SegmentEntry top = heap_.front();
    const SegmentEntry last = heap_.back();
    heap_.pop_back();
    const std::size_t size = heap_.size();
    if (size == 0) return top;
    std::size_t i = 0;
    for (;;) {
      const std::size_t first_child = 4 * i + 1;
      if (first_child >= size) break;
      const std::size_t end_child = first_child + 4 < size ? first_child + 4 : size;
      std::size_t best = first_child;
      for (std::size_t c = first_child + 1; c < end_child; ++c) {
        if (Precedes(heap_[c], heap_[best])) best = c;
      }
      if (!Precedes(heap_[best], last)) break;
      heap_[i] = heap_[best];
      i = best;
    }
    heap_[i] = last;
    return top;
  }

 private:
  std::vector<SegmentEntry> heap_;
};

// The segments that still have points between their ends, handed out in
// selection order.
//
// They are held in two heaps: the segments whose farthest point lies beyond
// the threshold, and those within it. With "Maximum deviation" the selection
// works on the first heap and stops when it is empty (every remaining point
// lies within the threshold), so that heap stays small; the second is only
// read near the end, when a point within the threshold is taken and the
// segments it splits turn out to reach beyond it again (a deviation is not
// monotone: a shorter segment can lie farther from a point than the longer
// one it replaced).
class SegmentQueue {
 public:
  explicit SegmentQueue(double threshold) : threshold_(threshold) {}

  bool Empty() const { return above_.Empty() && within_.Empty(); }

  void Push(const SegmentEntry& e) {
    if (e.deviation > threshold_) {
      above_.Push(e);
    } else {
      within_.Push(e);
    }
  }

  // The first segment in selection order, removed. Not for an empty queue.
  SegmentEntry Pop() { return above_.Empty() ? within_.Pop() : above_.Pop(); }

  // The segment that Pop would hand out now, or null.
  const SegmentEntry* Next() const {
    if (!above_.Empty()) return &above_.Top();
    return within_.Empty() ? nullptr : &within_.Top();
  }

  // True when some remaining point lies farther than the threshold.
  bool AnyBeyondThreshold() const { return !above_.Empty(); }

  // The largest deviation of any remaining point from its segment (metres),
  // 0.0 when none is left or none deviates by more than 0.0.
  double LargestDeviation() const {
    const SegmentEntry* next = Next();
    return next != nullptr ? next->deviation : 0.0;
  }

 private:
  double threshold_;
  SegmentHeap above_;   // deviation > threshold
  SegmentHeap within_;  // the rest, also all of them for a NaN threshold
};

}  // namespace oru
