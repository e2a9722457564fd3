#include "track/planar_shortcuts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "track/planar_measures.h"

namespace oru {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTameLimit = 0x1p+200;  // metres
constexpr double kRelativeSlack = 0x1p-40;
constexpr double kAbsoluteSlack = 0x1p-500;  // metres
constexpr double kMinSquaredLength = 0x1p-400;
// The score bound of planar_segment_measure.cpp, evaluated with 2K.
constexpr double kMargin = 0x1p-45;  // 2K
constexpr double kFloor = 0x1p-320;  // eta
// The directions' bound above: 2^-46 relative, 2^-530 absolute.
constexpr double kRayRelative = 0x1p-46;
constexpr double kRayFloor = 0x1p-530;
constexpr double kUnderflow = 0x1p-1000;
// Blocks up to this level (16 points) are scored point by point when they
// are opened: a vector sweep costs less than their boxes.
constexpr int kScoredLevel = 1;
// Work (points scored, and eight per point measured exactly) that a
// weight may cost to be found exactly for a label.
constexpr std::int64_t kExactBudget = 512;

// Bounds of PlanarDeviation from a point's score s (planar_segment_measure.cpp).
double LowerOf(double s, double la) {
  return std::max(0.0, std::sqrt(s) / la * (1.0 - kMargin) - kMargin * la - kFloor);
}
double UpperOf(double s, double la) {
  return std::sqrt(s) / la * (1.0 + kMargin) + kMargin * la + kFloor;
}

double Norm1(double v1, double v2) { return std::fabs(v1) + std::fabs(v2); }

// How far a box's corner, computed as (O - A) + corner, may lie from its
// exact place, per coordinate: the corner (alpha u + beta u') / |u|^2 and the
// sums within 32u of the magnitudes involved.
double CornerError(const PlanarBlocks::Box& box, double d1, double d2) {
  const double alpha = std::max(std::fabs(box.a_lo), std::fabs(box.a_hi));
  const double beta = std::max(std::fabs(box.b_lo), std::fabs(box.b_hi));
  return 0x1p-48 * (Norm1(d1, d2) + (alpha + beta) * Norm1(box.ux, box.uy) / box.q) + kUnderflow;
}

// BlockUpper's bound of PlanarDeviation over a block from far2, the largest
// squared distance computed of its corners (or outline points) from the
// segment, each corner within e of its place per coordinate.
double DistanceUpper(double far2, double e, double ab1, double ab2, double la) {
  const double distance = (std::sqrt(far2) + 2.0 * e) * (1.0 + kMargin) + kMargin * Norm1(ab1, ab2);
  return distance * (1.0 + kMargin) + kMargin * la + kFloor;
}

// A lower bound of the distance of v from the ray along s (both from A).
double RayDistanceLower(double v1, double v2, double s1, double s2) {
  const double dot = s1 * v1 + s2 * v2;
  const double guard = kRelativeSlack * Norm1(s1, s2) * Norm1(v1, v2);
  const double d = dot >= -guard ? std::fabs(s1 * v2 - s2 * v1) / std::sqrt(s1 * s1 + s2 * s2)
                                 : std::sqrt(v1 * v1 + v2 * v2);
  return d * (1.0 - kRelativeSlack);
}

}  // namespace

PlanarShortcuts::PlanarShortcuts(PlanarSegmentMeasure& measure)
    : measure_(measure),
      x_(measure.First().data()),
      y_(measure.Second().data()),
      n_(static_cast<std::int64_t>(measure.First().size())),
      top_level_(BlockLevels(n_) - 1),
      tame_(static_cast<std::size_t>(n_)),
      blocks_(measure.First(), measure.Second(), [&] {
        for (std::int64_t k = 0; k < n_; ++k) {
          const auto i = static_cast<std::size_t>(k);
          tame_[i] = std::fabs(x_[i]) <= kTameLimit && std::fabs(y_[i]) <= kTameLimit;  // not NaN
          if (!tame_[i]) wild_.push_back(k);
        }
        return tame_;
      }()),
      hulls_(measure.First(), measure.Second(), tame_) {
  // E = (largest x - least x) + (largest y - least y) over the tame points:
  // at least the distance between any two of them.
  double lo_x = kInf, hi_x = -kInf, lo_y = kInf, hi_y = -kInf;
  for (std::int64_t k = 0; k < n_; ++k) {
    if (!Tame(k)) continue;
    const auto p = static_cast<std::size_t>(k);
    lo_x = std::min(lo_x, x_[p]);
    hi_x = std::max(hi_x, x_[p]);
    lo_y = std::min(lo_y, y_[p]);
    hi_y = std::max(hi_y, y_[p]);
  }
  if (lo_x <= hi_x) extent_ = (hi_x - lo_x) + (hi_y - lo_y);
}

