#pragma once

#include <cstddef>

namespace oru {

// Convex hulls of a few points in a plane, with plain rounding: used where
// any subset of points, or any direction, is sound and the hull only makes
// it a good one.

inline constexpr std::size_t kHullMost = 32;

// The corners of the convex hull of the first min(m, kHullMost) points
// (x[k], y[k]) (metres) by Andrew's monotone chain (1979), counter-clockwise
// from the least x (then y, then position); points on a straight edge are
// left out. Writes their positions to `hull` (room for 2 kHullMost) and
// returns how many.
std::size_t ConvexHull(const double* x, const double* y, std::size_t m, std::size_t* hull);

struct Direction {
  double x, y;
};

// The direction of the narrowest strip that holds the points: that of an
// edge of their hull, along one of which such a strip lies (Toussaint 1983,
// "Solving geometric problems with the rotating calipers"), scaled so that
// its larger component is exactly 1 (along an axis, exactly the axis);
// (1, 0) when the points span no edge.
Direction NarrowestDirection(const double* x, const double* y, std::size_t m);

}  // namespace oru
