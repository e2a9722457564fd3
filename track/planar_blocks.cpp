#include "track/planar_blocks.h"

#include <algorithm>
#include <cmath>

#include "track/convex_hull.h"
#include "track/representatives.h"

namespace oru {
namespace {

// Rounding terms (u = 2^-53). A sum of two products of doubles, each of the
// operands exact, is within 3u of its exact value relative to the sum of the
// products' magnitudes, plus 3 x 2^-1074 where products underflow.
constexpr double kProductSlack = 0x1p-50;  // 8u
constexpr double kLinearSlack = 0x1p-48;   // 32u
constexpr double kUnderflow = 0x1p-1000;

}  // namespace

PlanarBlocks::Range PlanarBlocks::Linear(const Box& box, double w1, double w2) {
  // For a point P of the block, P - O = (alpha u + beta u') / |u|^2 with
  // u' = (-u2, u1), so w . (P - O) = (alpha c1 + beta c2) / |u|^2 with
  // c1 = w . u and c2 = w . u', linear in (alpha, beta): its extremes over
  // the box lie at corners. Rounding: c1 and c2 within 2u |w|_1 |u|_1, each
  // product and the sum within u, the division by the rounded |u|^2 within
  // 3u more; 32u of the magnitudes covers them, and 2^-1000 / |u|^2 the
  // underflows.
  const double c1 = w1 * box.ux + w2 * box.uy;
  const double c2 = w2 * box.ux - w1 * box.uy;
  const double hi =
      (std::max(box.a_lo * c1, box.a_hi * c1) + std::max(box.b_lo * c2, box.b_hi * c2));
  const double lo =
      (std::min(box.a_lo * c1, box.a_hi * c1) + std::min(box.b_lo * c2, box.b_hi * c2));
  const double alpha = std::max(std::fabs(box.a_lo), std::fabs(box.a_hi));
  const double beta = std::max(std::fabs(box.b_lo), std::fabs(box.b_hi));
  const double err = kLinearSlack * ((alpha + beta) * (std::fabs(w1) + std::fabs(w2)) *
                                     (std::fabs(box.ux) + std::fabs(box.uy))) +
                     kUnderflow;
  return {(lo - err) / box.q, (hi + err) / box.q};
}

void PlanarBlocks::SetFrame(Box& box, double ox, double oy, Direction u) {
  box.ox = ox;
  box.oy = oy;
  box.ux = u.x;
  box.uy = u.y;
  box.q = u.x * u.x + u.y * u.y;
}

void PlanarBlocks::SetCorners(Box& box) {
  for (int k = 0; k < 4; ++k) {
    const double a = (k & 1) != 0 ? box.a_hi : box.a_lo;
    const double b = (k & 2) != 0 ? box.b_hi : box.b_lo;
    box.corner_x[k] = (a * box.ux - b * box.uy) / box.q;
    box.corner_y[k] = (a * box.uy + b * box.ux) / box.q;
  }
}

PlanarBlocks::PlanarBlocks(const std::vector<double>& x, const std::vector<double>& y,
                           const std::vector<char>& tame)
    : n_(static_cast<std::int64_t>(x.size())), slot_(n_) {
  const int levels = BlockLevels(n_);
  const std::size_t slots = slot_.Count();
  boxes_.resize(slots);
  boxed_.assign(slots, 0);
  representatives_.resize(slots * kRepresentatives);
  counts_.assign(slots, 0);
  for (int l = 1; l < levels; ++l) {
    for (std::int64_t m = 0; m < BlockCount(n_, l); ++m) {
      if (l == 1) {
        MeasureLeafPair(x, y, tame, {l, m});
      } else {
        JoinHalves(x, y, {l, m});
      }
    }
  }
}

void PlanarBlocks::MeasureLeafPair(const std::vector<double>& x, const std::vector<double>& y,
                                   const std::vector<char>& tame, Block b) {
  const std::int64_t begin = BlockBegin(b), end = BlockEnd(b, n_);
  std::int64_t tame_points[2 * kLeafPoints];
  std::size_t count = 0;
  for (std::int64_t k = begin; k < end; ++k) {
    if (tame[static_cast<std::size_t>(k)]) tame_points[count++] = k;
  }
  ChooseRepresentatives(x, y, {tame_points, count}, b);
  if (count != static_cast<std::size_t>(end - begin)) return;

  Box& box = boxes_[slot_(b)];
  const auto first = static_cast<std::size_t>(begin);
  double px[2 * kLeafPoints], py[2 * kLeafPoints];
  for (std::size_t k = 0; k < count; ++k) {
    px[k] = x[first + k] - x[first];
    py[k] = y[first + k] - y[first];
  }
  SetFrame(box, x[first], y[first], NarrowestDirection(px, py, count));
  double a_lo = HUGE_VAL, a_hi = -HUGE_VAL, b_lo = HUGE_VAL, b_hi = -HUGE_VAL, reach = 0.0;
  box.x_lo = box.y_lo = HUGE_VAL;
  box.x_hi = box.y_hi = -HUGE_VAL;
  for (std::int64_t k = begin; k < end; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const double v1 = x[i] - box.ox, v2 = y[i] - box.oy;
    const double alpha = v1 * box.ux + v2 * box.uy;
    const double beta = box.ux * v2 - box.uy * v1;
    a_lo = std::min(a_lo, alpha);
    a_hi = std::max(a_hi, alpha);
    b_lo = std::min(b_lo, beta);
    b_hi = std::max(b_hi, beta);
    reach = std::max(reach, std::fabs(v1) + std::fabs(v2));
    box.x_lo = std::min(box.x_lo, x[i]);
    box.x_hi = std::max(box.x_hi, x[i]);
    box.y_lo = std::min(box.y_lo, y[i]);
    box.y_hi = std::max(box.y_hi, y[i]);
  }
  // Each difference within u, each alpha and beta within 3u of the exact
  // value of the rounded differences: 8u of |v|_1 |u|_1 covers both.
  const double margin =
      kProductSlack * reach * (std::fabs(box.ux) + std::fabs(box.uy)) + kUnderflow;
  box.a_lo = a_lo - margin;
  box.a_hi = a_hi + margin;
  box.b_lo = b_lo - margin;
  box.b_hi = b_hi + margin;
  SetCorners(box);
  boxed_[slot_(b)] = 1;
}

void PlanarBlocks::JoinHalves(const std::vector<double>& x, const std::vector<double>& y, Block b) {
  const Block halves[2] = {ChildBlock(b, 0), ChildBlock(b, 1)};
  const int count = BlockBegin(halves[1]) < n_ ? 2 : 1;
  std::int64_t candidates[2 * kRepresentatives];
  std::size_t m = 0;
  bool boxed = true;
  for (int h = 0; h < count; ++h) {
    for (const std::int64_t r : Representatives(halves[h])) candidates[m++] = r;
    boxed = boxed && HasBox(halves[h]);
  }
  ChooseRepresentatives(x, y, {candidates, m}, b);
  if (!boxed) return;

  Box& box = boxes_[slot_(b)];
  const Box& left = BoxOf(halves[0]);
  if (count == 1) {
    box = left;
    boxed_[slot_(b)] = 1;
    return;
  }
  // Along the narrowest strip that holds the halves' boxes.
  double px[8], py[8];
  for (int h = 0; h < 2; ++h) {
    const Box& half = BoxOf(halves[h]);
    for (int k = 0; k < 4; ++k) {
      px[4 * h + k] = (half.ox - left.ox) + half.corner_x[k];
      py[4 * h + k] = (half.oy - left.oy) + half.corner_y[k];
    }
  }
  SetFrame(box, left.ox, left.oy, NarrowestDirection(px, py, 8));
  box.a_lo = box.b_lo = box.x_lo = box.y_lo = HUGE_VAL;
  box.a_hi = box.b_hi = box.x_hi = box.y_hi = -HUGE_VAL;
  const double u1 = std::fabs(box.ux) + std::fabs(box.uy);
  for (const Block half : halves) {
    const Box& h = BoxOf(half);
    // alpha = (O_h - O) . u + (P - O_h) . u, and likewise beta with
    // w = (-u2, u1); the first terms are rounded once more (8u of their
    // magnitudes covers them and their differences).
    const double d1 = h.ox - box.ox, d2 = h.oy - box.oy;
    const double shift = kProductSlack * (std::fabs(d1) + std::fabs(d2)) * u1 + kUnderflow;
    const Range along = Linear(h, box.ux, box.uy);
    const Range across = Linear(h, -box.uy, box.ux);
    const double a0 = d1 * box.ux + d2 * box.uy;
    const double b0 = box.ux * d2 - box.uy * d1;
    box.a_lo = std::min(box.a_lo, along.lo + a0 - shift);
    box.a_hi = std::max(box.a_hi, along.hi + a0 + shift);
    box.b_lo = std::min(box.b_lo, across.lo + b0 - shift);
    box.b_hi = std::max(box.b_hi, across.hi + b0 + shift);
    box.x_lo = std::min(box.x_lo, h.x_lo);
    box.x_hi = std::max(box.x_hi, h.x_hi);
    box.y_lo = std::min(box.y_lo, h.y_lo);
    box.y_hi = std::max(box.y_hi, h.y_hi);
  }
  SetCorners(box);
  boxed_[slot_(b)] = 1;
}

void PlanarBlocks::ChooseRepresentatives(const std::vector<double>& x, const std::vector<double>& y,
                                         std::span<const std::int64_t> points, Block b) {
  double px[2 * kRepresentatives > 2 * kLeafPoints ? 2 * kRepresentatives : 2 * kLeafPoints];
  double py[sizeof px / sizeof px[0]];
  for (std::size_t k = 0; k < points.size(); ++k) {
    px[k] = x[static_cast<std::size_t>(points[k])];
    py[k] = y[static_cast<std::size_t>(points[k])];
  }
  const std::size_t slot = slot_(b);
  counts_[slot] =
      oru::ChooseRepresentatives(points, {px, points.size()}, {py, points.size()}, kRepresentatives,
                                 representatives_.data() + slot * kRepresentatives);
}

}  // namespace oru
