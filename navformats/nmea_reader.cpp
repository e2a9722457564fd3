#include "navformats/nmea_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "numbertext/c_number_scan.h"
#include "navformats/civil_time.h"
#include "trackio/text_lines.h"

namespace oru {
namespace {

// The fields read, by sentence (NMEA 0183 4.10; field 0 is the address):
//
//   GGA  1 UTC time hhmmss.ss   2 latitude ddmm.mm   3 N/S
//        4 longitude dddmm.mm   5 E/W                6 quality, 0 = no fix
//   RMC  1 UTC time hhmmss.ss   2 status A/V          3 latitude ddmm.mm
//        4 N/S                  5 longitude dddmm.mm  6 E/W
//        9 UTC date ddmmyy
//   GLL  1 latitude ddmm.mm     2 N/S                 3 longitude dddmm.mm
//        4 E/W                  5 UTC time hhmmss.ss  6 status A/V
//
// GLL's time and status came with version 2.0; older logs end after field 4
// and their fixes count as valid. Fields after those listed are not read.
constexpr std::size_t kMaxFields = 24;
using Fields = std::array<std::string_view, kMaxFields>;

constexpr std::int64_t kHalfDayMs = 12LL * 3600 * 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Days of a month of the Gregorian calendar: a date such as 31 April or
// 29 February 2023 names no day, and is not read as the day after.
int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Splits `text` after its first character ('$' or '\') at its commas, up
// to a '*' or its end, into `fields` (n of them; beyond kMaxFields the rest
// is dropped). False when a character is not printable ASCII, or when a
// '*' is not followed by exactly two hexadecimal digits that are the
// exclusive or of the characters between the first and the '*'. One pass,
// since logs are long.
bool SplitVerified(std::string_view text, Fields& fields, std::size_t& n) {
  unsigned sum = 0;
  n = 0;
  std::size_t start = 1;
  std::size_t i = 1;
  for (; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (u == '*') break;
    if (u < 0x20 || u > 0x7e) return false;
    sum ^= u;
    if (u == ',') {
      if (n < kMaxFields) fields[n++] = text.substr(start, i - start);
      start = i + 1;
    }
  }
  if (n < kMaxFields) fields[n++] = text.substr(start, i - start);
  if (i == text.size()) return true;
  if (text.size() != i + 3) return false;
  const int high = HexValue(text[i + 1]);
  const int low = HexValue(text[i + 2]);
  return high >= 0 && low >= 0 && static_cast<unsigned>(high * 16 + low) == sum;
}

// "ddmm.mm" (latitude, max_degrees 90) or "dddmm.mm" (longitude, 180): at
// least three digits before an optional point and its decimals; minutes
// below 60. Signed degrees by the hemisphere letter (positive, negative),
// and the field's resolution: a unit of its last decimal, in minutes.
bool ReadAngle(std::string_view field, std::string_view letter, char positive, char negative,
               double max_degrees, double& degrees, double& resolution) {
  std::size_t whole = 0;
  while (whole < field.size() && IsDigit(field[whole])) ++whole;
  if (whole < 3) return false;
  if (whole < field.size()) {
    if (field[whole] != '.') return false;
    for (std::size_t i = whole + 1; i < field.size(); ++i) {
      if (!IsDigit(field[i])) return false;
    }
  }
  if (letter.size() != 1 || (letter[0] != positive && letter[0] != negative)) return false;
  cscan::Cursor cursor{field.data(), field.data() + field.size()};
  double value = 0.0;
  if (!cscan::Double(cursor, value) || cursor.p != cursor.end) return false;
  double whole_degrees = 0.0;
  for (std::size_t i = 0; i + 2 < whole; ++i) whole_degrees = whole_degrees * 10 + (field[i] - '0');
  const double minutes = value - whole_degrees * 100.0;
  const double v = whole_degrees + minutes / 60.0;
  if (!(minutes < 60.0 && v <= max_degrees)) return false;
  degrees = letter[0] == negative ? -v : v;
  resolution = 1.0;
  for (std::size_t i = whole + 1; i < field.size(); ++i) resolution /= 10.0;
  return true;
}

// "hhmmss" with optional decimals, to milliseconds of the day (decimals
// beyond the third are dropped); -1 for an empty field.
bool ReadTimeOfDay(std::string_view field, std::int64_t& ms) {
  ms = -1;
  if (field.empty()) return true;
  if (field.size() < 6) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    if (!IsDigit(field[i])) return false;
  }
  const int hh = (field[0] - '0') * 10 + (field[1] - '0');
  const int mm = (field[2] - '0') * 10 + (field[3] - '0');
  const int ss = (field[4] - '0') * 10 + (field[5] - '0');
  if (hh > 23 || mm > 59 || ss > 60) return false;  // 60: a leap second
  int millis = 0;
  if (field.size() > 6) {
    if (field[6] != '.') return false;
    int scale = 100;
    for (std::size_t i = 7; i < field.size(); ++i) {
      if (!IsDigit(field[i])) return false;
      millis += (field[i] - '0') * scale;
      scale /= 10;
    }
  }
  ms = ((hh * 60LL + mm) * 60 + ss) * 1000 + millis;
  return true;
}

// "ddmmyy" to days since 1970-01-01; kNoDay for an empty field. Two-digit
// years from 80 are 1980 to 1999, the others 2000 to 2079.
bool ReadDate(std::string_view field, std::int32_t& day) {
  day = kNoDay;
  if (field.empty()) return true;
  if (field.size() != 6) return false;
  for (const char c : field) {
    if (!IsDigit(c)) return false;
  }
  const int dd = (field[0] - '0') * 10 + (field[1] - '0');
  const int mo = (field[2] - '0') * 10 + (field[3] - '0');
  const int yy = (field[4] - '0') * 10 + (field[5] - '0');
  const int year = yy >= 80 ? 1900 + yy : 2000 + yy;
  if (mo < 1 || mo > 12 || dd < 1 || dd > DaysInMonth(year, mo)) return false;
  day = DaysFromCivil(year, mo, dd);
  return true;
}

// One fix as read from a sentence.
struct Fix {
  bool valid = false;  // a fix to take; false for a valid sentence without one
  double lat = 0.0;
  double lon = 0.0;
  double resolution = 0.0;    // minutes: the coarser of the two fields'
  std::int64_t tod = -1;      // milliseconds of the day, -1 unknown
  std::int32_t day = kNoDay;  // days since 1970 (RMC)
};

// The fix of a position sentence; false when the sentence does not read.
bool ReadPosition(std::string_view lat, std::string_view ns, std::string_view lon,
                  std::string_view ew, Fix& fix) {
  if (lat.empty() && lon.empty()) return true;  // no position: not a fix
  double lat_resolution = 0.0, lon_resolution = 0.0;
  fix.valid = ReadAngle(lat, ns, 'N', 'S', 90.0, fix.lat, lat_resolution) &&
              ReadAngle(lon, ew, 'E', 'W', 180.0, fix.lon, lon_resolution);
  fix.resolution = std::max(lat_resolution, lon_resolution);
  return fix.valid;
}

bool ReadGga(const Fields& f, std::size_t n, Fix& fix) {
  if (n < 7 || !ReadTimeOfDay(f[1], fix.tod)) return false;
  const std::string_view quality = f[6];
  if (quality.empty()) return true;
  for (const char c : quality) {
    if (!IsDigit(c)) return false;
  }
  if (quality.find_first_not_of('0') == std::string_view::npos) return true;
  return ReadPosition(f[2], f[3], f[4], f[5], fix);
}

bool ReadRmc(const Fields& f, std::size_t n, Fix& fix) {
  if (n < 10 || !ReadTimeOfDay(f[1], fix.tod) || !ReadDate(f[9], fix.day)) return false;
  if (f[2] == "V") return true;
  if (f[2] != "A") return false;
  return ReadPosition(f[3], f[4], f[5], f[6], fix);
}

bool ReadGll(const Fields& f, std::size_t n, Fix& fix) {
  if (n < 5) return false;
  if (n >= 6 && !ReadTimeOfDay(f[5], fix.tod)) return false;
  if (n >= 7) {
    if (f[6] == "V") return true;
    if (f[6] != "A") return false;
  }
  return ReadPosition(f[1], f[2], f[3], f[4], fix);
}

// A track while the log is read: positions, and per fix its time of day and
// date as far as known.
struct TrackState {
  std::string source;
  NavTrack track;
  std::vector<std::int64_t> tod;
  std::vector<std::int32_t> day;
  std::int32_t rmc_day = kNoDay;  // date and time of the last RMC with a date
  std::int64_t rmc_tod = -1;
  double last_resolution = 0.0;   // minutes, of the last fix taken
};

// Whether a fix tells the position of the track's last fix: the same
// coordinates at the precision of the coarser of the two sentences (GGA,
// RMC and GLL of one epoch may carry different numbers of decimals).
bool SamePlace(const TrackState& s, const Fix& fix) {
  const double half_unit = 0.5 * std::max(s.last_resolution, fix.resolution) + 1e-9;  // minutes
  return std::fabs(s.track.first.back() - fix.lat) * 60.0 <= half_unit &&
         std::fabs(s.track.second.back() - fix.lon) * 60.0 <= half_unit;
}

void Add(TrackState& s, const Fix& fix, std::int64_t line) {
  const bool dated = fix.day != kNoDay && fix.tod >= 0;
  if (dated) {
    s.rmc_day = fix.day;
    s.rmc_tod = fix.tod;
  }
  if (!s.tod.empty()) {
    const bool same_epoch = fix.tod >= 0 && s.tod.back() == fix.tod && SamePlace(s, fix);
    const bool same_place =
        fix.tod < 0 && s.track.first.back() == fix.lat && s.track.second.back() == fix.lon;
    if (same_epoch || same_place) {
      if (same_epoch && dated && s.day.back() == kNoDay) s.day.back() = fix.day;
      return;
    }
  }
  std::int32_t day = fix.day;
  if (day == kNoDay && fix.tod >= 0 && s.rmc_day != kNoDay) {
    day = s.rmc_day + (fix.tod + kHalfDayMs < s.rmc_tod ? 1 : 0);
  }
  if (s.tod.empty()) s.track.first_line = line;
  s.last_resolution = fix.resolution;
  s.track.first.push_back(fix.lat);
  s.track.second.push_back(fix.lon);
  s.tod.push_back(fix.tod);
  s.day.push_back(fix.tod >= 0 ? day : kNoDay);
}

// Dates for the fixes before a track's first RMC, from the next dated fix;
// then the times.
void FinishTimes(TrackState& s) {
  const std::size_t n = s.tod.size();
  std::int32_t next_day = kNoDay;
  std::int64_t next_tod = -1;
  bool any = false;
  for (std::size_t i = n; i-- > 0;) {
    if (s.day[i] != kNoDay) {
      next_day = s.day[i];
      next_tod = s.tod[i];
    } else if (s.tod[i] >= 0 && next_day != kNoDay) {
      s.day[i] = next_day - (s.tod[i] > next_tod + kHalfDayMs ? 1 : 0);
    }
    any = any || s.day[i] != kNoDay;
  }
  if (!any) return;
  s.track.times.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    s.track.times[i] = s.day[i] == kNoDay ? kNoTime : s.day[i] * kMsPerDay + s.tod[i];
  }
}

// A tag block "\s:source,...*hh\" before the sentence: its source, and the
// sentence after it; false when the block does not read.
bool SplitTagBlock(std::string_view& line, std::string_view& source) {
  source = {};
  if (line.empty() || line.front() != '\\') return true;
  const std::size_t close = line.find('\\', 1);
  if (close == std::string_view::npos) return false;
  Fields parameters;
  std::size_t n = 0;
  if (!SplitVerified(line.substr(0, close), parameters, n)) return false;
  line.remove_prefix(close + 1);
  for (std::size_t i = 0; i < n; ++i) {
    if (parameters[i].size() > 2 && parameters[i].substr(0, 2) == "s:") {
      source = parameters[i].substr(2);
    }
  }
  return true;
}

// Reads one line: false when it is not a valid sentence.
bool ReadSentence(std::string_view line, std::string_view& source, Fix& fix) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  if (!SplitTagBlock(line, source)) return false;
  Fields f;
  std::size_t n = 0;
  if (line.empty() || line.front() != '$' || !SplitVerified(line, f, n)) return false;
  const std::string_view address = f[0];
  if (address.size() != 5) return !address.empty() && address.front() == 'P';  // proprietary
  const std::string_view type = address.substr(2);
  if (type == "GGA") return ReadGga(f, n, fix);
  if (type == "RMC") return ReadRmc(f, n, fix);
  if (type == "GLL") return ReadGll(f, n, fix);
  return true;
}

}  // namespace

