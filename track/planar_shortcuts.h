#pragma once

#include <cstdint>
#include <vector>

#include "track/direction_wedge.h"
#include "track/planar_blocks.h"
#include "track/planar_hulls.h"
#include "track/planar_scores.h"
#include "track/planar_segment_measure.h"
#include "track/ray_lanes.h"
#include "track/shortcut_oracle.h"
#include "track/shortcut_witnesses.h"
#include "track/weight_memo.h"

namespace oru {

// Shortcuts of a track in plane metres. Weights are PlanarDeviation's exact
// maxima (PlanarSegmentMeasure::FarthestPoint's), found by searching the
// blocks between the shortcut's ends: a block whose box lies certainly
// within the answer needed is left whole, and only the points that can
// still decide it are measured exactly.
//
// Directions. For coordinates within 2^200 in magnitude (and not NaN), let
// rho be the distance of P from the ray from A through B and u = 2^-53. Then
//     PlanarDeviation(A, B, P) >= rho - 2^-46 |P - A| - 2^-530.
// Where PlanarDeviation takes the distance from the line (both of its
// rounded dot-product tests pass) that distance is within 6e-15 |P - A| +
// 2^-536 of the true one (the derivation in planar_segment_measure.cpp,
// step 2), and the rounded test at A passing puts the true angle at A within
// 3.1u of a right angle or below it, where rho exceeds the line's distance by
// a factor 1 + O(u^2) at most. Elsewhere it takes min(|P - A|, |P - B|)
// within 3u, and both are at least rho: |P - A| >= rho always, and
// |P - B| >= the distance from the segment >= rho.
// Each point P constrains the wedge of directions (DirectionWedge) with
// tolerance
//     t = d + 2^-40 (|P1 - A1| + |P2 - A2|) + 2^-500,
// more than the wedge's own rounding (2^-48 |P - A|) plus the slack above:
// a direction that the wedge rejects, or any direction once the wedge is
// empty, has some P with rho > d + 2^-41 |P - A| + 2^-501, hence a
// deviation above d. Points and ends outside that range of coordinates never
// constrain and are always candidates.
//
// Points far from shortcuts. By the same inequality a point P before every
// end of a block bounds the weights of the shortcuts to all of them from
// below, by its distance from the rays through the block's box. And from
// PlanarDeviation's two kinds (the steps cited above):
//     PlanarDeviation(A, B, P) >= |P - A| - |B - A| - 2^-46 (|P - A| + |B - A|) - 2^-530,
// since the nearer end is at least |P - A| - |B - A| from P, and a point
// whose foot falls within 4.01u (|P - A| + |B - A|) of the segment lies at
// least that far from the line. The points that set the lower bounds of
// the shortcuts measured (Bounds) serve so.
class PlanarShortcuts final : public ShortcutOracle {
 public:
  explicit PlanarShortcuts(PlanarSegmentMeasure& measure);

  SegmentMeasure& Measure() override { return measure_; }
  std::int64_t Size() const override { return n_; }
  WeightAnswer Weight(std::int64_t i, std::int64_t j, double low, double high) override;

  void Open(std::int64_t i, double tolerance, bool keep_findings) override;
  bool Directed() const override { return start_tame_; }
  void ConstrainByPoint(DirectionWedge& wedge, std::int64_t k) const override;
  void ConstrainByBlock(DirectionWedge& wedge, Block b) const override;
  std::int64_t WalkPoints(DirectionWedge& wedge, std::int64_t begin, std::int64_t end,
                          std::vector<std::int64_t>& ends) const override;
  bool EndMayBeValid(const DirectionWedge& before, std::int64_t k) const override;
  std::span<const std::int64_t> Unbounded() const override { return wild_; }
  double EndsLower(Block b, const DirectionWedge& before) override;
  double EndLower(std::int64_t j) override;
  // Eight starts at once in vector lanes (ScanRayLanes) when every point
  // lies within the bound's range.
  bool ScanNear(std::int64_t first, int count, std::int64_t steps, double tolerance,
                NearScan* scans) const override;
  bool WalkOn(std::int64_t i, double tolerance, NearScan& scan) const override;
  std::int64_t EarliestStart(std::int64_t j, double tolerance) const override;
  std::int64_t Findings() const override { return witnesses_.Findings(); }
  ShortcutBounds Bounds(std::int64_t j, double width, bool decide) override;

