#pragma once

#include <cmath>
#include <cstdint>

namespace oru {

// The directions from a start point A in which a shortcut from A can still
// pass within a tolerance of every point constrained so far: the intersection
// of one arc of directions per point. Directions are plane vectors from A
// (metres); only their direction counts.
//
// The arc of a point P at distance r from A holds the directions whose ray
// from A passes within t of P: those within alpha = asin(t / r) of the
// direction of P (r > t; a point within t of A admits every direction).
//
// Every arc is narrower than a half circle, so the intersection is one arc
// (or empty). It lies within the first arc, whose centre e is kept: all
// boundaries that matter lie in the open half-plane of directions within 90
// degrees of e, where the sign of a cross product orders two directions
// correctly. A new arc whose lower (clockwise) boundary lies outside that
// half-plane enters it across the half-plane's clockwise edge and leaves the
// lower boundary as it was; likewise for the upper one; an arc with both
// boundaries outside misses the half-plane, and the intersection is empty.
// An arc about a direction v with v.e > t |e| lies inside the half-plane
// whole (the angle from e to v is below 90 degrees - alpha), which spares
// the side tests of its boundaries.
//
// Rounding. With u = 2^-53 and r the distance of the point that set a
// boundary: the boundary vector b = s v -+ t v_perp, s = sqrt(r^2 - t^2),
// is computed with a relative error of a few u per component; the angle of
// the boundary then moves by at most 3u + 1.5u t / s, and at the boundary the
// distance of P from the ray changes by s per radian of direction, so the
// boundary is that of a tolerance within 5u r of t. A candidate direction v
// (a difference of coordinates, rounded once) turns by at most u; a cross
// product's sign is exact unless the two directions lie within 3u of each
// other, and a boundary kept after a wrong comparison lies within 3u of the
// right one. So every answer is that of exact arithmetic with every
// tolerance t_k moved by less than 2^-48 r_k (the guard bands below add
// 2^-40 radians at the half-plane's edges, and the whole-arc test a relative
// 2^-30, where a wrong side only widens the wedge). Callers widen each tolerance by more than that: a
// direction reported outside, or an empty wedge, is then certain for the
// tolerance they mean.
//
// Answers err on the side of "may contain": a NaN or infinite vector never
// makes a direction fail and never constrains.
//
// Callers that name the point of each arc (Constrain with `by`) learn which
// points set the boundaries: a direction ruled out lies outside the arc of
// the point whose boundary it passes, and an empty wedge is the work of two
// arcs that do not meet (LoBy and HiBy then name those two).
class DirectionWedge {
 public:
  // A ray wedge resumed from its state: the first arc's centre e and the
  // boundaries lo and hi, as a scan in vector lanes left it.
  static DirectionWedge Resumed(double ex, double ey, double lo_x, double lo_y, double hi_x,
                                double hi_y) {
    DirectionWedge wedge;
    wedge.Start({ex, ey}, {lo_x, lo_y}, {hi_x, hi_y});
    return wedge;
  }

  // Back to every direction, for a new start point.
  void Reset() {
    constrained_ = false;
    empty_ = false;
    lo_by_ = hi_by_ = first_by_ = -1;
  }

  // True when no direction is left.
  bool Empty() const { return empty_; }

  // False only when the direction of (vx, vy) certainly lies outside an arc.
  bool MayContain(double vx, double vy) const {
    if (empty_) return false;
    if (!constrained_) return true;
    // Within a half circle the two cross products alone decide: a direction
    // opposite the wedge fails one of them.
    const Vec m{vx, vy};
    const bool past_lo = !(Cross(lo_, m) < 0.0), before_hi = !(Cross(m, hi_) < 0.0);
    return past_lo & before_hi;  // both computed: no branch
  }

  // The same, for a direction known only to within an angle whose sine is
  // `slack`. Norms are taken as sums of magnitudes, never below the true
  // ones.
  bool MayContainWithin(double vx, double vy, double slack) const {
    if (empty_) return false;
    const Outside outside = OutsideWithin(vx, vy, slack);
    return !(outside.lo | outside.hi);
  }

  // Which boundaries of a wedge that is not empty certainly rule out the
  // direction of (vx, vy), known to within an angle whose sine is `slack`:
  // the direction lies clockwise of lo, or counter-clockwise of hi.
  struct Outside {
    bool lo, hi;
  };
  Outside OutsideWithin(double vx, double vy, double slack) const {
    if (!constrained_) return {false, false};
    const Vec m{vx, vy};
    const double m_norm = std::fabs(m.x) + std::fabs(m.y);
    const double lo_slack = slack * m_norm * (std::fabs(lo_.x) + std::fabs(lo_.y));
    const double hi_slack = slack * m_norm * (std::fabs(hi_.x) + std::fabs(hi_.y));
    return {Cross(lo_, m) < -lo_slack, Cross(m, hi_) < -hi_slack};
  }

  // The points that set the clockwise and the counter-clockwise boundary
  // (or, once the wedge is empty, whose arcs do not meet); -1 where no
  // point was named.
  std::int64_t LoBy() const { return lo_by_; }
  std::int64_t HiBy() const { return hi_by_; }