bool PlanarShortcuts::WildBetween(std::int64_t i, std::int64_t j) const {
  if (wild_.empty()) return false;
  const auto first = std::upper_bound(wild_.begin(), wild_.end(), i);
  return first != wild_.end() && *first < j;
}

PlanarShortcuts::Segment PlanarShortcuts::SegmentOf(std::int64_t i, std::int64_t j) const {
  const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j);
  Segment s{i, j, MakeSegmentFrame(x_[a], y_[a], x_[b], y_[b]), 0.0, false};
  s.la = std::sqrt(s.f.l2);
  s.bounded = Tame(i) && Tame(j) && s.f.l2 >= kMinSquaredLength && !WildBetween(i, j);
  return s;
}

// ---- Weights ------------------------------------------------------------

bool PlanarShortcuts::OnAxisBetween(const Segment& s, double p1, double p2) const {
  // On a line along an axis through A and B, between them, PlanarDeviation
  // is exactly 0: both differences from A have the same direction, exactly
  // 0, pi/2, pi or -pi/2 from atan2, so delta is 0 and sin(0) dAP is 0.
  const SegmentFrame& f = s.f;
  return (p2 == f.a2 && f.b2 == f.a2 && std::min(f.a1, f.b1) <= p1 && p1 <= std::max(f.a1, f.b1)) ||
         (p1 == f.a1 && f.b1 == f.a1 && std::min(f.a2, f.b2) <= p2 && p2 <= std::max(f.a2, f.b2));
}

double PlanarShortcuts::BlockUpper(const Segment& s, Block b) const {
  if (b.level == 0 || !blocks_.HasBox(b)) return kInf;
  const PlanarBlocks::Box& box = blocks_.BoxOf(b);
  const SegmentFrame& f = s.f;
  if ((box.y_lo == box.y_hi && OnAxisBetween(s, box.x_lo, box.y_lo) &&
       OnAxisBetween(s, box.x_hi, box.y_lo)) ||
      (box.x_lo == box.x_hi && OnAxisBetween(s, box.x_lo, box.y_lo) &&
       OnAxisBetween(s, box.x_lo, box.y_hi))) {
    return 0.0;
  }
  // Why this bounds every point's PlanarDeviation. The distance from the
  // segment is a convex function of the point, largest over the box at a
  // corner; a corner's distance from the segment is at most its distance
  // from the point A + tau (B - A) for any tau in [0, 1], here its foot's,
  // rounded and clamped. Each corner is computed within e of its exact place
  // per coordinate (SpanOf), and then its distance from that point within
  // 4u of |c| and of |B - A| (the rounded B - A, the product and the
  // difference): 2e and 2^-45 of the magnitudes cover both. Then
  //     PlanarDeviation <= distance from the segment (1 + K) + K |a| + 2^-535:
  // where it takes the line (both rounded tests pass) it is h (1 +- 5u) +-
  // 5.2e-15 |P - A| and |P - A| <= (1 + 8.1u) |a| + (1 + 4.1u) h (steps 2
  // and 3 of planar_segment_measure.cpp); elsewhere it is the nearer end's
  // distance within 3u, and that end lies within 4.1u of the distance from
  // the segment when a rounded test failed but the foot lies on the segment.
  // With 2K for K as the score bound is evaluated.
  const double d1 = box.ox - f.a1, d2 = box.oy - f.a2;
  double far2 = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double c1 = d1 + box.corner_x[k], c2 = d2 + box.corner_y[k];
    const double tau = std::clamp((c1 * f.ab1 + c2 * f.ab2) / f.l2, 0.0, 1.0);
    const double r1 = c1 - tau * f.ab1, r2 = c2 - tau * f.ab2;
    far2 = std::max(far2, r1 * r1 + r2 * r2);
  }
  const double corners = DistanceUpper(far2, CornerError(box, d1, d2), f.ab1, f.ab2, s.la);
  return std::min(corners, OutlineUpper(s, b));
}