 private:
  // A shortcut being weighed.
  struct Segment {
    std::int64_t i, j;
    SegmentFrame f;
    double la;     // |B - A| as computed
    bool bounded;  // every point from i to j within the range of the bounds
  };
  // The state of one search of a segment's points.
  struct Search {
    double lower = 0.0;         // largest lower bound of a point's deviation
    std::int64_t witness = -1;  // the point that set it
    double point_upper = 0.0;   // largest upper bound of the points scored
  };
  struct Pending {
    double upper;  // metres: bound of the block's points' deviations
    Block block;
  };
  // Directions from the open start to a block's box (ends of shortcuts):
  // between s_lo and s_hi, counter-clockwise; and their largest distance.
  struct Span {
    bool valid;  // false: the start lies near or in the box
    double lo_x, lo_y, hi_x, hi_y;
    double far;  // metres
  };

  bool Tame(std::int64_t k) const { return tame_[static_cast<std::size_t>(k)] != 0; }
  bool WildBetween(std::int64_t i, std::int64_t j) const;
  Segment SegmentOf(std::int64_t i, std::int64_t j) const;
  // Where the segment's weight lies against low <= high, and the point
  // measured farthest (-1 if none); false when that would cost more than
  // `budget` (-1: no limit).
  bool Classify(const Segment& s, double low, double high, std::int64_t budget,
                WeightAnswer& answer, std::int64_t& farthest);
  // Classify without limit, through the memo of weights.
  WeightAnswer Decide(const Segment& s, double low, double high);
  double BlockUpper(const Segment& s, Block b) const;
  // The largest distance of the outline's points (planar_hulls.h) from the
  // segment, as BlockUpper bounds it: infinity when the block has none.
  double OutlineUpper(const Segment& s, Block b) const;
  bool OnAxisBetween(const Segment& s, double p1, double p2) const;
  void Score(const Segment& s, std::int64_t begin, std::int64_t end, Search& search);
  // Bounds block b's points for the search: an upper bound of their
  // deviations and, where it exceeds `floor`, lower bounds from its
  // representatives; the block waits to be opened unless its bound is at
  // most `floor` and it need not be `kept`.
  void Enter(const Segment& s, Block b, double floor, bool keep, Search& search);
  Span SpanOf(const PlanarBlocks::Box& box) const;
  // Narrows `wedge`, of directions from (ax, ay), by point k or block b's
  // outline as ConstrainByPoint does for the tolerance `width`.
  void Narrow(DirectionWedge& wedge, std::int64_t k, double ax, double ay, double width) const;
  void NarrowByBlock(DirectionWedge& wedge, Block b, double ax, double ay, double width) const;
  // WalkPoints for start i and `tolerance`, each end listed by list(k).
  template <typename List>
  std::int64_t WalkPointsOf(std::int64_t i, double tolerance, DirectionWedge& wedge,
                            std::int64_t begin, std::int64_t end, List list) const;
  // The earliest start from which a shortcut to end j (>= 2) may be valid
  // for `width`, from the point whose wedge, walked back from j, empties
  // (ClosingPoint; 0 when none does).
  std::int64_t BackWalk(std::int64_t j, double width) const;
  std::int64_t ClosingPoint(std::int64_t j, double width) const;
  double WitnessLower(const Span& span, std::int64_t w) const;

  PlanarSegmentMeasure& measure_;
  const double* x_;
  const double* y_;
  std::int64_t n_;
  int top_level_;
  std::vector<char> tame_;
  std::vector<std::int64_t> wild_;  // points outside the range of the bounds, ascending
  double extent_ = 0.0;             // metres: E of EarliestStart
  PlanarBlocks blocks_;
  PlanarHulls hulls_;

  // The open start.
  std::int64_t start_ = 0;
  double tolerance_ = 0.0;
  double ax_ = 0.0, ay_ = 0.0;
  bool start_tame_ = false;
  ShortcutWitnesses witnesses_;
  WeightMemo memo_;

  // Scratch of the searches.
  std::vector<Pending> pending_;
  struct Contender {
    double score;
    std::int64_t index;
  };
  std::vector<Contender> contenders_;
  double scores_[kLeafPoints << 3];  // a block of kScoredLevel
};

}  // namespace oru