  // False only when no direction of the arc that turns counter-clockwise
  // from (lo_x, lo_y) to (hi_x, hi_y) can lie in the wedge: the arc, less
  // than a half circle, and the wedge then lie in
  // the half-plane about the first arc's centre, where they are ordered by
  // the signs of cross products; an arc that reaches out of that half-plane
  // may meet the wedge. A guard band of 2^-40 radians about every boundary
  // covers the rounding of the cross products.
  bool MayMeetArc(double lo_x, double lo_y, double hi_x, double hi_y) const;

  // True when the arc of point (vx, vy) for tolerance t certainly holds the
  // whole wedge, so that Constrain would leave it as it is (always false
  // before the first arc). Cheaper than Constrain (no
  // square root): both boundary rays pass within t of the point, by a margin
  // of a part in 2^20 far beyond the rounding, and an arc narrower than a
  // half circle that holds both ends of the wedge, itself narrower, holds
  // all of it.
  bool Holds(double vx, double vy, double t) const {
    if (!constrained_ || empty_) return false;
    const double limit = t * t * kHeld;
    auto within = [&](Vec b) {
      const double along = b.x * vx + b.y * vy, across = Cross(b, {vx, vy});
      return along > 0.0 && across * across < limit * (b.x * b.x + b.y * b.y);
    };
    const bool lo_held = within(lo_), hi_held = within(hi_);
    return lo_held & hi_held;  // both computed: no branch
  }

  // Intersects the wedge with the arc of point (vx, vy) (metres from A) for
  // tolerance t (metres, > 0).
  void Constrain(double vx, double vy, double t) {
    if (empty_) return;
    const double r2 = vx * vx + vy * vy;
    const double t2 = t * t;
    // Within the tolerance of A (or barely beyond it): no constraint worth
    // keeping. NaN and infinite distances constrain nothing either.
    if (!(r2 > t2 * kWidest) || !(r2 < HUGE_VAL)) return;
    const double s = std::sqrt(r2 - t2);
    const Vec lo{s * vx + t * vy, s * vy - t * vx};  // turned clockwise by alpha
    const Vec hi{s * vx - t * vy, s * vy + t * vx};  // counter-clockwise
    if (!constrained_) {
      Start({vx, vy}, lo, hi);
      return;
    }
    // The arc lies inside the half-plane whole.
    if (vx * e_.x + vy * e_.y > t * e_norm_ * kWhole) {
      // Without branches: which boundary is tighter is a coin toss.
      const bool tighter_lo = Cross(lo_, lo) > 0.0;
      const bool tighter_hi = Cross(hi, hi_) > 0.0;
      lo_ = {tighter_lo ? lo.x : lo_.x, tighter_lo ? lo.y : lo_.y};
      hi_ = {tighter_hi ? hi.x : hi_.x, tighter_hi ? hi.y : hi_.y};
      empty_ = Cross(lo_, hi_) < 0.0;
      return;
    }
    ConstrainNearEdge(lo, hi);
  }

  // The same, naming the point `by` whose arc it is.
  void Constrain(double vx, double vy, double t, std::int64_t by) {
    if (empty_) return;
    const bool started = constrained_;
    const Vec lo = lo_, hi = hi_;
    Constrain(vx, vy, t);
    if (!started) {
      if (constrained_) lo_by_ = hi_by_ = first_by_ = by;
      return;
    }
    const bool lo_moved = lo_.x != lo.x || lo_.y != lo.y;
    const bool hi_moved = hi_.x != hi.x || hi_.y != hi.y;
    if (empty_ && !lo_moved && !hi_moved) {
      // The arc misses the half-plane about the first arc's centre, and so
      // the first arc.
      lo_by_ = first_by_;
      hi_by_ = by;
      return;
    }
    if (lo_moved) lo_by_ = by;
    if (hi_moved) hi_by_ = by;
  }

 private:
  struct Vec {
    double x, y;
  };
  enum class Side { kInside, kOutside, kUnsure };

  // Guard band about the edges of the half-plane, radians: a boundary this
  // close to an edge counts as neither inside nor outside.
  static constexpr double kEdgeGuard = 0x1p-40;
  // Arcs wider than a half circle less about 2^-10.5 radians are not used
  // (a point barely beyond the tolerance constrains almost nothing), so that
  // every kept boundary lies well inside the half-plane and any two compared
  // directions are less than a half circle apart.
  static constexpr double kWidest = 1.0 + 0x1p-20;
  static constexpr double kWhole = 1.0 + 0x1p-30;
  static constexpr double kHeld = 1.0 - 0x1p-20;

  static double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
  Side SideOf(Vec b) const;
  void Start(Vec v, Vec lo, Vec hi);
  void ConstrainNearEdge(Vec lo, Vec hi);

  bool constrained_ = false;
  bool empty_ = false;
  Vec e_{0.0, 0.0};  // centre of the first arc
  double e_norm_ = 0.0;
  Vec lo_{0.0, 0.0};  // clockwise boundary
  Vec hi_{0.0, 0.0};  // counter-clockwise boundary
  std::int64_t lo_by_ = -1, hi_by_ = -1, first_by_ = -1;  // as LoBy and HiBy; the first arc's
};

}  // namespace oru
