// The blocks' outlines hold every extreme point of their blocks: for any
// direction, the farthest point of a block along it is matched by a point of
// its outline, on every generated track shape (drift at anchor, loops,
// zig-zags, collinear runs, repeated points).
#include "track/planar_hulls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "track/tests/track_shapes.h"

namespace oru {
namespace {

// The largest w . P over the points, in long double.
long double Farthest(const std::vector<double>& x, const std::vector<double>& y,
                     const std::vector<std::int64_t>& points, long double w1, long double w2) {
  long double best = -HUGE_VALL;
  for (const std::int64_t k : points) {
    const auto i = static_cast<std::size_t>(k);
    best = std::max(best, w1 * x[i] + w2 * y[i]);
  }
  return best;
}

TEST(PlanarHulls, OutlinesHoldTheExtremePointsOfTheirBlocks) {
  std::int64_t outlined = 0;
  for (const testing::TrackShape& t : testing::PlaneBlockTracks()) {
    SCOPED_TRACE(t.name);
    const std::vector<double>& x = t.first;
    const std::vector<double>& y = t.second;
    const PlanarHulls hulls(x, y, testing::TamePoints(t));
    const auto n = static_cast<std::int64_t>(x.size());
    for (int l = 1; l < BlockLevels(n); ++l) {
      for (std::int64_t m = 0; m < BlockCount(n, l); ++m) {
        const Block b{l, m};
        const auto outline = hulls.Outline(b);
        if (outline.empty()) continue;
        ++outlined;
        std::vector<std::int64_t> points;
        for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, n); ++k) points.push_back(k);
        const std::vector<std::int64_t> kept(outline.begin(), outline.end());
        for (const std::int64_t k : kept) ASSERT_TRUE(k >= BlockBegin(b) && k < BlockEnd(b, n));
        long double scale = 0.0L;
        for (const std::int64_t k : points) {
          scale = std::max({scale, std::fabs(static_cast<long double>(x[static_cast<std::size_t>(k)])),
                            std::fabs(static_cast<long double>(y[static_cast<std::size_t>(k)]))});
        }
        for (int d = 0; d < 24; ++d) {
          const long double angle = d * 0.2617993877991494365L + 0.01L;  // 15 degrees apart
          const long double w1 = std::cos(angle), w2 = std::sin(angle);
          EXPECT_GE(Farthest(x, y, kept, w1, w2), Farthest(x, y, points, w1, w2) - 1e-15L * scale)
              << "block " << l << "/" << m << ", direction " << d;
        }
      }
    }
  }
  EXPECT_GT(outlined, 1000);  // the shapes give outlines to many blocks
}

}  // namespace
}  // namespace oru
