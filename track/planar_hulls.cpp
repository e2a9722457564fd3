#include "track/planar_hulls.h"

#include <algorithm>
#include <cmath>

namespace oru {
namespace {

// orient2d's first-stage error bound, (3 + 16 u) u with u = 2^-53, taken
// generously, and a floor for products that underflow.
constexpr double kOrientSlack = 0x1p-50;
constexpr double kUnderflow = 0x1p-1000;

// Whether p lies certainly to the right of the line from a to b (a turn
// the wrong way for a chain kept turning left), beyond rounding.
bool CertainlyRight(const double* x, const double* y, std::int64_t a, std::int64_t b,
                    std::int64_t p) {
  const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b),
             k = static_cast<std::size_t>(p);
  const double left = (x[j] - x[i]) * (y[k] - y[i]);
  const double right = (y[j] - y[i]) * (x[k] - x[i]);
  const double bound = kOrientSlack * (std::fabs(left) + std::fabs(right)) + kUnderflow;
  return left - right < -bound;
}

// Andrew's monotone chain over `points` (sorted by x, then y, without
// repeated places), lower chain then upper, each point once.
void Chain(const double* x, const double* y, const std::vector<std::int64_t>& points,
           std::vector<std::int64_t>& outline) {
  outline.clear();
  if (points.size() < 3) {
    outline = points;
    return;
  }
  for (const std::int64_t p : points) {
    while (outline.size() >= 2 &&
           CertainlyRight(x, y, outline[outline.size() - 2], outline.back(), p)) {
      outline.pop_back();
    }
    outline.push_back(p);
  }
  const std::size_t lower = outline.size();
  for (auto it = points.rbegin() + 1; it != points.rend(); ++it) {
    while (outline.size() > lower &&
           CertainlyRight(x, y, outline[outline.size() - 2], outline.back(), *it)) {
      outline.pop_back();
    }
    outline.push_back(*it);
  }
  outline.pop_back();  // the first point again
}

}  // namespace

PlanarHulls::PlanarHulls(const std::vector<double>& x, const std::vector<double>& y,
                         const std::vector<char>& tame)
    : slot_(static_cast<std::int64_t>(x.size())) {
  const auto n = static_cast<std::int64_t>(x.size());
  points_.resize(slot_.Count() * kMostPoints);
  counts_.assign(slot_.Count(), 0);
  std::vector<std::int64_t> points;
  for (int l = 1; l < BlockLevels(n); ++l) {
    for (std::int64_t m = 0; m < BlockCount(n, l); ++m) {
      const Block b{l, m};
      points.clear();
      if (l == 1) {
        bool all_tame = true;
        for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, n); ++k) {
          all_tame = all_tame && tame[static_cast<std::size_t>(k)] != 0;
          points.push_back(k);
        }
        if (!all_tame) continue;
      } else {
        bool outlined = true;
        for (int side = 0; side < 2; ++side) {
          const Block half = ChildBlock(b, side);
          if (BlockBegin(half) >= n) continue;
          const std::span<const std::int64_t> outline = Outline(half);
          outlined = outlined && !outline.empty();
          points.insert(points.end(), outline.begin(), outline.end());
        }
        if (!outlined) continue;
      }
      Keep(x, y, points, b);
    }
  }
}

void PlanarHulls::Keep(const std::vector<double>& x, const std::vector<double>& y,
                       std::vector<std::int64_t>& points, Block b) {
  auto before = [&](std::int64_t p, std::int64_t q) {
    const auto i = static_cast<std::size_t>(p), j = static_cast<std::size_t>(q);
    return x[i] != x[j] ? x[i] < x[j] : y[i] < y[j];
  };
  auto same_place = [&](std::int64_t p, std::int64_t q) {
    const auto i = static_cast<std::size_t>(p), j = static_cast<std::size_t>(q);
    return x[i] == x[j] && y[i] == y[j];
  };
  std::sort(points.begin(), points.end(), before);
  points.erase(std::unique(points.begin(), points.end(), same_place), points.end());
  std::vector<std::int64_t>& outline = scratch_;
  Chain(x.data(), y.data(), points, outline);
  if (outline.size() > kMostPoints) return;
  const std::size_t slot = slot_(b);
  std::copy(outline.begin(), outline.end(),
            points_.begin() + static_cast<std::ptrdiff_t>(slot * kMostPoints));
  counts_[slot] = outline.size();
}

}  // namespace oru
