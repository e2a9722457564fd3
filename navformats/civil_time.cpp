#include "navformats/civil_time.h"

#include <cstdio>

namespace oru {
namespace {

// Floor division, so that times before 1970 fall on the day before.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// The inverse of DaysFromCivil, same method.
void CivilFromDays(std::int64_t z, std::int64_t& year, unsigned& month, unsigned& day) {
  z += 719468;  // days from 0000-03-01 to 1970-01-01
  const std::int64_t era = FloorDiv(z, 146097);
  const auto doe = static_cast<unsigned>(z - era * 146097);                    // [0, 146096]
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const unsigned mp = (5 * doy + 2) / 153;                                     // March = 0
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::int32_t DaysFromCivil(std::int32_t year, std::int32_t month, std::int32_t day) {
  const std::int32_t y = year - (month <= 2 ? 1 : 0);
  const std::int32_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);                        // [0, 399]
  const unsigned mp = static_cast<unsigned>(month > 2 ? month - 3 : month + 9);  // March = 0
  const unsigned doy = (153 * mp + 2) / 5 + static_cast<unsigned>(day) - 1;      // [0, 365]
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;                   // [0, 146096]
  return era * 146097 + static_cast<std::int32_t>(doe) - 719468;
}

std::string IsoUtcTime(std::int64_t ms_since_1970) {
  const std::int64_t days = FloorDiv(ms_since_1970, kMsPerDay);
  const std::int64_t ms = ms_since_1970 - days * kMsPerDay;
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, year, month, day);
  const auto s = static_cast<int>(ms / 1000);
  char text[48];
  int n = std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d",
                        static_cast<long long>(year), month, day, s / 3600, s / 60 % 60, s % 60);
  if (ms % 1000 != 0) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ".%03d",
                       static_cast<int>(ms % 1000));
  }
  return std::string(text, static_cast<std::size_t>(n)) + "Z";
}

}  // namespace oru
