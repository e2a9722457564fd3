#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "track/direction_wedge.h"
#include "track/segment_measure.h"
#include "track/start_walk.h"
#include "track/track_blocks.h"

namespace oru {

// Where the largest deviation w of a shortcut lies against two limits
// low <= high: at most low, above high, or exactly `value` between them.
struct WeightAnswer {
  enum class Kind { kAtMost, kAbove, kExactly };
  Kind kind = Kind::kAtMost;
  double value = 0.0;  // metres, for kExactly
};

// Bounds of the weight of one shortcut from the open start, and whether it
// is valid for the open tolerance: certainly, certainly not, or not known
// (when it was not asked to be decided and the bounds straddle the
// tolerance).
struct ShortcutBounds {
  enum class Validity { kValid, kInvalid, kOpen };
  Validity validity = Validity::kInvalid;
  double lower = 0.0, upper = 0.0;  // metres: lower <= w <= upper; upper <= tolerance when valid
};

// The first stretch of a start's ends, found for several starts at once: the
// candidate ends among the points scanned, ascending, and, when the wedge is
// still open with points after them, the wedge and the next point; and,
// where `walked`, the rest of the start's walk.
struct NearScan {
  std::vector<std::int64_t> ends;
  bool open = false;
  std::int64_t next = 0;
  DirectionWedge wedge;
  bool walked = false;
  WalkBeyond beyond;
};

// What the optimal selection asks of a measure set. A shortcut from point i
// to point j (store indexes, i < j) leaves out the points strictly between
// them; its weight w(i, j) is the largest deviation of those points from the
// segment i-j, exactly as the measure set's FarthestPoint finds it (NaN
// deviations never count; 0.0 when no point deviates by more than 0.0, and
// for j = i + 1). A shortcut is valid for a tolerance d when w(i, j) <= d.
//
// Besides single shortcuts it answers for the ends of one start at a time
// (Open), and for whole blocks of them (track_blocks.h): which directions
// from the start a valid shortcut can take (a DirectionWedge, narrowed by
// the points after the start), and lower bounds of the weights of every
// shortcut to a block. Every "no" it gives is certain; every bound holds.
class ShortcutOracle {
 public:
  virtual ~ShortcutOracle() = default;

  // The measure set whose deviations decide.
  virtual SegmentMeasure& Measure() = 0;
  // Points of the track.
  virtual std::int64_t Size() const = 0;

  // Where w(i, j) lies against low <= high (metres), measuring exactly only
  // as much as that answer needs.
  virtual WeightAnswer Weight(std::int64_t i, std::int64_t j, double low, double high) = 0;

  // Opens start i for `tolerance` (metres, >= 0): the calls below speak of
  // its shortcuts until the next Open. With `keep_findings` the last point
  // that the bounds of the start opened before found far off (Findings)
  // bounds this one's weights too, between its ends: a start's neighbour
  // mostly rules out the same long shortcuts. That pays where lower bounds
  // order a search (the labels' worst), not where they only rule ends out.
  virtual void Open(std::int64_t i, double tolerance, bool keep_findings) = 0;
  // False when directions tell nothing of the open start's shortcuts (its
  // coordinates lie outside the range of the bounds): every end is then a
  // candidate, and the wedges below are never constrained.
  virtual bool Directed() const = 0;
  // Narrows `wedge` to the directions in which a valid shortcut can pass
  // point k, or every point of block b (all after the start); a block may
  // narrow it by a subset of its points only.
  virtual void ConstrainByPoint(DirectionWedge& wedge, std::int64_t k) const = 0;
  virtual void ConstrainByBlock(DirectionWedge& wedge, Block b) const = 0;
  // Walks the points begin, ..., end - 1 after the start in order: lists
  // each in `ends` unless the wedge of the points before it rules it out
  // (the start's next point is always listed), then narrows the wedge by
  // it; stops after a point that empties the wedge. Returns the point
  // after the last one walked.
  virtual std::int64_t WalkPoints(DirectionWedge& wedge, std::int64_t begin, std::int64_t end,
                                  std::vector<std::int64_t>& ends) const = 0;
  // False only when the shortcut to end k (> i + 1) is certainly invalid,
  // given the wedge narrowed by (some of) the points between.
  virtual bool EndMayBeValid(const DirectionWedge& before, std::int64_t k) const = 0;
  // Ends that no wedge rules out (outside the range of the bounds),
  // ascending: candidates even beyond an empty wedge.
  virtual std::span<const std::int64_t> Unbounded() const = 0;
  // A lower bound of w(i, j) for every end j of block b, given the wedge of
  // (some of) the points before the block; +infinity when none of those
  // shortcuts can be valid for the tolerance. Uses what Bounds has found
  // so far (points far from the shortcuts).
  virtual double EndsLower(Block b, const DirectionWedge& before) = 0;
  // The same for one end j.
  virtual double EndLower(std::int64_t j) = 0;
  // The ends of the starts first, ..., first + count - 1 (count at most
  // kNearStarts, first + count < n) among the next `steps` points of each,
  // for `tolerance`, as WalkPoints would list them (or more); false when
  // this set does not scan several starts at once. Two threads may call it
  // at once.
  static constexpr int kNearStarts = 8;
  virtual bool ScanNear(std::int64_t /*first*/, int /*count*/, std::int64_t /*steps*/,
                        double /*tolerance*/, NearScan* /*scans*/) const {
    return false;
  }
  // Walks on from start i's near scan for `tolerance` (as ScanNear left
  // it) to where the wedge closes, as the labels' walk would (WalkBlocks),
  // into scan.beyond; false when this set does not. Two threads may call
  // it at once.
  virtual bool WalkOn(std::int64_t /*i*/, double /*tolerance*/, NearScan& /*scan*/) const {
    return false;
  }
  // A start e (0 for j < 2, else below j) such that no shortcut to end j
  // from a start before e is valid for `tolerance` (metres); -1 for every j
  // when this set tells none. It may be 0. Where ScanNear scans, two
  // threads may call it at once (NearScans finds it ahead).
  virtual std::int64_t EarliestStart(std::int64_t /*j*/, double /*tolerance*/) const { return -1; }
  // Changes whenever EndsLower and EndLower may give more than before.
  virtual std::int64_t Findings() const = 0;
  // Bounds of w(i, j), about `width` (metres) apart where that costs
  // little, and whether the shortcut is valid for the tolerance, measured
  // exactly where needed when `decide`.
  virtual ShortcutBounds Bounds(std::int64_t j, double width, bool decide) = 0;
};

// The answer for a known weight w.
inline WeightAnswer Classify(double w, double low, double high) {
  if (w <= low) return {WeightAnswer::Kind::kAtMost, 0.0};
  if (w > high) return {WeightAnswer::Kind::kAbove, 0.0};
  return {WeightAnswer::Kind::kExactly, w};
}

}  // namespace oru
