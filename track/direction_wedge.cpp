#include "track/direction_wedge.h"

#include <cmath>

namespace oru {

DirectionWedge::Side DirectionWedge::SideOf(Vec b) const {
  const double dot = b.x * e_.x + b.y * e_.y;
  const double guard =
      kEdgeGuard * (std::fabs(b.x) + std::fabs(b.y)) * (std::fabs(e_.x) + std::fabs(e_.y));
  if (dot > guard) return Side::kInside;
  if (dot < -guard) return Side::kOutside;
  return Side::kUnsure;  // also NaN
}

bool DirectionWedge::MayMeetArc(double lo_x, double lo_y, double hi_x, double hi_y) const {
  if (empty_) return false;
  if (!constrained_) return true;
  const Vec from{lo_x, lo_y}, to{hi_x, hi_y};
  if (SideOf(from) != Side::kInside || SideOf(to) != Side::kInside) return true;
  auto guard = [](Vec a, Vec b) {
    return kEdgeGuard * (std::fabs(a.x) + std::fabs(a.y)) * (std::fabs(b.x) + std::fabs(b.y));
  };
  // The arc ends clockwise of lo_, or starts counter-clockwise of hi_.
  if (Cross(lo_, to) < -guard(lo_, to)) return false;
  if (Cross(from, hi_) < -guard(from, hi_)) return false;
  return true;
}

void DirectionWedge::Start(Vec v, Vec lo, Vec hi) {
  e_ = v;
  e_norm_ = std::sqrt(e_.x * e_.x + e_.y * e_.y);
  lo_ = lo;
  hi_ = hi;
  constrained_ = true;
}

void DirectionWedge::ConstrainNearEdge(Vec lo, Vec hi) {
  const Side lo_side = SideOf(lo);
  const Side hi_side = SideOf(hi);
  if (lo_side == Side::kOutside && hi_side == Side::kOutside) {
    empty_ = true;
    return;
  }
  if (lo_side == Side::kInside && Cross(lo_, lo) > 0.0) lo_ = lo;
  if (hi_side == Side::kInside && Cross(hi, hi_) > 0.0) hi_ = hi;
  if (Cross(lo_, hi_) < 0.0) empty_ = true;
}

}  // namespace oru
