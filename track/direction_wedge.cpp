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

void DirectionWedge::Start(Vec v, Vec lo, Vec hi) {
  e_ = Mapped(v);
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
