#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// The segments that still have points between their ends, handed out in
// selection order.
//
// A segment whose farthest point lies within the threshold can only be taken
// last: taking it ends the selection. Of those only the first in selection
// order is kept, so that the heap holds just the segments that will be split
// (with "Maximum deviation") and stays small.
//
// The heap is 4-ary: half the levels of a binary heap, with the four
// children of a node side by side in memory, which matters once the heap
// outgrows the caches while the measures stream through the track.
class SegmentQueue {
 public:
  explicit SegmentQueue(double threshold) : threshold_(threshold) {}

  bool Empty() const { return heap_.empty() && !parked_; }

  void Push(const SegmentEntry& e) {
    if (!(e.deviation > threshold_)) {
      if (!parked_ || Precedes(e, *parked_)) parked_ = e;
      return;
    }
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

  // The first segment in selection order, removed. Not for an empty queue.
  SegmentEntry Pop() {
    if (heap_.empty()) {
      const SegmentEntry e = *parked_;
      parked_.reset();
      return e;
    }
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

  // The segment that Pop would hand out now, or null.
  const SegmentEntry* Next() const {
    if (!heap_.empty()) return &heap_.front();
    return parked_ ? &*parked_ : nullptr;
  }

 private:
  double threshold_;
  std::vector<SegmentEntry> heap_;
  std::optional<SegmentEntry> parked_;  // the first of the segments within the threshold
};

}  // namespace oru
