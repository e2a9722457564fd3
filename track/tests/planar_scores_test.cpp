#include "track/planar_scores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace oru {
namespace {

// Every vector implementation this machine runs must give each point Score's
// result to the last bit, whatever the block length (full vectors and a
// scalar tail), with points beside the segment, beyond either end, on its
// line and on the end points themselves.
TEST(ScoreKernels, MatchTheScalarScoreBitForBit) {
  const ScoreKernels* kernels = nullptr;
  const int count = AvailableScoreKernels(&kernels);
  ASSERT_GE(count, 1);
  std::mt19937_64 random(77);
  std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
  for (int trial = 0; trial < 300; ++trial) {
    const double scale = std::ldexp(1.0, trial % 61 - 30);
    const SegmentFrame f = MakeSegmentFrame(coordinate(random) * scale, coordinate(random) * scale,
                                            coordinate(random) * scale, coordinate(random) * scale);
    const int m = trial % 37;
    std::vector<double> x(static_cast<std::size_t>(m)), y(static_cast<std::size_t>(m));
    for (int k = 0; k < m; ++k) {
      const auto i = static_cast<std::size_t>(k);
      switch (k % 5) {
        case 0:  // on the segment's line, inside or beyond it
          x[i] = f.a1 + (k - 8) * 0.1 * f.ab1;
          y[i] = f.a2 + (k - 8) * 0.1 * f.ab2;
          break;
        case 1:
          x[i] = f.a1;
          y[i] = f.a2;
          break;
        case 2:
          x[i] = f.b1;
          y[i] = f.b2;
          break;
        default:
          x[i] = coordinate(random) * scale;
          y[i] = coordinate(random) * scale;
      }
    }
    double largest = -1.0;
    for (int k = 0; k < m; ++k) {
      largest = std::max(largest,
                         Score(f, x[static_cast<std::size_t>(k)], y[static_cast<std::size_t>(k)]));
    }
    for (int kernel = 0; kernel < count; ++kernel) {
      SCOPED_TRACE(kernels[kernel].name);
      std::vector<double> scores(static_cast<std::size_t>(m), -7.0);
      const double best = kernels[kernel].score_block(f, x.data(), y.data(), m, scores.data());
      EXPECT_EQ(best, largest);
      for (int k = 0; k < m; ++k) {
        const auto i = static_cast<std::size_t>(k);
        ASSERT_EQ(scores[i], Score(f, x[i], y[i])) << "point " << k << " of " << m;
      }
    }
  }
}

TEST(ScoreKernels, FindEveryPositionAtOrAboveTheThreshold) {
  const ScoreKernels* kernels = nullptr;
  const int count = AvailableScoreKernels(&kernels);
  std::mt19937_64 random(5);
  std::uniform_int_distribution<int> level(0, 40);
  for (int trial = 0; trial < 200; ++trial) {
    const int m = trial % 71;
    std::vector<double> scores(static_cast<std::size_t>(m));
    for (double& s : scores) s = level(random);
    const double threshold = 35 + trial % 7;  // equal scores count as reached
    std::vector<int> expected;
    for (int k = 0; k < m; ++k) {
      if (scores[static_cast<std::size_t>(k)] >= threshold) expected.push_back(k);
    }
    for (int kernel = 0; kernel < count; ++kernel) {
      SCOPED_TRACE(kernels[kernel].name);
      std::vector<int> positions(static_cast<std::size_t>(m) + 1, -1);
      const int found =
          kernels[kernel].positions_at_least(scores.data(), m, threshold, positions.data());
      positions.resize(static_cast<std::size_t>(found));
      EXPECT_EQ(positions, expected);
    }
  }
}

}  // namespace
}  // namespace oru
