#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace oru {

// The point of one segment of the simplified line that the selection would
// take next from it.
struct SegmentWinner {
  double deviation = 0.0;  // metres; 0.0 when no point deviates by more than 0
  std::int64_t index = 0;  // 0-based store index of the point
};

// A measure set as the selection engine sees it: the farthest point of a
// segment and the length of a segment, over one track held by the set.
// Points are addressed by 0-based store index. The planar set measures plane
// metres; an ellipsoidal set measures geodesics on a datum's ellipsoid and may
// spread its work over threads, as long as its answers are those of a plain
// scan in point order.
class SegmentMeasure {
 public:
  virtual ~SegmentMeasure() = default;

  // Among the points strictly between a and b (a + 2 <= b), the one with the
  // largest deviation from the segment a-b, strictly above 0.0; the lowest
  // index among equal deviations; a NaN deviation never wins. When no point
  // deviates by more than 0.0: {0.0, a + 1}.
  virtual SegmentWinner FarthestPoint(std::int64_t a, std::int64_t b) = 0;

  // Length of the segment a-b (metres), the term that the length of a
  // polyline through a and b sums.
  virtual double SegmentLength(std::int64_t a, std::int64_t b) const = 0;

  // Length of the whole track (metres), its segment lengths summed in point
  // order from 0.0.
  virtual double TrackLength() const = 0;

  // The deviation of every point of the track from its segment of the line
  // through `selected` (store indexes, ascending, the first 0 and the last
  // n - 1), in point order: the very values that FarthestPoint compares, and
  // 0.0 at the selected points.
  virtual std::vector<double> LineDeviations(std::span<const std::int64_t> selected) = 0;

  // A hint that the segment a-b is likely to be split at p next: a set may
  // start fetching what SegmentLength(a, p) and SegmentLength(p, b) read, so
  // that the cache misses overlap the measuring of other segments.
  virtual void Prefetch(std::int64_t /*a*/, std::int64_t /*p*/, std::int64_t /*b*/) const {}

  // A function that long loops call now and then (every few thousand points
  // measured, on the calling thread only), so that the caller can show
  // progress or stop the work by throwing.
  void SetPoll(std::function<void()> poll) {
    poll_ = std::move(poll);
    abandoned_.store(false, std::memory_order_relaxed);
  }

 protected:
  // Calls the poll function every `every`-th time it is called.
  void Tick(std::int64_t every) {
    if (++ticks_ >= every) {
      ticks_ = 0;
      if (!poll_) return;
      try {
        poll_();
      } catch (...) {
        abandoned_.store(true, std::memory_order_relaxed);
        throw;
      }
    }
  }
  // True once the poll function has thrown (until the next SetPoll): the
  // work that other threads do for the same call is moot and may end at
  // once, so that a stop waits for no thread.
  bool Abandoned() const { return abandoned_.load(std::memory_order_relaxed); }

 private:
  std::function<void()> poll_;
  std::int64_t ticks_ = 0;
  std::atomic<bool> abandoned_{false};
};

// Calls visit(a, b, p) for every point p in [begin, end) that is not
// selected, with a-b its segment of the line through `selected` (store
// indexes, ascending, the first 0 and the last beyond end - 1).
template <typename Visit>
void ForEachPointOfLine(std::span<const std::int64_t> selected, std::int64_t begin,
                        std::int64_t end, Visit visit) {
  auto next = std::upper_bound(selected.begin(), selected.end(), begin);
  if (next == selected.begin() || next == selected.end()) return;
  std::int64_t a = *(next - 1);
  for (std::int64_t p = begin; p < end; ++p) {
    if (p == *next) {
      a = p;
      if (++next == selected.end()) return;
      continue;
    }
    if (p != a) visit(a, *next, p);
  }
}

}  // namespace oru
