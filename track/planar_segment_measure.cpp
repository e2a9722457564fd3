#include "track/planar_segment_measure.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "track/planar_measures.h"
#include "track/planar_scores.h"

namespace oru {

// Why the cheap score may decide instead of PlanarDeviation
// ----------------------------------------------------------
// For a segment A-B and a point P let a = B - A, v = P - A (exact reals of the
// given doubles), u = 2^-53, and let D be PlanarDeviation's rounded result.
// The score s of P is computed with the same roundings PlanarDeviation uses
// for its branch test, so its kind is PlanarDeviation's branch:
//   end kind (a dot-product test fails): D = fl(sqrt(q)), q = min(qA, qB) as
//     PlanarEndDistance forms them; s = fl(q * L2), L2 = fl(|a|^2);
//   line kind (both tests pass): D = fl(sin(delta) * dAP); s = fl(c^2) with
//     c = fl(a1 v2 - a2 v1), the rounded cross product.
// With la = fl(sqrt(L2)), every coordinate of the segment finite and at most
// 2^200 in magnitude, and |a| >= 2^-200:
//     |D - sqrt(s)/la| <= K (sqrt(s)/la + la) + eta,   K = 2^-46, eta = 2^-320.
// End kind: sqrt(s)/la = sqrt(q)(1 +- 4u), plus 2^-537.5/la if q*L2 underflows.
// Line kind, assuming atan2 and sin within 4 ulp (glibc: 1 to 2):
//  1. A rounded difference turns a direction by at most u; atan2 adds 4 ulp
//     <= 2^-49; |alphaAB - alphaAP| rounds by <= 2^-51; the fold by <= 2^-52
//     plus 2.5e-16 for 2 pi's representation. So delta is within 4.7e-15 of
//     the true angle between a and v, and sin(delta) (4 ulp more) within
//     ds = 5.2e-15 of its sine.
//  2. dAP = |v|(1 +- 3u) +- 2^-537 (squares that underflow), and
//     h = |v| sin(angle) = |a x v| / |a| is the true distance from the line:
//     D = h(1 +- 5u) +- ds|v|(1 + 4u) +- 2^-536.
//  3. Both rounded dot products are >= 0, so the true ones are >= -4.01u|v||a|
//     and the foot of P lies within 4.01u(|v| + |a|) of the segment:
//     |v| <= (1 + 8.1u)|a| + (1 + 4.1u)h.
//  4. |c - a x v| <= 3.01u|a||v| + u|c| + 2^-1073 and la = |a|(1 +- 3.01u),
//     so |c|/la = h(1 +- 5u) +- 3.01u|v| +- 2^-873.
//  Together: |D - |c|/la| <= 6.7e-15 |c|/la + 5.6e-15 la + 2^-535, and
//  sqrt(s) = |c|(1 +- u) (or +- 2^-537.5 on underflow): within K, with a
//  factor two to spare; eta covers every underflow term.
// Hence lo(s) = sqrt(s)/la (1 - K) - K la - eta <= D <= hi(s) =
// sqrt(s)/la (1 + K) + K la + eta, both increasing in s. The segment's largest
// deviation is at least lo(s_max); a point with hi(s) < lo(s_max) cannot win,
// not even by a tie. Every other point (a contender) is measured exactly.
// The code evaluates lo and the inverse of hi with 2K in place of K: the
// extra K (relative, and absolute in la) exceeds the handful of roundings of
// these evaluations, so the computed threshold never prunes a point that the
// bound keeps. Coordinates within 2^200 and |a| >= 2^-200 also keep every
// product, square and score finite (below 2^806) and D never NaN.
namespace {

constexpr double kMargin = 0x1p-45;      // 2K
constexpr double kFloor = 0x1p-320;      // eta
constexpr double kTameLimit = 0x1p+200;  // largest coordinate magnitude
constexpr double kMinSquaredLength = 0x1p-400;

bool Tame(double x) { return std::fabs(x) <= kTameLimit; }  // false for NaN

// Score below which a point cannot reach the lower bound of the best score so
// far; -1 when every point is a contender.
double ContenderScore(double best_score, double la) {
  const double lower = std::sqrt(best_score) / la * (1.0 - kMargin) - kMargin * la - kFloor;
  const double x = lower - kMargin * la - kFloor;
  if (!(x > 0.0)) return -1.0;
  const double r = x * la * (1.0 - kMargin);
  return r * r * (1.0 - kMargin);
}

}  // namespace

PlanarSegmentMeasure::PlanarSegmentMeasure(std::vector<double> first, std::vector<double> second)
    : first_(std::move(first)), second_(std::move(second)) {
  if (first_.size() != second_.size()) {
    throw std::invalid_argument("coordinate sequences of different lengths");
  }
  std::int64_t wild = 0;
  for (std::size_t i = 0; i < first_.size(); ++i) {
    wild += static_cast<int>(!Tame(first_[i])) | static_cast<int>(!Tame(second_[i]));
  }
  if (wild == 0) return;
  wild_before_.assign(first_.size() + 1, 0);
  for (std::size_t i = 0; i < first_.size(); ++i) {
    const bool is_wild = !Tame(first_[i]) || !Tame(second_[i]);
    wild_before_[i + 1] = wild_before_[i] + (is_wild ? 1 : 0);
  }
}

double PlanarSegmentMeasure::SegmentLength(std::int64_t a, std::int64_t b) const {
  const auto i = static_cast<std::size_t>(a);
  const auto j = static_cast<std::size_t>(b);
  return PlanarSegmentLength(first_[i], second_[i], first_[j], second_[j]);
}

double PlanarSegmentMeasure::TrackLength() const {
  return PlanarLineLength(first_, second_, static_cast<std::int64_t>(first_.size()));
}

void PlanarSegmentMeasure::Prefetch(std::int64_t a, std::int64_t p, std::int64_t b) const {
  for (const std::int64_t i : {a, p, b}) {
    __builtin_prefetch(first_.data() + i);
    __builtin_prefetch(second_.data() + i);
  }
}

double PlanarSegmentMeasure::Deviation(std::int64_t a, std::int64_t b, std::int64_t p) const {
  const auto i = static_cast<std::size_t>(a);
  const auto j = static_cast<std::size_t>(b);
  const auto k = static_cast<std::size_t>(p);
  return PlanarDeviation(first_[i], second_[i], first_[j], second_[j], first_[k], second_[k]);
}

std::vector<double> PlanarSegmentMeasure::LineDeviations(std::span<const std::int64_t> selected) {
  std::vector<double> deviations(first_.size(), 0.0);
  ForEachPointOfLine(selected, 0, static_cast<std::int64_t>(first_.size()),
                     [&](std::int64_t a, std::int64_t b, std::int64_t p) {
                       Tick(kPollPoints);
                       deviations[static_cast<std::size_t>(p)] = Deviation(a, b, p);
                     });
  return deviations;
}

bool PlanarSegmentMeasure::BoundHolds(std::int64_t a, std::int64_t b) const {
  if (wild_before_.empty()) return true;
  return wild_before_[static_cast<std::size_t>(b) + 1] == wild_before_[static_cast<std::size_t>(a)];
}

SegmentWinner PlanarSegmentMeasure::FarthestPoint(std::int64_t a, std::int64_t b) {
  return BoundHolds(a, b) ? ScanBounded(a, b) : ScanExact(a, b);
}

SegmentWinner PlanarSegmentMeasure::ScanExact(std::int64_t a, std::int64_t b) {
  SegmentWinner winner{0.0, a + 1};
  for (std::int64_t p = a + 1; p < b; ++p) {
    Tick(kPollPoints);
    const double d = Deviation(a, b, p);
    if (d > winner.deviation) winner = {d, p};
  }
  return winner;
}

SegmentWinner PlanarSegmentMeasure::ScanBounded(std::int64_t a, std::int64_t b) {
  const double* x = first_.data();
  const double* y = second_.data();
  const SegmentFrame f = MakeSegmentFrame(x[a], y[a], x[b], y[b]);
  // End points closer than 2^-200, coincident ones among them (where the
  // deviation is a plain distance), lie outside the bound's range.
  if (!(f.l2 >= kMinSquaredLength)) return ScanExact(a, b);
  const double la = std::sqrt(f.l2);

  // Blocks of points are scored in one sweep; only a block whose best score
  // reaches the threshold is looked at point by point.
  contenders_.clear();
  double best_score = -1.0;
  double threshold = -1.0;
  for (std::int64_t start = a + 1; start < b; start += kBlock) {
    Tick(kPollPoints / kBlock);
    const auto m = static_cast<int>(std::min<std::int64_t>(kBlock, b - start));
    const double block_best = ScoreBlock(f, x + start, y + start, m, scores_.data());
    if (!(block_best >= threshold)) continue;
    if (block_best > best_score) {
      best_score = block_best;
      threshold = ContenderScore(best_score, la);
    }
    const int found = PositionsAtLeast(scores_.data(), m, threshold, positions_.data());
    for (int i = 0; i < found; ++i) {
      const auto k = static_cast<std::size_t>(positions_[static_cast<std::size_t>(i)]);
      contenders_.push_back({scores_[k], start + static_cast<std::int64_t>(k)});
    }
  }

  SegmentWinner winner{0.0, a + 1};
  for (const Contender& c : contenders_) {
    if (c.score < threshold) continue;
    const double d = Deviation(a, b, c.index);
    if (d > winner.deviation) winner = {d, c.index};
  }
  return winner;
}

}  // namespace oru