double PlanarShortcuts::OutlineUpper(const Segment& s, Block b) const {
  // As BlockUpper's corners, with the outline's points for corners: each is
  // a point of the track, its difference from A within u of its magnitude
  // per coordinate, so e = 2^-48 |c|_1 covers that and the 4u of the
  // distance that the corners' 2e stands for. The largest distance over the
  // block is the largest over its outline (the distance is convex).
  const std::span<const std::int64_t> outline = hulls_.Outline(b);
  if (outline.empty()) return kInf;
  const SegmentFrame& f = s.f;
  double far2 = 0.0, e = 0.0;
  for (const std::int64_t v : outline) {
    const auto k = static_cast<std::size_t>(v);
    const double c1 = x_[k] - f.a1, c2 = y_[k] - f.a2;
    const double tau = std::clamp((c1 * f.ab1 + c2 * f.ab2) / f.l2, 0.0, 1.0);
    const double r1 = c1 - tau * f.ab1, r2 = c2 - tau * f.ab2;
    far2 = std::max(far2, r1 * r1 + r2 * r2);
    e = std::max(e, 0x1p-48 * Norm1(c1, c2) + kUnderflow);
  }
  return DistanceUpper(far2, e, f.ab1, f.ab2, s.la);
}

void PlanarShortcuts::Score(const Segment& s, std::int64_t begin, std::int64_t end,
                            Search& search) {
  const auto m = static_cast<int>(end - begin);
  const double best = ScoreBlock(s.f, x_ + begin, y_ + begin, m, scores_);
  const int at = static_cast<int>(std::max_element(scores_, scores_ + m) - scores_);
  const double lower = LowerOf(best, s.la);
  if (lower > search.lower) {
    search.lower = lower;
    search.witness = begin + at;
  }
  search.point_upper = std::max(search.point_upper, UpperOf(best, s.la));
}

void PlanarShortcuts::Enter(const Segment& s, Block b, double floor, bool keep, Search& search) {
  if (b.level <= kScoredLevel) {
    Score(s, BlockBegin(b), BlockEnd(b, n_), search);
    return;
  }
  const double upper = BlockUpper(s, b);
  if (upper > floor) {
    for (const std::int64_t r : blocks_.Representatives(b)) {
      const auto k = static_cast<std::size_t>(r);
      const double lower = LowerOf(oru::Score(s.f, x_[k], y_[k]), s.la);
      if (lower > search.lower) {
        search.lower = lower;
        search.witness = r;
      }
    }
  } else if (!keep) {
    return;
  }
  pending_.push_back({upper, b});
  std::push_heap(pending_.begin(), pending_.end(),
                 [](const Pending& p, const Pending& q) { return p.upper < q.upper; });
}

