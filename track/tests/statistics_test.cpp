#include "track/deviation_quality.h"
#include "track/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace oru {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct FixedRow {
  double value;
  int precision;
  const char* text;
};

class FormatFixedTable : public ::testing::TestWithParam<FixedRow> {};

TEST_P(FormatFixedTable, Writes) {
  const FixedRow& r = GetParam();
  EXPECT_EQ(FormatFixed(r.value, r.precision), r.text) << r.value << " at " << r.precision;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatFixedTable,
    ::testing::Values(
        FixedRow{0.0, 7, "0"}, FixedRow{0.4, 7, "0"}, FixedRow{0.5, 7, "1"},
        // Never "-0".
        FixedRow{-0.4, 7, "0"}, FixedRow{-0.0, 2, "0"}, FixedRow{-1e-300, 7, "0"},
        // Halves away from zero, not to even.
        FixedRow{-0.5, 7, "-1"}, FixedRow{2.5, 7, "3"}, FixedRow{-2.5, 7, "-3"},
        FixedRow{66.5, 2, "67"},
        // The double just below 0.5: adding 0.5 and truncating gives 1.
        FixedRow{0.49999999999999994, 7, "0"},
        FixedRow{66.666666666666671, 2, "67"}, FixedRow{99.4, 2, "99"},
        // A whole part of more digits than the precision: exponent form.
        FixedRow{99.5, 2, "1.0E+2"}, FixedRow{100.0, 2, "1.0E+2"}, FixedRow{-100.0, 2, "-1.0E+2"},
        FixedRow{125.0, 2, "1.3E+2"}, FixedRow{134.9, 2, "1.3E+2"},
        FixedRow{9999999.4, 7, "9999999"}, FixedRow{9999999.5, 7, "1.000000E+7"},
        FixedRow{1234567.5, 7, "1234568"}, FixedRow{123456789.0, 7, "1.234568E+8"},
        FixedRow{-123456789.0, 7, "-1.234568E+8"},
        // A tie at the eighth digit rounds away from zero (to even would give
        // 1.234566E+7).
        FixedRow{12345665.0, 7, "1.234567E+7"},
        // 12345665 - 2^-29: just below the tie.
        FixedRow{12345664.999999998, 7, "1.234566E+7"},
        FixedRow{1e300, 7, "1.000000E+300"}, FixedRow{1.7976931348623157e308, 7, "1.797693E+308"},
        FixedRow{kNaN, 7, "NAN"}, FixedRow{kInf, 7, "INF"}, FixedRow{-kInf, 2, "-INF"}));

TEST(PointReduction, TruncatesTowardZero) {
  EXPECT_EQ(PointReduction(9, 3), 66.0);
  EXPECT_EQ(PointReduction(100, 10), 90.0);
  EXPECT_EQ(PointReduction(3, 3), 0.0);
  EXPECT_EQ(PointReduction(7, 2), 71.0);
}

TEST(LengthReduction, IsZeroWhereTheQuotientIsNot) {
  EXPECT_EQ(LengthReduction(0.0, 0.0), 0.0);
  EXPECT_EQ(LengthReduction(kInf, kInf), 0.0);
  EXPECT_DOUBLE_EQ(LengthReduction(300.0, 100.0), 200.0 / 3.0);
  EXPECT_EQ(LengthReduction(5.0, 5.0), 0.0);
  // Identical points measured on the ellipsoid gave "33 % from 0 m. to 0 m.":
  // a length that prints as 0 reduces by 0; from half a metre on it prints 1.
  EXPECT_EQ(LengthReduction(3e-9, 2e-9), 0.0);
  EXPECT_EQ(LengthReduction(-0.49, 0.2), 0.0);
  EXPECT_EQ(FormatFixed(0.499999, 7), "0");
  EXPECT_EQ(LengthReduction(0.5, 0.25), 50.0);
}

// Mean, root mean square and the nearest-rank 95th percentile, the k-th
// smallest of n with k = ceil(95 n / 100): the rows straddle the ranks where
// k steps (n = 20 gives the 19th, n = 21 the 20th), and n = 11 and 12 are
// where rounding 95 n / 100 to nearest would take one rank lower.
TEST(SummariseDeviations, MeanRmsAndNearestRank) {
  auto ramp = [](int n) {
    std::vector<double> v;
    for (int i = n; i >= 1; --i) v.push_back(i);  // out of order on purpose
    return v;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    std::vector<double> deviations;
    double mean, rms, p95;
  };
  // The sum of squares of 1..n is n (n + 1) (2 n + 1) / 6.
  for (const Row& r : {Row{{}, 0.0, 0.0, 0.0}, Row{{3.0}, 3.0, 3.0, 3.0},
                       Row{{0.0, 0.0, 3.0, 4.0}, 1.75, 2.5, 4.0},
                       Row{ramp(11), 6.0, std::sqrt(506.0 / 11.0), 11.0},
                       Row{ramp(12), 6.5, std::sqrt(650.0 / 12.0), 12.0},
                       Row{ramp(20), 10.5, std::sqrt(2870.0 / 20.0), 19.0},
                       Row{ramp(21), 11.0, std::sqrt(3311.0 / 21.0), 20.0}}) {
    const DeviationQuality q = SummariseDeviations(r.deviations);
    EXPECT_EQ(q.mean, r.mean) << r.deviations.size();
    EXPECT_EQ(q.rms, r.rms) << r.deviations.size();
    EXPECT_EQ(q.p95, r.p95) << r.deviations.size();
  }
  // A NaN deviation spoils the mean and the rms and ranks above every number.
  const DeviationQuality q = SummariseDeviations({1.0, nan, 2.0});
  EXPECT_TRUE(std::isnan(q.mean) && std::isnan(q.rms) && std::isnan(q.p95));
  std::vector<double> nan_first = ramp(21);
  nan_first.insert(nan_first.begin(), nan);
  EXPECT_EQ(SummariseDeviations(nan_first).p95, 21.0);
}

}  // namespace
}  // namespace oru
