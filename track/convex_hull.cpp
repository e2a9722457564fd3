#include "track/convex_hull.h"

#include <algorithm>
#include <cmath>

namespace oru {

std::size_t ConvexHull(const double* x, const double* y, std::size_t m, std::size_t* hull) {
  m = std::min(m, kHullMost);
  std::size_t sorted[kHullMost];
  for (std::size_t k = 0; k < m; ++k) sorted[k] = k;
  std::sort(sorted, sorted + m, [&](std::size_t p, std::size_t q) {
    return x[p] != x[q] ? x[p] < x[q] : (y[p] != y[q] ? y[p] < y[q] : p < q);
  });
  // Counter-clockwise turn of o-a-b.
  auto turn = [&](std::size_t o, std::size_t a, std::size_t b) {
    return (x[a] - x[o]) * (y[b] - y[o]) - (y[a] - y[o]) * (x[b] - x[o]);
  };
  std::size_t h = 0;
  for (std::size_t k = 0; k < m; ++k) {  // lower chain
    while (h >= 2 && !(turn(hull[h - 2], hull[h - 1], sorted[k]) > 0.0)) --h;
    hull[h++] = sorted[k];
  }
  const std::size_t lower = h + 1;
  for (std::size_t k = m; k-- > 1;) {  // upper chain, back to the first point
    while (h >= lower && !(turn(hull[h - 2], hull[h - 1], sorted[k - 1]) > 0.0)) --h;
    hull[h++] = sorted[k - 1];
  }
  if (h > 1) --h;  // the first point closes the chain
  return h;
}

Direction NarrowestDirection(const double* x, const double* y, std::size_t m) {
  std::size_t hull[2 * kHullMost];
  const std::size_t h = ConvexHull(x, y, m, hull);
  Direction best{1.0, 0.0};
  double least = HUGE_VAL;  // the least squared width found
  // Rotating calipers: the corner farthest from each edge's line moves on
  // around the hull as the edges do.
  auto reach = [&](std::size_t e, std::size_t v) {
    const std::size_t a = hull[e], b = hull[(e + 1) % h], c = hull[v % h];
    return (x[b] - x[a]) * (y[c] - y[a]) - (y[b] - y[a]) * (x[c] - x[a]);
  };
  std::size_t far = 1;
  for (std::size_t e = 0; e < h; ++e) {
    const std::size_t a = hull[e], b = hull[(e + 1) % h];
    const double e1 = x[b] - x[a], e2 = y[b] - y[a];
    const double length2 = e1 * e1 + e2 * e2;
    if (!(length2 > 0.0)) continue;
    if (far < e + 1) far = e + 1;
    while (far < e + h && reach(e, far + 1) >= reach(e, far)) ++far;
    const double r = std::fabs(reach(e, far));
    const double width2 = r / length2 * r;
    if (width2 < least) {
      least = width2;
      const double scale = std::max(std::fabs(e1), std::fabs(e2));
      best = {e1 / scale, e2 / scale};
    }
  }
  return best;
}

}  // namespace oru