bool PlanarShortcuts::Classify(const Segment& s, double low, double high, std::int64_t budget,
                               WeightAnswer& answer, std::int64_t& farthest) {
  farthest = -1;
  if (s.j - s.i < 2) {
    answer = oru::Classify(0.0, low, high);
    return true;
  }
  if (!s.bounded) {
    const SegmentWinner w = measure_.FarthestPoint(s.i, s.j);
    answer = oru::Classify(w.deviation, low, high);
    return true;
  }
  // Every point whose upper bound exceeds max(low, the largest lower bound)
  // may set the weight above low; the others cannot (that largest lower
  // bound belongs to a point that is measured, or is at most low). Scoring
  // a point costs one of the budget, measuring one exactly eight.
  auto later = [](const Pending& p, const Pending& q) { return p.upper < q.upper; };
  Search search;
  std::int64_t spent = 0;
  pending_.clear();
  contenders_.clear();
  auto collect = [&](std::int64_t begin, std::int64_t end) {
    Score(s, begin, end, search);
    spent += end - begin;
    const double floor = std::max(low, search.lower);
    for (std::int64_t k = begin; k < end; ++k) {
      const double score = scores_[k - begin];
      if (UpperOf(score, s.la) > floor) contenders_.push_back({score, k});
    }
  };
  auto enter = [&](Block b) {
    if (b.level <= kScoredLevel) {
      collect(BlockBegin(b), BlockEnd(b, n_));
    } else {
      Enter(s, b, std::max(low, search.lower), false, search);
      spent += PlanarBlocks::kRepresentatives;
    }
  };
  ForEachPiece(
      s.i + 1, s.j, top_level_, [&](std::int64_t k) { collect(k, k + 1); }, enter);
  while (!pending_.empty() && search.lower <= high) {
    if (budget >= 0 && spent > budget) return false;
    const Pending top = pending_.front();
    if (top.upper <= std::max(low, search.lower)) break;
    std::pop_heap(pending_.begin(), pending_.end(), later);
    pending_.pop_back();
    for (int side = 0; side < 2; ++side) {
      const Block child = ChildBlock(top.block, side);
      if (BlockBegin(child) < n_) enter(child);
    }
  }
  if (search.lower > high) {
    answer = {WeightAnswer::Kind::kAbove, 0.0};
    farthest = search.witness;
    return true;
  }
  std::sort(contenders_.begin(), contenders_.end(),
            [](const Contender& p, const Contender& q) { return p.score > q.score; });
  double largest = 0.0;
  for (const Contender& c : contenders_) {
    if (UpperOf(c.score, s.la) <= std::max(low, largest)) break;
    if (budget >= 0 && (spent += 8) > budget) return false;
    const auto k = static_cast<std::size_t>(c.index);
    if (OnAxisBetween(s, x_[k], y_[k])) continue;  // exactly 0
    const auto a = static_cast<std::size_t>(s.i), e = static_cast<std::size_t>(s.j);
    const double d = PlanarDeviation(x_[a], y_[a], x_[e], y_[e], x_[k], y_[k]);
    if (d > largest) {
      largest = d;
      farthest = c.index;
    }
    if (largest > high) {
      answer = {WeightAnswer::Kind::kAbove, 0.0};
      return true;
    }
  }
  answer = largest > low ? oru::Classify(largest, low, high) : WeightAnswer{};
  return true;
}

WeightAnswer PlanarShortcuts::Weight(std::int64_t i, std::int64_t j, double low, double high) {
  return Decide(SegmentOf(i, j), low, high);
}

WeightAnswer PlanarShortcuts::Decide(const Segment& s, double low, double high) {
  return memo_.Answer(s.i, s.j, low, high, [&] {
    WeightAnswer answer;
    std::int64_t farthest;
    Classify(s, low, high, -1, answer, farthest);
    return answer;
  });
}

