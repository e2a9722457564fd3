#include "track/planar_segment_measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "track/planar_measures.h"

namespace oru {
namespace {

struct NearTies {
  const char* name;
  double first, second;  // metres: near where the segment starts
  bool beyond_b;         // points far beyond B, else beside a long segment
};

class PrunedScan : public ::testing::TestWithParam<NearTies> {};

// Points whose deviations differ by less than the cheap score's rounding,
// where the pruning bound alone decides which are measured: 40 points 1 m
// +- 5e-12 m either side of a 1000 km slanted segment (the score's error is
// absolute there, a unit in the last place of |AB|), or 10000 km +- 1e-8 m
// beyond B of a 1 km one (relative, a unit in the last place of the
// deviation). The pruned scan must find the point and deviation of a plain
// scan of PlanarDeviation; it does not once either term of the bound's
// margin falls below the rounding it covers.
TEST_P(PrunedScan, FindsWhatThePlainScanFinds) {
  const NearTies& set = GetParam();
  std::mt19937_64 random(1234);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto either_side = [&](double x) { return x * (2.0 * unit(random) - 1.0); };
  for (int trial = 0; trial < 500; ++trial) {
    const double theta = 2.0 * std::numbers::pi * unit(random);
    const double c = std::cos(theta), s = std::sin(theta);
    const double length = set.beyond_b ? 1e3 : 1e6;
    std::vector<double> x = {set.first + 1e3 * unit(random)};
    std::vector<double> y = {set.second + 1e3 * unit(random)};
    const double b1 = x[0] + length * c, b2 = y[0] + length * s;
    for (int k = 0; k < 40; ++k) {
      if (set.beyond_b) {
        const double r = 1e7 + either_side(1e-8);
        const double phi = theta + either_side(1.0);
        x.push_back(b1 + r * std::cos(phi));
        y.push_back(b2 + r * std::sin(phi));
      } else {
        const double along = length * unit(random);
        const double off = (k % 2 == 0 ? 1.0 : -1.0) + either_side(5e-12);
        x.push_back(x[0] + along * c - off * s);
        y.push_back(y[0] + along * s + off * c);
      }
    }
    x.push_back(b1);
    y.push_back(b2);
    const std::size_t b = x.size() - 1;
    SegmentWinner expected{0.0, 1};
    for (std::size_t p = 1; p < b; ++p) {
      const double d = PlanarDeviation(x[0], y[0], x[b], y[b], x[p], y[p]);
      if (d > expected.deviation) expected = {d, static_cast<std::int64_t>(p)};
    }
    PlanarSegmentMeasure measure(x, y);
    const SegmentWinner got = measure.FarthestPoint(0, static_cast<std::int64_t>(b));
    ASSERT_EQ(got.index, expected.index) << "trial " << trial;
    ASSERT_EQ(got.deviation, expected.deviation) << "trial " << trial;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, PrunedScan,
    ::testing::Values(NearTies{"BesideALongSegment", 0.0, 0.0, false},
                      NearTies{"BesideALongSegmentInUtm", 4.5e5, 6.2e6, false},
                      NearTies{"BeyondB", 0.0, 0.0, true},
                      NearTies{"BeyondBInUtm", 4.5e5, 6.2e6, true},
                      NearTies{"BeyondBFarOut", 0x1p60, 0x1p59, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace oru
