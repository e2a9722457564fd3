// The blocks' boxes hold every point of their blocks, whatever the frame
// they are kept in, on every generated track shape (huge, tiny and
// far-off coordinates among them); and the frames follow the narrowest strip
// of the points, so that a zig-zag's boxes are about as wide as its teeth.
#include "track/planar_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "track/convex_hull.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

struct StripCase {
  const char* name;
  std::vector<double> x, y;
  double along_x, along_y;  // the expected direction, any length
};

// Teeth of height `tip` and depth `foot` across a line at `angle`
// (radians), 6 m apart along it: its tips on one straight edge, its feet on
// another.
StripCase Teeth(const char* name, double angle, double tip, double foot, int count) {
  StripCase c{name, {}, {}, std::cos(angle), std::sin(angle)};
  for (int k = 0; k < count; ++k) {
    const double along = 6.0 * k, across = k % 2 == 0 ? tip : -foot;
    c.x.push_back(along * std::cos(angle) - across * std::sin(angle));
    c.y.push_back(along * std::sin(angle) + across * std::cos(angle));
  }
  return c;
}

TEST(NarrowestDirection, FollowsTheNarrowestStripOfThePoints) {
  std::vector<StripCase> cases = {
      Teeth("zig-zag along x, tip first, foot last", 0.0, 20.0, 8.0, 16),
      Teeth("zig-zag at 30 degrees", 0.5235987755982988, 20.0, 8.0, 16),
      Teeth("zig-zag at -100 degrees, odd count", -1.7453292519943295, 3.0, 1.0, 15),
      {"collinear along y", {0.0, 0.0, 0.0, 0.0}, {0.0, 2.5, 5.0, 7.5}, 0.0, 1.0},
      {"one point repeated", {4.0, 4.0, 4.0}, {-1.0, -1.0, -1.0}, 1.0, 0.0},
      {"a rectangle 10 by 1 turned by atan(3/4)",
       {0.0, 8.0, 7.4, -0.6},
       {0.0, 6.0, 6.8, 0.8},
       4.0,
       3.0},
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Direction u = NarrowestDirection(c.x.data(), c.y.data(), c.x.size());
    EXPECT_EQ(std::max(std::fabs(u.x), std::fabs(u.y)), 1.0);
    const double norm = std::hypot(c.along_x, c.along_y);
    EXPECT_NEAR((u.x * c.along_y - u.y * c.along_x) / norm, 0.0, 1e-12);
  }
}

// The width of the narrowest strip that holds block b's points, among
// directions 0.1 degrees apart.
long double NarrowestSpread(const std::vector<double>& x, const std::vector<double>& y, Block b,
                            std::int64_t n) {
  long double narrowest = HUGE_VALL;
  for (int d = 0; d < 1800; ++d) {
    const long double angle = d * 3.14159265358979323846L / 1800;
    const long double w1 = -std::sin(angle), w2 = std::cos(angle);
    long double lo = HUGE_VALL, hi = -HUGE_VALL;
    for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, n); ++k) {
      const auto i = static_cast<std::size_t>(k);
      lo = std::min(lo, w1 * x[i] + w2 * y[i]);
      hi = std::max(hi, w1 * x[i] + w2 * y[i]);
    }
    narrowest = std::min(narrowest, hi - lo);
  }
  return narrowest;
}

TEST(PlanarBlocks, BoxesHoldTheirPointsAndAZigZagsBoxesFitItsTeeth) {
  std::int64_t boxed = 0;
  for (const testing::TrackShape& t : testing::PlaneBlockTracks()) {
    SCOPED_TRACE(t.name);
    const std::vector<double>& x = t.first;
    const std::vector<double>& y = t.second;
    const PlanarBlocks blocks(x, y, testing::TamePoints(t));
    const auto n = static_cast<std::int64_t>(x.size());
    const bool zig_zag = t.name == "zig-zag of changing amplitude";
    for (int l = 1; l < BlockLevels(n); ++l) {
      for (std::int64_t m = 0; m < BlockCount(n, l); ++m) {
        const Block b{l, m};
        if (!blocks.HasBox(b)) continue;
        ++boxed;
        const PlanarBlocks::Box& box = blocks.BoxOf(b);
        for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, n); ++k) {
          const auto i = static_cast<std::size_t>(k);
          const long double v1 = static_cast<long double>(x[i]) - box.ox;
          const long double v2 = static_cast<long double>(y[i]) - box.oy;
          const long double alpha = v1 * box.ux + v2 * box.uy;
          const long double beta = box.ux * v2 - box.uy * v1;
          ASSERT_TRUE(box.a_lo <= alpha && alpha <= box.a_hi && box.b_lo <= beta &&
                      beta <= box.b_hi)
              << "block " << l << "/" << m << ", point " << k;
        }
        // Across its frame, a zig-zag's box is nearly as narrow as the
        // narrowest strip that holds the block's points (found among
        // directions 0.1 degrees apart); a box along a chord from a tip to a
        // foot would be twice as wide.
        if (zig_zag) {
          EXPECT_LE((box.b_hi - box.b_lo) / std::sqrt(box.q), 1.25L * NarrowestSpread(x, y, b, n))
              << "block " << l << "/" << m;
        }
      }
    }
  }
  EXPECT_GT(boxed, 1000);
}

}  // namespace
}  // namespace oru