ShortcutBounds PlanarShortcuts::Bounds(std::int64_t j, double width, bool decide) {
  const Segment s = SegmentOf(start_, j);
  const double t = tolerance_;
  using Validity = ShortcutBounds::Validity;
  if (j - start_ < 2) return {Validity::kValid, 0.0, 0.0};
  if (!s.bounded) {
    const double w = measure_.FarthestPoint(start_, j).deviation;
    return {w <= t ? Validity::kValid : Validity::kInvalid, w, w};
  }
  WeightAnswer answer;
  std::int64_t farthest;
  // Weights are sought exactly where that costs little: labels made of exact
  // weights settle ties between routes at once.
  if (width < kInf && Classify(s, -kInf, t, kExactBudget, answer, farthest)) {
    witnesses_.Add(farthest);
    if (answer.kind == WeightAnswer::Kind::kAbove) return {Validity::kInvalid, t, kInf};
    return {Validity::kValid, answer.value, answer.value};
  }
  auto later = [](const Pending& p, const Pending& q) { return p.upper < q.upper; };
  Search search;
  pending_.clear();
  // Representatives serve to show a shortcut invalid; those of blocks that
  // cannot hold a point beyond the tolerance are left alone when only
  // validity is asked.
  const double floor = width < kInf ? -kInf : t;
  ForEachPiece(
      start_ + 1, j, top_level_, [&](std::int64_t k) { Score(s, k, k + 1, search); },
      [&](Block b) { Enter(s, b, floor, true, search); });
  // Blocks are opened, largest bound first, until validity is decided and
  // no block can raise the upper bound by more than `width` above the
  // lower one.
  for (;;) {
    const double top = pending_.empty() ? 0.0 : pending_.front().upper;
    const double upper = std::max(search.point_upper, top);
    const bool decided = upper <= t || search.lower > t;
    if (pending_.empty()) break;
    if (decided) {
      if (top <= std::max(search.point_upper, search.lower + width)) break;
    } else if (search.point_upper > t) {
      break;  // points scored already reach beyond t: only measures decide
    }
    const Block b = pending_.front().block;
    std::pop_heap(pending_.begin(), pending_.end(), later);
    pending_.pop_back();
    for (int side = 0; side < 2; ++side) {
      const Block child = ChildBlock(b, side);
      if (BlockBegin(child) < n_) Enter(s, child, floor, true, search);
    }
  }
  double upper = std::max(search.point_upper, pending_.empty() ? 0.0 : pending_.front().upper);
  if (search.lower > 0.0) witnesses_.Add(search.witness);
  if (search.lower > t) return {Validity::kInvalid, search.lower, upper};
  if (!(upper <= t)) {
    if (!decide) return {Validity::kOpen, search.lower, upper};
    // Weighed exactly where valid, not only against t: the shortcuts that
    // come here have points tied with t as far as the bounds tell, which
    // cost as much to weigh as to decide, and the lightest route asks for
    // their weights again (through the memo).
    if (Decide(s, -kInf, t).kind == WeightAnswer::Kind::kAbove) {
      return {Validity::kInvalid, search.lower, upper};
    }
    upper = t;
  }
  return {Validity::kValid, search.lower, upper};
}

// ---- The ends of a start ------------------------------------------------

void PlanarShortcuts::Open(std::int64_t i, double tolerance, bool keep_findings) {
  start_ = i;
  tolerance_ = tolerance;
  ax_ = x_[static_cast<std::size_t>(i)];
  ay_ = y_[static_cast<std::size_t>(i)];
  start_tame_ = Tame(i);
  if (keep_findings) {
    witnesses_.KeepLast();
  } else {
    witnesses_.Clear();
  }
}

void PlanarShortcuts::ConstrainByPoint(DirectionWedge& wedge, std::int64_t k) const {
  Narrow(wedge, k, ax_, ay_, tolerance_);
}

void PlanarShortcuts::ConstrainByBlock(DirectionWedge& wedge, Block b) const {
  if (b.level == 0) {
    for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, n_); ++k) ConstrainByPoint(wedge, k);
    return;
  }
  NarrowByBlock(wedge, b, ax_, ay_, tolerance_);
}

void PlanarShortcuts::Narrow(DirectionWedge& wedge, std::int64_t k, double ax, double ay,
                             double width) const {
  if (!Tame(k)) return;
  const auto p = static_cast<std::size_t>(k);
  const double vx = x_[p] - ax, vy = y_[p] - ay;
  const double t = width + kRelativeSlack * Norm1(vx, vy) + kAbsoluteSlack;
  if (!wedge.Holds(vx, vy, t)) wedge.Constrain(vx, vy, t);
}

void PlanarShortcuts::NarrowByBlock(DirectionWedge& wedge, Block b, double ax, double ay,
                                   double width) const {
  // The outline's points narrow the wedge exactly as all the block's points
  // would: a ray's neighbourhood of width t is convex, so it holds the block
  // when it holds the block's hull. The representatives, fewer, only where
  // the outline is too long to keep.
  const std::span<const std::int64_t> outline = hulls_.Outline(b);
  for (const std::int64_t r : outline.empty() ? blocks_.Representatives(b) : outline) {
    Narrow(wedge, r, ax, ay, width);
  }
}

