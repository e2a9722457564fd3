#include "track/representatives.h"

#include <algorithm>

#include "track/convex_hull.h"

namespace oru {

std::size_t ChooseRepresentatives(std::span<const std::int64_t> points, std::span<const double> x,
                                  std::span<const double> y, std::size_t most, std::int64_t* out) {
  std::size_t hull[2 * kHullMost];
  std::size_t h = ConvexHull(x.data(), y.data(), points.size(), hull);
  // Spread along the track: ascending point numbers, then every so many.
  std::int64_t corners[2 * kHullMost];
  for (std::size_t k = 0; k < h; ++k) corners[k] = points[hull[k]];
  std::sort(corners, corners + h);
  h = static_cast<std::size_t>(std::unique(corners, corners + h) - corners);
  const std::size_t kept = std::min(h, most);
  for (std::size_t k = 0; k < kept; ++k) out[k] = corners[kept < 2 ? 0 : k * (h - 1) / (kept - 1)];
  return kept;
}

}  // namespace oru
