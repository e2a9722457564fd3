#include "track/representatives.h"

#include <algorithm>

namespace oru {

std::size_t ChooseRepresentatives(std::span<const std::int64_t> points, std::span<const double> x,
                                  std::span<const double> y, std::size_t most, std::int64_t* out) {
  constexpr std::size_t kMost = 32;
  const std::size_t m = std::min(points.size(), kMost);
  std::size_t sorted[kMost];    // positions in `points`
  std::size_t hull[2 * kMost];  // the chains may hold every point twice
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
  // Spread along the track: ascending point numbers, then every so many.
  std::int64_t corners[2 * kMost];
  for (std::size_t k = 0; k < h; ++k) corners[k] = points[hull[k]];
  std::sort(corners, corners + h);
  h = static_cast<std::size_t>(std::unique(corners, corners + h) - corners);
  const std::size_t kept = std::min(h, most);
  for (std::size_t k = 0; k < kept; ++k) out[k] = corners[kept < 2 ? 0 : k * (h - 1) / (kept - 1)];
  return kept;
}

}  // namespace oru