std::int64_t PlanarShortcuts::WalkPoints(DirectionWedge& wedge, std::int64_t begin,
                                         std::int64_t end, std::vector<std::int64_t>& ends) const {
  return WalkPointsOf(start_, tolerance_, wedge, begin, end,
                      [&](std::int64_t k) { ends.push_back(k); });
}

template <typename List>
std::int64_t PlanarShortcuts::WalkPointsOf(std::int64_t i, double tolerance, DirectionWedge& wedge,
                                           std::int64_t begin, std::int64_t end,
                                           List list) const {
  const auto a = static_cast<std::size_t>(i);
  const double ax = x_[a], ay = y_[a];
  for (std::int64_t k = begin; k < end; ++k) {
    if (!Tame(k)) {
      list(k);
      continue;
    }
    const auto p = static_cast<std::size_t>(k);
    const double vx = x_[p] - ax, vy = y_[p] - ay;
    if (k == i + 1 || wedge.MayContain(vx, vy)) list(k);
    wedge.Constrain(vx, vy, tolerance + kRelativeSlack * Norm1(vx, vy) + kAbsoluteSlack);
    if (wedge.Empty()) return k + 1;
  }
  return end;
}

bool PlanarShortcuts::WalkOn(std::int64_t i, double tolerance, NearScan& scan) const {
  if (!wild_.empty()) return false;  // as ScanNear: every point within the bounds' range
  WalkBeyond& beyond = scan.beyond;
  beyond.pieces.clear();
  beyond.wedges.clear();
  const auto a = static_cast<std::size_t>(i);
  const double ax = x_[a], ay = y_[a];
  beyond.reach = WalkBlocks(
      scan.next, n_, top_level_, scan.open, scan.wedge,
      [&](DirectionWedge& wedge, std::int64_t begin, std::int64_t end) {
        return WalkPointsOf(i, tolerance, wedge, begin, end, [&](std::int64_t k) {
          beyond.pieces.push_back({k, {kWalkedEnd, k}, -1});
        });
      },
      [&](DirectionWedge& wedge, Block b) { NarrowByBlock(wedge, b, ax, ay, tolerance); },
      [&](Block b, const DirectionWedge& before) {
        beyond.wedges.push_back(before);
        beyond.pieces.push_back({BlockBegin(b), b, static_cast<int>(beyond.wedges.size()) - 1});
      });
  return true;
}

bool PlanarShortcuts::EndMayBeValid(const DirectionWedge& before, std::int64_t k) const {
  if (!Tame(k)) return true;
  const auto p = static_cast<std::size_t>(k);
  return before.MayContain(x_[p] - ax_, y_[p] - ay_);
}

bool PlanarShortcuts::ScanNear(std::int64_t first, int count, std::int64_t steps, double tolerance,
                               NearScan* scans) const {
  if (!wild_.empty()) return false;
  static_assert(kRayLanes == kNearStarts);
  RayLane lanes[kRayLanes];
  for (int l = 0; l < count; ++l) lanes[l].ends.swap(scans[l].ends);  // their room, reused
  ScanRayLanes(x_, y_, n_, first, count, steps, tolerance, kRelativeSlack, kAbsoluteSlack, lanes);
  for (int l = 0; l < count; ++l) {
    const RayLane& lane = lanes[l];
    NearScan& scan = scans[l];
    scan.ends.swap(lanes[l].ends);
    scan.open = lane.open;
    scan.next = lane.next;
    scan.wedge = lane.constrained ? DirectionWedge::Resumed(lane.ex, lane.ey, lane.lo_x, lane.lo_y,
                                                            lane.hi_x, lane.hi_y)
                                  : DirectionWedge();
  }
  return true;
}

