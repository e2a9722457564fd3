#include "track/planar_measures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace oru {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct DeviationRow {
  const char* name;
  double a1, a2, b1, b2, p1, p2;
  double expected;
  double tolerance;  // 0: exactly
};

class PlanarDeviationTable : public ::testing::TestWithParam<DeviationRow> {};

TEST_P(PlanarDeviationTable, Matches) {
  const DeviationRow& r = GetParam();
  SCOPED_TRACE(r.name);
  const double d = PlanarDeviation(r.a1, r.a2, r.b1, r.b2, r.p1, r.p2);
  if (std::isnan(r.expected)) {
    EXPECT_TRUE(std::isnan(d)) << d;
  } else if (r.tolerance == 0.0) {
    EXPECT_EQ(d, r.expected);
  } else {
    EXPECT_NEAR(d, r.expected, r.tolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlanarDeviationTable,
    ::testing::Values(
        DeviationRow{"P at A", 1, 2, 7, 9, 1, 2, 0.0, 0.0},
        DeviationRow{"P at B", 1, 2, 7, 9, 7, 9, 0.0, 0.0},
        DeviationRow{"degenerate segment: distance to A", 0, 0, 0, 0, 3, 4, 5.0, 0.0},
        DeviationRow{"degenerate segment, P at A", 2, 2, 2, 2, 2, 2, 0.0, 0.0},
        // The test point built at right angles to A->P sent this point to the
        // end distance sqrt(26).
        DeviationRow{"beside a segment along the second axis", 0, 0, 0, 10, 1, 5, 1.0, 1e-15},
        DeviationRow{"beside a diagonal segment", 0, 0, 10, 10, 6, 4, std::sqrt(2.0), 1e-15},
        // A segment with equal second coordinates never gave h before.
        DeviationRow{"beside a segment along the first axis", 0, 0, 10, 0, 5, 3, 3.0, 1e-15},
        DeviationRow{"below a segment along the first axis", 0, 0, 10, 0, 5, -3, 3.0, 1e-15},
        DeviationRow{"beyond A: distance to A", 0, 0, 10, 0, -3, 4, 5.0, 0.0},
        DeviationRow{"beyond B: distance to B", 0, 0, 10, 0, 13, 4, 5.0, 0.0},
        // Feet exactly on B or A (7-24-25, 5-12-13 and 3-4-5 triangles: the dot
        // products are exact zeros). Such a point lies between the
        // perpendiculars: its deviation is h = sin(delta) dAP, which on B's
        // perpendicular rounds off the end distance (50, 13, 5), so these rows
        // tell the branches apart; on A's, sin(delta) rounds to 1. The first is
        // point 3 of the track 0 0 / 3.5 12.25 / -41 38 / 7 24: as h rounds above
        // 50, --max-deviation 50 keeps all four points (the end distance, three).
        DeviationRow{"foot on B", 0, 0, 7, 24, -41, 38, 50.000000000000007, 0.0},
        DeviationRow{"foot on B, other side", 0, 0, 5, 12, 17, 7, 12.999999999999998, 0.0},
        DeviationRow{"foot on B, shifted", 100, -50, 103, -46, 107, -49, 5.0000000000000009, 0.0},
        DeviationRow{"foot on A", 0, 0, 5, 12, 12, -5, 13.0, 0.0},
        DeviationRow{"on the line beyond B", 0, 0, 10, 0, 20, 0, 10.0, 0.0},
        DeviationRow{"on the segment", -5, -5, 5, 5, 1, 1, 0.0, 1e-15},
        // Directions either side of the cut at +-pi: delta folds to 2pi - delta.
        // Through the arc tangents h carries a few units in the last place of
        // |AB| = 10; the tolerance is the engine's bound 2^-46 (h + |AB|).
        DeviationRow{"segment pointing down the second axis", 0, 0, 0.5, -10, -0.5, -5,
                     7.5 / std::sqrt(100.25), 0x1p-46 * 11},
        DeviationRow{"far from the origin", 6.5e6, 4.5e5, 6.5e6 + 100, 4.5e5, 6.5e6 + 50, 4.5e5 + 2,
                     2.0, 1e-9},
        DeviationRow{"NaN point", 0, 0, 10, 0, kNaN, 1, kNaN, 0.0},
        // A NaN end point A leaves the distance to B.
        DeviationRow{"NaN end point A", kNaN, 0, 0, 10, 3, 14, 5.0, 0.0},
        DeviationRow{"infinite end point", 0, 0, kInf, 0, 1, 1, 1.0, 1e-15},
        DeviationRow{"overflowing differences", -1e300, 0, 1e300, 0, 0, 1e300, kInf, 0.0}),
    [](const ::testing::TestParamInfo<DeviationRow>& info) {
      return "row" + std::to_string(info.index);
    });

// Against the textbook distance from a point to a segment, computed in long
// double: the distance from the line where the foot lies on the segment, the
// nearer end point elsewhere. The bound 2^-46 (h + |AB|) + 2^-320 is the one
// the engine ranks points by; it must hold near the line and near the end
// points as well as far from them, at every scale the engine uses it for
// (coordinates up to 2^200, segments down to 2^-200).
TEST(PlanarDeviation, AgreesWithTheSegmentDistanceWithinTheEngineBound) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> coordinate(-1000.0, 1000.0);
  std::uniform_real_distribution<double> along(-0.2, 1.2);
  std::uniform_real_distribution<double> exponent(-40.0, 3.0);
  std::uniform_int_distribution<int> binary_scale(-180, 180);
  for (int i = 0; i < 200000; ++i) {
    // Scaling by a power of two is exact: the same shapes, far from 1.
    const double scale = i % 4 == 0 ? std::ldexp(1.0, binary_scale(random)) : 1.0;
    const double a1 = coordinate(random) * scale, a2 = coordinate(random) * scale;
    const double b1 = coordinate(random) * scale, b2 = coordinate(random) * scale;
    // Points at every distance from the line, down to far below a metre's
    // rounding, and on both sides of both end perpendiculars.
    const double t = along(random);
    const double off = std::pow(10.0, exponent(random)) * (i % 2 == 0 ? 1.0 : -1.0) * scale;
    const long double ab1 = static_cast<long double>(b1) - a1;
    const long double ab2 = static_cast<long double>(b2) - a2;
    const long double len = std::sqrt(ab1 * ab1 + ab2 * ab2);
    const double p1 = static_cast<double>(a1 + t * ab1 - off * ab2 / len);
    const double p2 = static_cast<double>(a2 + t * ab2 + off * ab1 / len);

    const long double v1 = static_cast<long double>(p1) - a1,
                      v2 = static_cast<long double>(p2) - a2;
    const long double w1 = static_cast<long double>(p1) - b1,
                      w2 = static_cast<long double>(p2) - b2;
    const long double dot_a = v1 * ab1 + v2 * ab2;
    const long double dot_b = -(w1 * ab1 + w2 * ab2);
    const long double cross = std::fabs(ab1 * v2 - ab2 * v1) / len;
    const long double end = std::min(std::sqrt(v1 * v1 + v2 * v2), std::sqrt(w1 * w1 + w2 * w2));
    const double d = PlanarDeviation(a1, a2, b1, b2, p1, p2);
    // Within a rounding of the end perpendiculars either branch is right.
    const long double slack = 1e-12L * len;
    if (dot_a > slack && dot_b > slack) {
      const long double bound = 0x1p-46L * (cross + len) + 0x1p-320L;
      ASSERT_LE(std::fabs(d - cross), bound) << i;
    } else if (dot_a < -slack || dot_b < -slack) {
      ASSERT_NEAR(d, static_cast<double>(end), 1e-15 * static_cast<double>(end)) << i;
    }
  }
}

struct LengthRow {
  const char* name;
  std::vector<double> first, second;
  std::int64_t m;
  double expected;
};

class PlanarLineLengthTable : public ::testing::TestWithParam<LengthRow> {};

TEST_P(PlanarLineLengthTable, Matches) {
  const LengthRow& r = GetParam();
  EXPECT_EQ(PlanarLineLength(r.first, r.second, r.m), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlanarLineLengthTable,
    ::testing::Values(LengthRow{"no point", {}, {}, 0, 0.0},
                      LengthRow{"single point", {5}, {7}, 1, 0.0},
                      LengthRow{"two 3-4-5 legs", {0, 3, 6}, {0, 4, 8}, 3, 10.0},
                      LengthRow{"first m points only", {0, 3, 6}, {0, 4, 8}, 2, 5.0},
                      LengthRow{"m beyond the sequences", {0, 3}, {0, 4}, 9, 5.0},
                      LengthRow{"there and back", {0, 0, 0}, {0, 2, 0}, 3, 4.0}),
    [](const ::testing::TestParamInfo<LengthRow>& info) {
      return "row" + std::to_string(info.index);
    });

}  // namespace
}  // namespace oru