NavReadOutcome ReadNmeaTracks(std::string_view text) {
  NavReadOutcome outcome;
  std::vector<TrackState> states;
  std::size_t current = 0;  // the track of the last source, while it repeats
  std::int64_t line_number = 0;
  ForEachLine(text, [&](std::string_view line) {
    ++line_number;
    if (line.empty()) return true;
    std::string_view source;
    Fix fix;
    if (!ReadSentence(line, source, fix)) {
      ++outcome.lines_skipped;
      if (outcome.skipped_lines.size() < kSkippedLinesNamed) {
        outcome.skipped_lines.push_back(line_number);
      }
      return true;
    }
    if (!fix.valid) return true;
    if (states.empty() || states[current].source != source) {
      current = 0;
      while (current < states.size() && states[current].source != source) ++current;
      if (current == states.size()) {
        states.emplace_back();
        states.back().source = std::string(source);
      }
    }
    Add(states[current], fix, line_number);
    return true;
  });
  if (states.empty()) {
    outcome.error = "Input file empty.";
    return outcome;
  }
  for (TrackState& s : states) {
    FinishTimes(s);
    if (states.size() > 1 || !s.source.empty()) {
      s.track.label = s.source.empty() ? "no source given" : "source '" + s.source + "'";
    }
    outcome.tracks.push_back(std::move(s.track));
  }
  return outcome;
}

}  // namespace oru
