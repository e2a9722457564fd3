#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "track/planar_segment_measure.h"
#include "track/shortcut_labels.h"
#include "track/shortcut_oracle.h"
#include "track/tests/optimal_reference.h"

namespace oru {
namespace {

// Weights given outright, for the labels' own reasoning: no directions
// (every end a candidate, every block bounded below by 0) and bounds of each
// weight drawn wide and lopsided about it, so that the ends' bounds overlap
// and the least lower bound often belongs to a heavier shortcut than the
// next. A shortcut of L points weighs `step` (L - 1) metres and up to
// `spread` more.
class GivenWeights final : public ShortcutOracle {
 public:
  GivenWeights(std::int64_t n, double step, double spread, double slop, unsigned seed)
      : n_(n),
        measure_(std::vector<double>(static_cast<std::size_t>(n), 0.0),
                 std::vector<double>(static_cast<std::size_t>(n), 0.0)),
        w_(Cells(), 0.0),
        lo_(Cells(), 0.0),
        hi_(Cells(), 0.0) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::int64_t i = 0; i < n; ++i) {
      for (std::int64_t j = i + 2; j < n; ++j) {
        const std::size_t c = Cell(i, j);
        w_[c] = step * static_cast<double>(j - i - 1) + spread * unit(random);
        lo_[c] = w_[c] - slop * unit(random);
        hi_[c] = w_[c] + slop * unit(random);
      }
    }
  }

  SegmentMeasure& Measure() override { return measure_; }
  std::int64_t Size() const override { return n_; }
  WeightAnswer Weight(std::int64_t i, std::int64_t j, double low, double high) override {
    return Classify(w_[Cell(i, j)], low, high);
  }
  void Open(std::int64_t i, double tolerance, bool /*keep_findings*/) override {
    start_ = i;
    tolerance_ = tolerance;
  }
  bool Directed() const override { return false; }
  void ConstrainByPoint(DirectionWedge& /*wedge*/, std::int64_t /*k*/) const override {}
  void ConstrainByBlock(DirectionWedge& /*wedge*/, Block /*b*/) const override {}
  std::int64_t WalkPoints(DirectionWedge& /*wedge*/, std::int64_t /*begin*/, std::int64_t end,
                          std::vector<std::int64_t>& /*ends*/) const override {
    return end;
  }
  bool EndMayBeValid(const DirectionWedge& /*before*/, std::int64_t /*k*/) const override {
    return true;
  }
  std::span<const std::int64_t> Unbounded() const override { return {}; }
  double EndsLower(Block /*b*/, const DirectionWedge& /*before*/) override { return 0.0; }
  double EndLower(std::int64_t /*j*/) override { return 0.0; }
  std::int64_t Findings() const override { return 0; }
  ShortcutBounds Bounds(std::int64_t j, double /*width*/, bool decide) override {
    using Validity = ShortcutBounds::Validity;
    const std::size_t c = Cell(start_, j);
    if (hi_[c] <= tolerance_) return {Validity::kValid, lo_[c], hi_[c]};
    if (lo_[c] > tolerance_) return {Validity::kInvalid, lo_[c], hi_[c]};
    if (!decide) return {Validity::kOpen, lo_[c], hi_[c]};
    const bool valid = w_[c] <= tolerance_;
    return {valid ? Validity::kValid : Validity::kInvalid, w_[c], w_[c]};
  }

 private:
  std::size_t Cells() const { return static_cast<std::size_t>(n_ * n_); }
  std::size_t Cell(std::int64_t i, std::int64_t j) const {
    return static_cast<std::size_t>(i * n_ + j);
  }

  std::int64_t n_;
  PlanarSegmentMeasure measure_;
  std::vector<double> w_, lo_, hi_;  // metres, n x n, row i
  std::int64_t start_ = 0;
  double tolerance_ = 0.0;
};

// The hops and exact worst of every start against a plain search, at a
// tolerance among the weights and a part in 10^9 above the lightest route's
// weight (where a route's heaviest shortcut lies close below the
// tolerance), for bounds from a 500th of the weights' spread to several
// shortcuts' wide; and weights of one length within 2 mm of each other,
// whose bounds interleave at the tolerance.
TEST(ShortcutLabeller, WorstsOfOverlappingBoundsAgreeWithAPlainSearch) {
  struct Row {
    double spread;  // metres: of the weights of shortcuts of one length
    double slop;    // metres: how far each bound lies from the weight, at most
    double tolerance;
  };
  const Row rows[] = {{0.05, 0.0001, 0.55}, {0.05, 0.01, 0.55},     {0.05, 0.05, 0.35},
                      {0.05, 0.3, 0.75},    {0.002, 0.001, 0.5015}, {0.002, 0.003, 0.5015}};
  constexpr std::int64_t kPoints = 90;
  for (const Row& row : rows) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
      GivenWeights given(kPoints, 0.1, row.spread, row.slop, seed);
      ShortcutLabeller labeller(given, nullptr);
      const double lightest = testing::PlainLabels(given, kPoints, row.tolerance).worst[0];
      for (const double d : {row.tolerance, lightest * (1.0 + 1e-9)}) {
        SCOPED_TRACE("spread " + std::to_string(row.spread) + " m, slop " +
                     std::to_string(row.slop) + " m, seed " + std::to_string(seed) + ", at " +
                     std::to_string(d) + " m");
        const auto [hops, worst] = testing::PlainLabels(given, kPoints, d);
        labeller.Label(d, /*with_worst=*/true);
        for (std::int64_t i = kPoints - 2; i >= 0; --i) {
          ASSERT_EQ(labeller.Hops(i), hops[static_cast<std::size_t>(i)]) << "point " << i;
          ASSERT_EQ(labeller.ExactWorst(i), worst[static_cast<std::size_t>(i)]) << "point " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace oru