PlanarShortcuts::Span PlanarShortcuts::SpanOf(const PlanarBlocks::Box& box) const {
  // The directions from A of the box's corners, as tangents of their
  // angles from r, a direction through the box: the points of the box, all
  // ahead of A along r, have tangents between the corners' (a central
  // projection keeps a convex set's extremes at its corners). Each corner
  // is computed within e (32u of the magnitudes) of its exact place, which
  // turns its direction by at most 1.5 e / distance, its tangent by
  // (1 + t^2) times that; 2^-40 (1 + |t|) covers the tangents' rounding.
  Span span{false, 0.0, 0.0, 0.0, 0.0, kInf};
  const double d1 = box.ox - ax_, d2 = box.oy - ay_;
  const double e = CornerError(box, d1, d2);
  double c1[4], c2[4];
  double r1 = 0.0, r2 = 0.0;
  for (int k = 0; k < 4; ++k) {
    c1[k] = d1 + box.corner_x[k];
    c2[k] = d2 + box.corner_y[k];
    r1 += c1[k];
    r2 += c2[k];
  }
  double t_lo = kInf, t_hi = -kInf, near2 = kInf, far2 = 0.0;
  bool ahead = true;
  for (int k = 0; k < 4; ++k) {
    const double dot = r1 * c1[k] + r2 * c2[k];
    ahead = ahead && dot > 0x1p-30 * Norm1(r1, r2) * Norm1(c1[k], c2[k]);
    const double t = (r1 * c2[k] - r2 * c1[k]) / dot;
    t_lo = std::min(t_lo, t);
    t_hi = std::max(t_hi, t);
    const double distance2 = c1[k] * c1[k] + c2[k] * c2[k];
    near2 = std::min(near2, distance2);
    far2 = std::max(far2, distance2);
  }
  const double near = std::sqrt(near2), far = std::sqrt(far2);
  span.far = far * (1.0 + kRelativeSlack) + 2.0 * e;
  if (!ahead || !(near > 8.0 * e)) return span;
  const double turn = 2.0 * e / near;
  t_lo -= (1.0 + t_lo * t_lo) * turn + kRelativeSlack * (1.0 + std::fabs(t_lo));
  t_hi += (1.0 + t_hi * t_hi) * turn + kRelativeSlack * (1.0 + std::fabs(t_hi));
  if (!(t_lo > -kInf && t_hi < kInf)) return span;
  span.valid = true;
  span.lo_x = r1 - t_lo * r2;
  span.lo_y = r2 + t_lo * r1;
  span.hi_x = r1 - t_hi * r2;
  span.hi_y = r2 + t_hi * r1;
  return span;
}

double PlanarShortcuts::WitnessLower(const Span& span, std::int64_t w) const {
  const auto p = static_cast<std::size_t>(w);
  const double v1 = x_[p] - ax_, v2 = y_[p] - ay_;
  const double dv = std::sqrt(v1 * v1 + v2 * v2);
  double lower = dv * (1.0 - 0x1p-45) - span.far * (1.0 + 0x1p-45) - kRayFloor;
  if (span.valid) {
    const double guard = kRelativeSlack * Norm1(v1, v2);
    const bool inside = span.lo_x * v2 - span.lo_y * v1 >= -guard * Norm1(span.lo_x, span.lo_y) &&
                        v1 * span.hi_y - v2 * span.hi_x >= -guard * Norm1(span.hi_x, span.hi_y);
    if (!inside) {
      const double rho = std::min(RayDistanceLower(v1, v2, span.lo_x, span.lo_y),
                                  RayDistanceLower(v1, v2, span.hi_x, span.hi_y));
      lower = std::max(lower, rho - kRayRelative * dv * (1.0 + kRelativeSlack) - kRayFloor);
    }
  }
  return lower;
}

std::int64_t PlanarShortcuts::EarliestStart(std::int64_t j, double tolerance) const {
  if (!wild_.empty()) return -1;
  // The wedge from the end back towards the start, with 2^-40 E more width
  // (E: the track's extent, extent_): a direction it rejects has a point P
  // farther than t + 2^-40 E from the ray from B through A, hence from the
  // segment; and PlanarDeviation(A, B, P) falls short of P's true distance
  // from the segment by at most 7e-15 E + 2^-535 (planar_segment_measure.cpp,
  // steps 2 and 3: the foot within 4.01u (|v| + |a|) of the segment, the
  // line's distance within 5u h + 5.3e-15 |v|; the end kind within 4u), so
  // the shortcut's weight is above t.
  return j < 2 ? 0 : BackWalk(j, tolerance + 0x1p-40 * extent_);
}

