#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace oru {

// Dates as days since 1970-01-01 in the proleptic Gregorian calendar, and
// UTC times as milliseconds since then, without leap seconds (as POSIX
// time counts them).
inline constexpr std::int32_t kNoDay = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of year, month (1-12) and day (1-31), by the era
// arithmetic of H. Hinnant, "chrono-Compatible Low-Level Date Algorithms"
// (2013): years counted from March, so that the leap day ends a year, in
// eras of 400 years (146097 days).
std::int32_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day);

// "2024-05-01T12:35:19Z", with ".250" before the Z when the milliseconds
// are not 0: ISO 8601 as xsd:dateTime writes it.
std::string IsoUtcTime(std::int64_t ms_since_1970);

}  // namespace oru
