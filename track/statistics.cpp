#include "track/statistics.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace oru {
namespace {

// A double's exact decimal expansion has at most 767 significant digits, so
// 800 digits after the point in scientific form are exact (trailing zeros
// beyond the expansion).
constexpr int kExactDigits = 800;

// Exponent notation of a value whose whole part needs more than `precision`
// digits: the exact decimal digits, cut to `precision` significant digits and
// rounded up when the first digit cut off is 5 or more (halves away from
// zero), then "d.ddd" "E" sign exponent.
std::string ExponentText(double value, int precision) {
  std::array<char, kExactDigits + 32> buffer{};
  const auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                    std::chars_format::scientific, kExactDigits);
  (void)error;  // the buffer holds any double at this precision
  // buffer: d '.' ddd...d 'e' sign exponent
  std::string digits;
  digits.reserve(static_cast<std::size_t>(precision) + 1);
  digits.push_back(buffer[0]);
  const char* p = buffer.data() + 2;
  while (static_cast<int>(digits.size()) < precision + 1) digits.push_back(*p++);
  const char* e = std::find(buffer.data(), end, 'e');
  int exponent = std::atoi(e + 1);

  const bool round_up = digits.back() >= '5';
  digits.pop_back();
  if (round_up) {
    int i = precision - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
      digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++digits[static_cast<std::size_t>(i)];
    } else {  // 9.99...9 rounded to 10.00...0
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    }
  }

  std::string text;
  if (value < 0.0) text.push_back('-');
  text.push_back(digits[0]);
  if (precision > 1) {
    text.push_back('.');
    text.append(digits, 1, std::string::npos);
  }
  text.push_back('E');
  text.push_back(exponent < 0 ? '-' : '+');
  text += std::to_string(std::abs(exponent));
  return text;
}

}  // namespace

double PointReduction(std::int64_t n, std::int64_t count) {
  if (n <= 0) return 0.0;
  return static_cast<double>(100 * (n - count) / n);
}

double LengthReduction(double full_length, double new_length) {
  // A track whose length prints as 0 m has nothing to reduce: the figure
  // would compare rounding noise (a few nanometres between identical
  // points on the ellipsoid). Equal lengths reduce by 0 also when they are
  // infinite, where the quotient would be a NaN.
  if (std::fabs(full_length) < kShortestPrintedLength || full_length == new_length) return 0.0;
  return (full_length - new_length) * 100.0 / full_length;
}

std::string FormatFixed(double value, int precision) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0.0 ? "-INF" : "INF";
  // Up to 18 digits a rounded whole number fits the 64-bit integer below.
  precision = std::clamp(precision, 1, 18);

  // std::round rounds the exact binary value to a whole number, halves away
  // from zero, without intermediate rounding.
  const double whole = std::round(value);
  double limit = 1.0;
  for (int i = 0; i < precision; ++i) limit *= 10.0;  // exact up to 10^22
  if (std::fabs(whole) < limit) {
    if (whole == 0.0) return "0";  // also for -0.4 and -0.0: never "-0"
    return std::to_string(static_cast<std::int64_t>(whole));
  }
  return ExponentText(value, precision);
}

StatisticsTexts FormatStatistics(const SelectionStatistics& figures) {
  StatisticsTexts texts;
  texts.max_deviation = FormatFixed(figures.largest_deviation, 7);
  texts.point_reduction = FormatFixed(PointReduction(figures.n, figures.count), 2);
  texts.points_before = std::to_string(figures.n);
  texts.points_after = std::to_string(figures.count);
  texts.length_reduction = FormatFixed(LengthReduction(figures.full_length, figures.new_length), 2);
  texts.length_before = FormatFixed(figures.full_length, 7);
  texts.length_after = FormatFixed(figures.new_length, 7);
  return texts;
}

StatisticsTexts PrefilledStatistics(std::int64_t n) {
  // The end points of the track; a track of one point has only one.
  const std::int64_t kept = std::min<std::int64_t>(n, 2);
  SelectionStatistics figures;
  figures.n = n;
  figures.count = kept;
  return FormatStatistics(figures);
}

std::string StatisticsRows(const StatisticsTexts& t) {
  return "The maximum distance of the original line to the new line is: " + t.max_deviation +
         " m.\n" + "The number of points has decreased with " + t.point_reduction + " % from " +
         t.points_before + " to " + t.points_after + "\n" +
         "The length of the line has decreased  with " + t.length_reduction + " % from " +
         t.length_before + " m. to " + t.length_after + " m.\n";
}

}  // namespace oru
