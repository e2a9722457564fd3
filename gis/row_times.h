#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace oru {

// The time of a point row, as a CSV column of fixes gives it: a date-time
// or a plain number.
struct RowTime {
  bool date_time = false;
  // Date-times: nanoseconds since 1970-01-01T00:00:00 UTC (pandas' int64
  // "datetime64[ns]" value of the same text read with utc=True).
  std::int64_t ns = 0;
  // Numbers: the number itself (Unix seconds, say), as strtod reads it.
  double number = 0.0;
};

// Reads a time, blanks around it ignored:
//   - an ISO 8601 date-time "YYYY-MM-DD[(T| )hh:mm[:ss[.fraction]]][zone]",
//     zone "Z" or "+hh:mm", "+hhmm", "+hh" (or "-"); without a zone the
//     time is taken as UTC. Fractions beyond nanoseconds are cut off; years
//     1678 to 2261 (the range of 64-bit nanoseconds, as pandas');
//   - a decimal number with an optional sign, point and exponent, finite.
// Nothing for empty text and for anything else (a day 30 of February,
// 24:00, a leap second 60, a comma for the point).
std::optional<RowTime> ParseRowTime(std::string_view text);

// Reads a duration: a number above zero with a unit, "90s", "30min",
// "1.5h", "2d" (a blank between them allowed), or without one, seconds.
// Returns nanoseconds, rounded to the nearest; nothing for anything else
// (no digits, zero or negative, an unknown unit, more than 100 years).
std::optional<std::int64_t> ParseDuration(std::string_view text);

}  // namespace oru
