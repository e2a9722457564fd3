#include "track/ellipsoidal_blocks.h"

#include <algorithm>
#include <cmath>

#include "track/representatives.h"

namespace oru {
namespace {

using Point = EllipsoidalBlocks::Point;

constexpr double kRounding = 1e-6;  // metres

Point Minus(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point Cross(Point a, Point b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Point Scaled(Point a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Norm(Point a) { return std::sqrt(Dot(a, a)); }

}  // namespace

EllipsoidalBlocks::EllipsoidalBlocks(const std::vector<Point>& points,
                                     const std::vector<char>& usable)
    : points_(points), n_(static_cast<std::int64_t>(points.size())), slot_(n_) {
  const int levels = BlockLevels(n_);
  const std::size_t slots = slot_.Count();
  boxes_.resize(slots);
  boxed_.assign(slots, 0);
  representatives_.resize(slots * kRepresentatives);
  counts_.assign(slots, 0);
  for (int l = 1; l < levels; ++l) {
    for (std::int64_t m = 0; m < BlockCount(n_, l); ++m) {
      const Block b{l, m};
      Box box = Frame(b);
      // The extent of the block along each axis: of its points at level 1,
      // else of the corners of the boxes of its halves.
      double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
      auto extend = [&](Point p) {
        const Point d = Minus(p, box.centre);
        for (int a = 0; a < 3; ++a) {
          const double t = Dot(d, box.axis[a]);
          lo[a] = std::min(lo[a], t);
          hi[a] = std::max(hi[a], t);
        }
      };
      std::int64_t candidates[2 * std::max<std::int64_t>(kLeafPoints, kRepresentatives)];
      std::size_t count = 0;
      bool boxed = true;
      if (l == 1) {
        for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, n_); ++k) {
          if (!usable[static_cast<std::size_t>(k)]) {
            boxed = false;
            continue;
          }
          candidates[count++] = k;
          extend(points_[static_cast<std::size_t>(k)]);
        }
      } else {
        for (int side = 0; side < 2; ++side) {
          const Block half = ChildBlock(b, side);
          if (BlockBegin(half) >= n_) continue;
          for (const std::int64_t r : Representatives(half)) candidates[count++] = r;
          if (!HasBox(half)) {
            boxed = false;
            continue;
          }
          const Box& h = BoxOf(half);
          for (int corner = 0; corner < 8; ++corner) {
            Point p = h.centre;
            for (int a = 0; a < 3; ++a) {
              const double s = ((corner >> a) & 1) != 0 ? h.half[a] : -h.half[a];
              p = {p.x + s * h.axis[a].x, p.y + s * h.axis[a].y, p.z + s * h.axis[a].z};
            }
            extend(p);
          }
        }
      }
      Choose({candidates, count}, box, b);
      if (!boxed || count == 0) continue;
      // Centred on the extent; the corners and projections above round at
      // the nanometre level.
      Point shift{0.0, 0.0, 0.0};
      for (int a = 0; a < 3; ++a) {
        const double mid = 0.5 * (lo[a] + hi[a]);
        shift = {shift.x + mid * box.axis[a].x, shift.y + mid * box.axis[a].y,
                 shift.z + mid * box.axis[a].z};
        box.half[a] = 0.5 * (hi[a] - lo[a]) + kRounding;
      }
      box.centre = {box.centre.x + shift.x, box.centre.y + shift.y, box.centre.z + shift.z};
      boxes_[slot_(b)] = box;
      boxed_[slot_(b)] = 1;
    }
  }
}

EllipsoidalBlocks::Box EllipsoidalBlocks::Frame(Block b) const {
  Box box{};
  const Point first = points_[static_cast<std::size_t>(BlockBegin(b))];
  const Point last = points_[static_cast<std::size_t>(BlockEnd(b, n_) - 1)];
  box.centre = first;
  Point up = Scaled(first, 1.0 / Norm(first));
  if (!(std::fabs(up.x) <= 1.0 && std::fabs(up.y) <= 1.0 && std::fabs(up.z) <= 1.0)) {
    up = {0.0, 0.0, 1.0};  // a point the bounds do not cover: any frame
  }
  Point u = Minus(last, first);
  double length = Norm(u);
  // Square to the up direction; a chord too short (or along the up
  // direction, or not finite) gives way to the east.
  u = Minus(u, Scaled(up, Dot(u, up)));
  length = Norm(u);
  if (!(length > 1e-3)) {
    u = Cross({0.0, 0.0, 1.0}, up);
    length = Norm(u);
    if (!(length > 1e-9)) {
      u = {1.0, 0.0, 0.0};
      length = 1.0;
    }
  }
  box.axis[0] = Scaled(u, 1.0 / length);
  box.axis[2] = up;
  box.axis[1] = Cross(box.axis[2], box.axis[0]);
  return box;
}

void EllipsoidalBlocks::Choose(std::span<const std::int64_t> candidates, const Box& frame,
                               Block b) {
  double x[32], y[32];
  for (std::size_t k = 0; k < candidates.size(); ++k) {
    const Point d = Minus(points_[static_cast<std::size_t>(candidates[k])], frame.centre);
    x[k] = Dot(d, frame.axis[0]);
    y[k] = Dot(d, frame.axis[1]);
  }
  const std::size_t slot = slot_(b);
  counts_[slot] =
      ChooseRepresentatives(candidates, {x, candidates.size()}, {y, candidates.size()},
                            kRepresentatives, representatives_.data() + slot * kRepresentatives);
}

}  // namespace oru
