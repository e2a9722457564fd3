#pragma once

#include <cstdint>
#include <string>

namespace oru {

// The figures that a selection reports after an iteration.
struct SelectionStatistics {
  // Metres: the largest deviation of any point not selected from its segment
  // of the simplified line, that is the largest distance of the original line
  // to the new one; 0.0 when every point is selected. NaN deviations never
  // count.
  double largest_deviation = 0.0;
  std::int64_t n = 0;              // points in the track
  std::int64_t count = 0;          // points selected so far
  double full_length = 0.0;        // metres: length of the whole track
  double new_length = 0.0;         // metres: length of the simplified line
  std::int64_t last_selected = 0;  // point number added last; 0 when none was added
  // Metres: the deviation of the point added last from the line as it stood
  // before (0.0 when none was added, and for the last remaining point).
  double added_deviation = 0.0;
};

// The seven texts of the statistics rows, as the main window and the batch
// command show them.
struct StatisticsTexts {
  std::string max_deviation;     // Edit2
  std::string point_reduction;   // Edit3, percent
  std::string points_before;     // Edit4
  std::string points_after;      // Edit5
  std::string length_reduction;  // Edit6, percent
  std::string length_before;     // Edit7, metres
  std::string length_after;      // Edit8, metres
};

// Point reduction: 100 (n - count) / n in 64-bit integers, truncated.
double PointReduction(std::int64_t n, std::int64_t count);
// Length reduction (full - new) 100 / full; 0 for a track whose length
// prints as 0 m (shorter than half a metre, since lengths print rounded to
// whole metres) and for equal lengths (also two infinite ones).
double LengthReduction(double full_length, double new_length);
inline constexpr double kShortestPrintedLength = 0.5;  // metres

StatisticsTexts FormatStatistics(const SelectionStatistics& figures);

// The three statistics rows of the main window as text, labels and values
// joined by single blanks, each ended by a line feed:
//   The maximum distance of the original line to the new line is: 4 m.
//   The number of points has decreased with 98 % from 1290 to 25
//   The length of the line has decreased  with 0 % from 5819 m. to 5792 m.
std::string StatisticsRows(const StatisticsTexts& texts);
// What the window shows before the engine starts: only the end points kept.
StatisticsTexts PrefilledStatistics(std::int64_t n);

// Fixed notation with `precision` significant digits and no decimals: the
// exact binary value rounded once to a whole number, halves away from zero;
// when that needs more than `precision` digits, exponent notation with a
// mantissa of `precision` significant digits ("1.0E+2", "1.234568E+8").
// A result that rounds to zero is "0", never "-0"; NaN and infinities give
// "NAN", "INF" and "-INF".
std::string FormatFixed(double value, int precision);

}  // namespace oru
