// The formatter against glibc's own snprintf (the tests run in the "C"
// locale): byte-identical texts for every width and precision the track
// files use and more, on rounding ties, huge, tiny and non-finite values.
#include "numbertext/c_number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace oru::cfmt {
namespace {

std::string Printf(const char* pattern, int width, int precision, double value) {
  std::vector<char> buffer(2048);
  const int length = std::snprintf(buffer.data(), buffer.size(), pattern, width, precision, value);
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string Describe(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.25e", value);
  return buffer;
}

std::string OursFixed(double value, int width, int precision) {
  std::string out = "<";  // appends, never overwrites
  Fixed(out, value, width, precision);
  return out.substr(1);
}

std::string OursZeroPadded(double value, int width, int precision) {
  std::string out;
  FixedZeroPadded(out, value, width, precision);
  return out;
}

struct Shape {
  int width;
  int precision;
};

// The patterns of the track files (10.2, 9.6, 10.6, 9.2, 02.0) and the edges
// of the short path (17 and 18 decimals), the stack buffer (40, 41) and wide
// fields.
const Shape kShapes[] = {{10, 2}, {9, 6}, {10, 6}, {9, 2},  {2, 0},  {0, 0},  {0, 1},
                         {0, 2},  {5, 3}, {0, 17}, {0, 18}, {0, 25}, {0, 40}, {0, 41},
                         {0, 60}, {30, 5}};

void ExpectLikePrintf(double value) {
  for (const Shape& s : kShapes) {
    ASSERT_EQ(OursFixed(value, s.width, s.precision), Printf("%*.*f", s.width, s.precision, value))
        << "value " << Describe(value) << " width " << s.width << " precision "
        << s.precision;
    ASSERT_EQ(OursZeroPadded(value, s.width, s.precision),
              Printf("%0*.*f", s.width, s.precision, value))
        << "value " << Describe(value) << " zero-padded width " << s.width
        << " precision " << s.precision;
    if (s.precision <= kMaxTextPrecision) {
      char buffer[kFixedTextSize];
      const std::size_t length = FixedText(buffer, value, s.precision);
      ASSERT_EQ(std::string(buffer, length), Printf("%*.*f", 0, s.precision, value))
          << "value " << Describe(value);
    }
  }
}

TEST(FormatFixed, RoundingTiesAndEdgesMatchPrintf) {
  const double values[] = {
      // Exact binary ties: half to even at the last decimal.
      0.125, 0.375, 0.625, 2.5, 3.5, 0.5, 1.5, -0.5, -2.5, 1.0 / 1024, 1.0 / 2048, 59.995,
      59.994999999999997, 59.99999999999957, 99.5, 98.5, 0.045, 1.005, 9.995, 99.995, 999.995,
      // Signs and zeros: "-0.00" for -0.0 and for negatives that round to 0.
      0.0, -0.0, -0.001, -0.004999, 0.004999, -0.005, 1e-300, -1e-300, 5e-324, -5e-324,
      2.2250738585072014e-308,
      // Large values: the exact integer digits of the binary value.
      1e15, 1e16, 1e17, 1e19, 1e22, 1e23, 1e300, -1e300, 9007199254740993.0, 4611686018427387904.0,
      9223372036854775807.0, 18446744073709551616.0, 184467440737095516.16, 1844674407370955161.6,
      DBL_MAX, -DBL_MAX,
      // Track values.
      52.123456, 4.567890, 512.3, 97.5, -4.3, 24.44, 4.40, 99999.995, 1234567.005,
      // Non-finite values.
      std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
  for (const double value : values) ExpectLikePrintf(value);
}

TEST(FormatFixed, PowersOfTwoAreTiesAtEveryPrecisionLikePrintf) {
  // 2^-k has k decimals: at k-1 decimals it is an exact tie.
  for (int k = -80; k <= 80; ++k) {
    ExpectLikePrintf(std::ldexp(1.0, k));
    ExpectLikePrintf(std::ldexp(3.0, k));
    ExpectLikePrintf(-std::ldexp(5.0, k));
  }
}

TEST(FormatFixed, GeneratedValuesMatchPrintf) {
  std::mt19937_64 random(99);
  for (int k = 0; k < 5000; ++k) {
    // Every bit pattern, so every exponent, subnormals and NaN payloads.
    const std::uint64_t bits = random();
    double any = 0.0;
    std::memcpy(&any, &bits, sizeof any);
    ExpectLikePrintf(any);
    // Values of the sizes that tracks hold, near decimal ties.
    const double scale = std::ldexp(1.0, static_cast<int>(random() % 40) - 10);
    const double near = std::round(static_cast<double>(random() % 100000000) / 8.0) / 1000.0 * scale;
    ExpectLikePrintf(near);
    ExpectLikePrintf(std::nextafter(near, 0.0));
    ExpectLikePrintf(-std::nextafter(near, INFINITY));
    if (HasFatalFailure()) return;
  }
}

TEST(FormatInt, MatchesPrintf) {
  const std::int64_t values[] = {0,         1,          -1,         52,          -52,
                                 2147483647, -2147483648, 2147483648, -2147483649,
                                 std::numeric_limits<std::int64_t>::max(),
                                 std::numeric_limits<std::int64_t>::min()};
  for (const std::int64_t v : values) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%lld", static_cast<long long>(v));
    std::string out;
    Int(out, v);
    EXPECT_EQ(out, expected);
    std::snprintf(expected, sizeof expected, "% lld", static_cast<long long>(v));
    out.clear();
    Int(out, v, true);
    EXPECT_EQ(out, expected);
  }
}

}  // namespace
}  // namespace oru::cfmt