std::int64_t PlanarShortcuts::BackWalk(std::int64_t j, double width) const {
  // A wedge emptied by point k rules out the shortcut from k too: the
  // direction towards k passes k itself, so some point after k lies beyond
  // the width from it.
  const std::int64_t closed = ClosingPoint(j, width);
  return closed > 0 ? std::min(closed + 1, j - 1) : 0;
}

std::int64_t PlanarShortcuts::ClosingPoint(std::int64_t j, double width) const {
  const auto b = static_cast<std::size_t>(j);
  const double bx = x_[b], by = y_[b];
  DirectionWedge wedge;
  // The points q - 1 down to `stop` one by one: the one that empties the
  // wedge, or -1.
  auto walk_points = [&](std::int64_t q, std::int64_t stop) {
    for (std::int64_t k = q - 1; k >= stop; --k) {
      Narrow(wedge, k, bx, by, width);
      if (wedge.Empty()) return k;
    }
    return std::int64_t{-1};
  };
  // As the walks forward (ShortcutLabeller::Walk), mirrored: the points
  // down to a leaf's start, then blocks ending where the walk stands, each
  // twice as long as the one before while the wedge survives them; a block
  // that empties it is tried again by halves, a leaf point by point. Point
  // 0 never narrows: no start lies before it.
  std::int64_t q = j;  // the points below q are walked next
  int cap = 0;
  while (q > 1) {
    int level = 0;
    while (level < std::min(cap, top_level_) && q % (kLeafPoints << (level + 1)) == 0) ++level;
    if (level == 0) {
      const std::int64_t stop = std::max<std::int64_t>(1, (q - 1) & ~(kLeafPoints - 1));
      const std::int64_t closed = walk_points(q, stop);
      if (closed >= 0) return closed;
      q = stop;
      cap = 1;
      continue;
    }
    const Block block{level, q / (kLeafPoints << level) - 1};
    DirectionWedge after = wedge;
    NarrowByBlock(after, block, bx, by, width);
    if (after.Empty()) {
      cap = level - 1;
      continue;
    }
    wedge = after;
    q = BlockBegin(block);
    cap = level + 1;
  }
  return 0;
}

double PlanarShortcuts::EndsLower(Block b, const DirectionWedge& before) {
  if (!start_tame_) return 0.0;
  const bool boxed = b.level > 0 && blocks_.HasBox(b);
  if (!boxed) {
    // Without a box only an empty wedge speaks, and only for tame ends.
    if (!before.Empty()) return 0.0;
    const std::int64_t end = BlockEnd(b, n_);
    for (std::int64_t k = BlockBegin(b); k < end; ++k) {
      if (!Tame(k)) return 0.0;
    }
    return kInf;
  }
  if (before.Empty()) return kInf;
  const Span span = SpanOf(blocks_.BoxOf(b));
  if (span.valid && !before.MayMeetArc(span.lo_x, span.lo_y, span.hi_x, span.hi_y)) return kInf;
  double lower = 0.0;
  const std::int64_t begin = BlockBegin(b);
  for (const std::int64_t w : witnesses_.Points()) {
    if (w > start_ && w < begin) lower = std::max(lower, WitnessLower(span, w));
  }
  return lower;
}

double PlanarShortcuts::EndLower(std::int64_t j) {
  const Segment s = SegmentOf(start_, j);
  if (!(Tame(start_) && Tame(j) && s.f.l2 >= kMinSquaredLength)) return 0.0;
  double lower = 0.0;
  for (const std::int64_t w : witnesses_.Points()) {
    if (w > start_ && w < j) {
      const auto k = static_cast<std::size_t>(w);
      lower = std::max(lower, LowerOf(oru::Score(s.f, x_[k], y_[k]), s.la));
    }
  }
  return lower;
}

}  // namespace oru
