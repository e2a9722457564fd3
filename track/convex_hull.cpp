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
  for (std::size_t e = 0; e < h; ++e) {
    const std::size_t a = hull[e], b = hull[(e + 1) % h];
    const double e1 = x[b] - x[a], e2 = y[b] - y[a];
    const double length2 = e1 * e1 + e2 * e2;
    if (!(length2 > 0.0)) continue;
    // The strip along the edge reaches the corner farthest from its line.
    double reach = 0.0;
    for (std::size_t v = 0; v < h; ++v) {
      reach = std::max(reach, std::fabs(e1 * (y[hull[v]] - y[a]) - e2 * (x[hull[v]] - x[a])));
    }
    const double width2 = reach / length2 * reach;
    if (width2 < least) {
      least = width2;
      const double scale = std::max(std::fabs(e1), std::fabs(e2));
      best = {e1 / scale, e2 / scale};
    }
  }
  return best;
}

}  // namespace oru
