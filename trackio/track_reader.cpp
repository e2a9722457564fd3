#include "trackio/track_reader.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "numbertext/c_number_scan.h"
#include "trackio/text_lines.h"

namespace oru {
namespace {

using cscan::Cursor;

// Characters of an "oru/kvl" line that take part in its parse.
constexpr std::size_t kOruWindow = 50;

Cursor CursorOver(std::string_view text) { return {text.data(), text.data() + text.size()}; }

// A whole number of degrees or minutes held in a double, as a 32-bit field.
// Out of range it gives INT32_MIN, the "integer indefinite" that a 32-bit
// x86 conversion produces, rather than undefined behaviour.
std::int32_t WholeToInt32(double whole) {
  if (whole >= -2147483648.0 && whole < 2147483648.0) return static_cast<std::int32_t>(whole);
  return std::numeric_limits<std::int32_t>::min();
}

// floor(v) for a finite v, to the bit (-0.0 stays -0.0), without the call
// to the C library that std::floor costs on x86-64 before SSE 4.1.
inline double Floor(double v) {
  constexpr double kAllIntegral = 4503599627370496.0;  // 2^52: from here on every double is whole
  if (!(std::fabs(v) < kAllIntegral)) return v;
  double t = static_cast<double>(static_cast<std::int64_t>(v));  // towards zero
  if (t > v) t -= 1.0;
  return std::copysign(t, v);
}

// Degrees, minutes and seconds of an unsigned decimal-degree value v, negated
// in the south or west.
void SplitDegrees(double v, bool negative, double& coordinate, std::int32_t& degrees,
                  std::int32_t& minutes, double& seconds) {
  const double whole_degrees = Floor(v);
  const double f = v - whole_degrees;
  const double minutes_real = 60.0 * f;
  const double whole_minutes = Floor(minutes_real);
  const double rest = (minutes_real - whole_minutes) * 60.0;
  if (negative) {
    coordinate = -v;
    degrees = WholeToInt32(-whole_degrees);
    minutes = WholeToInt32(-whole_minutes);
    seconds = -rest;
  } else {
    coordinate = v;
    degrees = WholeToInt32(whole_degrees);
    minutes = WholeToInt32(whole_minutes);
    seconds = rest;
  }
}

// The two letters of a coordinate, in either case.
inline bool IsHemisphereLetter(char c, char positive, char negative) {
  const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return upper == positive || upper == negative;
}

inline bool OruLine(std::string_view line, TrackStore& store, std::size_t i) {
  // The working text: the first 50 characters with a blank before every
  // E/e/W/w, so that a hemisphere letter ends the number before it. A NUL
  // ends the text as it ends a C string.
  char work[2 * kOruWindow];
  std::size_t length = 0;
  const std::size_t window = line.size() < kOruWindow ? line.size() : kOruWindow;
  for (std::size_t k = 0; k < window; ++k) {
    const char ch = line[k];
    if (ch == '\0') break;
    if (ch == 'E' || ch == 'e' || ch == 'W' || ch == 'w') work[length++] = ' ';
    work[length++] = ch;
  }
  Cursor c{work, work + length};
  // "%lf%c, %lf %c"
  double v1 = 0.0;
  double v2 = 0.0;
  char c1 = 0;
  char c2 = 0;
  if (!cscan::Double(c, v1) || !cscan::Char(c, c1) || !cscan::Literal(c, ',') ||
      !cscan::Double(c, v2)) {
    return false;
  }
  cscan::SkipSpace(c);
  if (!cscan::Char(c, c2)) return false;
  // The letter carries the sign: a minus sign as well would make the
  // selection, the three writers and the plot each take another position,
  // and any other letter names no hemisphere.
  if (std::signbit(v1) || std::signbit(v2) || !IsHemisphereLetter(c1, 'N', 'S') ||
      !IsHemisphereLetter(c2, 'E', 'W')) {
    return false;
  }

  store.lat_as_read[i] = v1;
  store.lat_hemisphere[i] = c1;
  store.lon_as_read[i] = v2;
  store.lon_hemisphere[i] = c2;
  SplitDegrees(v1, c1 == 'S' || c1 == 's', store.first[i], store.lat_degrees[i],
               store.lat_minutes[i], store.lat_seconds[i]);
  SplitDegrees(v2, c2 == 'W' || c2 == 'w', store.second[i], store.lon_degrees[i],
               store.lon_minutes[i], store.lon_seconds[i]);
  return true;
}

inline bool DmsLine(std::string_view line, TrackStore& store, std::size_t i) {
  // "%d %d %lf %d %d %lf"; the blanks of the pattern add nothing, since every
  // number conversion skips white space first.
  Cursor c = CursorOver(line);
  std::int32_t lat_d = 0;
  std::int32_t lat_m = 0;
  std::int32_t lon_d = 0;
  std::int32_t lon_m = 0;
  double lat_s = 0.0;
  double lon_s = 0.0;
  if (!cscan::Int(c, lat_d) || !cscan::Int(c, lat_m) || !cscan::Double(c, lat_s) ||
      !cscan::Int(c, lon_d) || !cscan::Int(c, lon_m) || !cscan::Double(c, lon_s)) {
    return false;
  }
  constexpr double kPerMinute = 1.0 / 60.0;
  constexpr double kPerSecond = 1.0 / 3600.0;
  const double lat = static_cast<double>(lat_d) + static_cast<double>(lat_m) * kPerMinute +
                     lat_s * kPerSecond;
  const double lon = static_cast<double>(lon_d) + static_cast<double>(lon_m) * kPerMinute +
                     lon_s * kPerSecond;
  store.lat_degrees[i] = lat_d;
  store.lat_minutes[i] = lat_m;
  store.lat_seconds[i] = lat_s;
  store.lon_degrees[i] = lon_d;
  store.lon_minutes[i] = lon_m;
  store.lon_seconds[i] = lon_s;
  store.first[i] = lat;
  store.second[i] = lon;
  store.lat_hemisphere[i] = lat > 0.0 ? 'N' : 'S';
  store.lon_hemisphere[i] = lon > 0.0 ? 'E' : 'W';
  return true;
}

inline bool XyLine(std::string_view line, TrackStore& store, std::size_t i) {
  // "%lf %lf"
  Cursor c = CursorOver(line);
  double x = 0.0;
  double y = 0.0;
  if (!cscan::Double(c, x) || !cscan::Double(c, y)) return false;
  store.first[i] = x;
  store.second[i] = y;
  return true;
}

// Walks the physical lines of `text` up to the first end mark, calling
// take(line, line_number) with each line's text (line end removed); take
// returns false to stop the walk at that line. Returns the number of lines
// taken.
template <typename Take>
std::int64_t WalkLines(std::string_view text, bool n_ends_data, Take&& take) {
  std::int64_t taken = 0;
  ForEachLine(text, [&](std::string_view line) {
    if (line.empty()) return false;                     // empty line
    if (n_ends_data && line.front() == 'N') return false;  // 'N' end mark
    if (!take(line, taken + 1)) return false;
    ++taken;
    return true;
  });
  return taken;
}

template <typename Parse>
ReadOutcome ReadWith(std::string_view text, bool n_ends_data, TrackStore& store, Parse parse) {
  ReadOutcome outcome;
  const std::size_t slots = store.size();
  outcome.points = WalkLines(text, n_ends_data, [&](std::string_view line, std::int64_t number) {
    const auto slot = static_cast<std::size_t>(number - 1);
    if (slot < slots && parse(line, store, slot)) return true;
    outcome.bad_line = number;
    return false;
  });
  return outcome;
}

}  // namespace

std::int64_t CountTrackLines(std::string_view text) {
  return WalkLines(text, true, [](std::string_view, std::int64_t) { return true; });
}

ReadOutcome ReadTrack(std::string_view text, InputFormat format, TrackStore& store) {
  switch (format) {
    case InputFormat::OruKvl:
      return ReadWith(text, false, store, OruLine);
    case InputFormat::AsciiDms:
      return ReadWith(text, true, store, DmsLine);
    case InputFormat::AsciiXY:
      return ReadWith(text, true, store, XyLine);
  }
  return {};
}

bool ParseOruLine(std::string_view line, TrackStore& store, std::size_t i) {
  return OruLine(line, store, i);
}

bool ParseDmsLine(std::string_view line, TrackStore& store, std::size_t i) {
  return DmsLine(line, store, i);
}

bool ParseXyLine(std::string_view line, TrackStore& store, std::size_t i) {
  return XyLine(line, store, i);
}

void StoreDegrees(TrackStore& store, std::size_t i, double lat, double lon) {
  const bool south = lat < 0.0;
  const bool west = lon < 0.0;
  store.lat_as_read[i] = std::fabs(lat);
  store.lat_hemisphere[i] = south ? 'S' : 'N';
  store.lon_as_read[i] = std::fabs(lon);
  store.lon_hemisphere[i] = west ? 'W' : 'E';
  SplitDegrees(store.lat_as_read[i], south, store.first[i], store.lat_degrees[i],
               store.lat_minutes[i], store.lat_seconds[i]);
  SplitDegrees(store.lon_as_read[i], west, store.second[i], store.lon_degrees[i],
               store.lon_minutes[i], store.lon_seconds[i]);
}

}  // namespace oru
