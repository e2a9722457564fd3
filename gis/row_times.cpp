#include "gis/row_times.h"

#include <chrono>
#include <cmath>
#include <string>

#include "numbertext/c_number_scan.h"

namespace oru {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && cscan::IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && cscan::IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Exactly `count` decimal digits at the front of `text`, consumed.
bool TakeDigits(std::string_view& text, int count, int& value) {
  if (text.size() < static_cast<std::size_t>(count)) return false;
  value = 0;
  for (int i = 0; i < count; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  text.remove_prefix(static_cast<std::size_t>(count));
  return true;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

// "Z", "+hh:mm", "+hhmm", "+hh" or their "-" forms: seconds east of UTC.
bool TakeZone(std::string_view& text, std::int64_t& offset) {
  offset = 0;
  if (text.empty()) return true;
  if (text == "Z" || text == "z") {
    text = {};
    return true;
  }
  const int sign = text.front() == '+' ? 1 : text.front() == '-' ? -1 : 0;
  if (sign == 0) return false;
  text.remove_prefix(1);
  int hours = 0;
  int minutes = 0;
  if (!TakeDigits(text, 2, hours)) return false;
  if (!text.empty()) {
    TakeChar(text, ':');
    if (!TakeDigits(text, 2, minutes)) return false;
  }
  if (!(hours <= 23 && minutes <= 59)) return false;
  offset = sign * (hours * 3600 + minutes * 60);
  return true;
}

std::optional<RowTime> ParseDateTime(std::string_view text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!(TakeDigits(text, 4, year) && TakeChar(text, '-') && TakeDigits(text, 2, month) &&
        TakeChar(text, '-') && TakeDigits(text, 2, day))) {
    return std::nullopt;
  }
  std::int64_t fraction_ns = 0;
  if (!text.empty() && (text.front() == 'T' || text.front() == 't' || text.front() == ' ')) {
    text.remove_prefix(1);
    if (!(TakeDigits(text, 2, hour) && TakeChar(text, ':') && TakeDigits(text, 2, minute))) {
      return std::nullopt;
    }
    if (TakeChar(text, ':')) {
      if (!TakeDigits(text, 2, second)) return std::nullopt;
      if (TakeChar(text, '.')) {
        std::int64_t scale = kNsPerSecond;
        int digits = 0;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
          scale /= 10;  // 0 after nine digits: the rest is cut off
          fraction_ns += (text.front() - '0') * scale;
          text.remove_prefix(1);
          ++digits;
        }
        if (digits == 0) return std::nullopt;
      }
    }
  }
  std::int64_t offset = 0;
  if (!TakeZone(text, offset) || !text.empty()) return std::nullopt;
  using namespace std::chrono;
  const year_month_day date{std::chrono::year(year),
                            std::chrono::month(static_cast<unsigned>(month)),
                            std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok() || !(year >= 1678 && year <= 2261) ||
      !(hour <= 23 && minute <= 59 && second <= 59)) {
    return std::nullopt;
  }
  const std::int64_t days = sys_days(date).time_since_epoch().count();
  const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second - offset;
  RowTime time;
  time.date_time = true;
  time.ns = seconds * kNsPerSecond + fraction_ns;
  return time;
}

std::optional<double> ParseNumber(std::string_view text) {
  const std::string copy(text);  // the scanner stops at a NUL: no NUL inside counts
  cscan::Cursor cursor{copy.c_str(), copy.c_str() + copy.size()};
  double value = 0.0;
  if (!cscan::Double(cursor, value) || cursor.p != cursor.end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<RowTime> ParseRowTime(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return std::nullopt;
  if (auto time = ParseDateTime(text)) return time;
  const std::optional<double> number = ParseNumber(text);
  if (!number) return std::nullopt;
  RowTime time;
  time.number = *number;
  return time;
}

std::optional<std::int64_t> ParseDuration(std::string_view text) {
  text = Trimmed(text);
  struct Unit {
    std::string_view name;
    double seconds;
  };
  constexpr Unit kUnits[] = {{"min", 60.0}, {"s", 1.0}, {"h", 3600.0}, {"d", 86400.0}};
  double seconds_per_unit = 1.0;
  for (const Unit& unit : kUnits) {
    if (text.ends_with(unit.name)) {
      text.remove_suffix(unit.name.size());
      seconds_per_unit = unit.seconds;
      break;
    }
  }
  text = Trimmed(text);
  if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) {
    return std::nullopt;
  }
  const std::optional<double> number = ParseNumber(text);
  constexpr double kHundredYears = 100.0 * 366.0 * 86400.0;
  if (!number || !(*number > 0.0) || !(*number * seconds_per_unit <= kHundredYears)) {
    return std::nullopt;
  }
  const auto ns = static_cast<std::int64_t>(std::llround(*number * seconds_per_unit * 1e9));
  if (ns <= 0) return std::nullopt;
  return ns;
}

}  // namespace oru
