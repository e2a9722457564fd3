#include "trackio/track_writer.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "numbertext/c_number_format.h"

namespace oru {
namespace {

// Room for the longest line of any format: at most two real numbers of
// unbounded magnitude, four 64-bit whole numbers, two letters and the
// separators.
constexpr std::size_t kLineBufferSize = 2 * cfmt::kFixedTextSize + 4 * 21 + 32;

// "%W.Plf" at p.
char* PutFixed(char* p, double value, int width, int precision) {
  std::size_t length = cfmt::FixedText(p, value, precision);
  const auto w = static_cast<std::size_t>(width);
  if (length < w) {
    std::memmove(p + (w - length), p, length);
    std::memset(p, ' ', w - length);
    length = w;
  }
  return p + length;
}

// "%d" at p.
char* PutInt(char* p, std::int64_t value) { return std::to_chars(p, p + 21, value).ptr; }

// Degrees, minutes and the seconds text of one "ASCII" angle, with the
// carry of seconds that round up to a whole minute.
struct AsciiAngle {
  std::int64_t degrees;
  std::int64_t minutes;
  char seconds[cfmt::kFixedTextSize];
  std::size_t seconds_length;
};

void PrepareAscii(std::int32_t degrees, std::int32_t minutes, double seconds, AsciiAngle& a) {
  a.degrees = degrees;
  a.minutes = minutes;
  a.seconds_length = cfmt::FixedText(a.seconds, seconds, 2);
  const std::string_view text(a.seconds, a.seconds_length);
  int carry = 0;
  if (std::fabs(seconds) < 60.0) {
    if (text == "60.00") carry = 1;
    if (text == "-60.00") carry = -1;
  }
  if (carry != 0) {
    a.minutes += carry;
    if (a.minutes == 60 || a.minutes == -60) {
      a.degrees += a.minutes / 60;
      a.minutes = 0;
    }
  }
  if (carry != 0 || text == "-0.00") {
    std::memcpy(a.seconds, "0.00", 4);
    a.seconds_length = 4;
  }
}

char* PutAscii(char* p, const AsciiAngle& a) {
  p = PutInt(p, a.degrees);
  *p++ = ' ';
  p = PutInt(p, a.minutes);
  *p++ = ' ';
  if (a.seconds_length < 9) {
    std::memset(p, ' ', 9 - a.seconds_length);
    p += 9 - a.seconds_length;
  }
  std::memcpy(p, a.seconds, a.seconds_length);
  return p + a.seconds_length;
}

// One "Kel" angle: D-M.HH with its carries. Magnitudes are taken in 64 bits,
// where the magnitude of INT32_MIN and one more degree still fit.
char* PutKel(char* p, std::int32_t degrees, std::int32_t minutes, double seconds) {
  std::int64_t d = degrees < 0 ? -std::int64_t{degrees} : std::int64_t{degrees};
  std::int64_t m = minutes < 0 ? -std::int64_t{minutes} : std::int64_t{minutes};
  double h = std::fabs(seconds) * 100.0 / 60.0;  // hundredths of a minute
  if (h >= 99.5) {  // would print as 100: one more minute
    h = 0.0;
    m += 1;
  }
  if (m == 60) {
    m = 0;
    d += 1;
  }
  p = PutInt(p, d);
  *p++ = '-';
  p = PutInt(p, m);
  *p++ = '.';
  // "%02.0lf": here 0 <= h < 99.5, so one or two digits (or "nan", which
  // is wider than the field).
  std::size_t length = cfmt::FixedText(p, h, 0);
  if (length < 2) {
    p[1] = p[0];
    p[0] = '0';
    length = 2;
  }
  return p + length;
}

void AppendLine(std::string& out, const char* line, const char* line_end) {
  out.append(line, static_cast<std::size_t>(line_end - line));
}

char* XyLine(char* p, const TrackStore& store, std::size_t i) {
  p = PutFixed(p, store.first[i], 10, 2);
  *p++ = ' ';
  p = PutFixed(p, store.second[i], 10, 2);
  *p++ = '\n';
  return p;
}

char* OruLine(char* p, const TrackStore& store, std::size_t i) {
  p = PutFixed(p, std::fabs(store.first[i]), 9, 6);
  *p++ = store.lat_hemisphere[i];
  *p++ = ',';
  p = PutFixed(p, std::fabs(store.second[i]), 10, 6);
  *p++ = store.lon_hemisphere[i];
  *p++ = '\n';
  return p;
}

char* AsciiLine(char* p, const TrackStore& store, std::size_t i) {
  AsciiAngle lat;
  AsciiAngle lon;
  PrepareAscii(store.lat_degrees[i], store.lat_minutes[i], store.lat_seconds[i], lat);
  PrepareAscii(store.lon_degrees[i], store.lon_minutes[i], store.lon_seconds[i], lon);
  p = PutAscii(p, lat);
  *p++ = ' ';
  p = PutAscii(p, lon);
  *p++ = '\n';
  return p;
}

char* KelLine(char* p, const TrackStore& store, std::size_t i) {
  p = PutKel(p, store.lat_degrees[i], store.lat_minutes[i], store.lat_seconds[i]);
  *p++ = store.lat_hemisphere[i];
  *p++ = ' ';  // "% d" before the (never negative) longitude degrees
  p = PutKel(p, store.lon_degrees[i], store.lon_minutes[i], store.lon_seconds[i]);
  *p++ = store.lon_hemisphere[i];
  *p++ = '\n';
  return p;
}

// Typical line lengths, to reserve the output once.
constexpr std::size_t kTypicalLine = 32;

template <typename Format>
void WriteWith(std::string& out, const TrackStore& store, std::span<const std::int64_t> selected,
               Format format) {
  out.reserve(out.size() + selected.size() * kTypicalLine);
  char line[kLineBufferSize];
  for (const std::int64_t number : selected) {
    assert(number >= 1 && static_cast<std::size_t>(number) <= store.size());
    AppendLine(out, line, format(line, store, static_cast<std::size_t>(number - 1)));
  }
}

}  // namespace

void WriteTrack(std::string& out, const TrackStore& store,
                std::span<const std::int64_t> selected, InputFormat input_format,
                OutputFormat output_format) {
  if (input_format == InputFormat::AsciiXY) {
    WriteWith(out, store, selected, XyLine);
    return;
  }
  switch (output_format) {
    case OutputFormat::OruKvl:
      WriteWith(out, store, selected, OruLine);
      return;
    case OutputFormat::Ascii:
      WriteWith(out, store, selected, AsciiLine);
      return;
    case OutputFormat::Kel:
      WriteWith(out, store, selected, KelLine);
      return;
  }
}

void AppendXyLine(std::string& out, const TrackStore& store, std::size_t i) {
  char line[kLineBufferSize];
  AppendLine(out, line, XyLine(line, store, i));
}

void AppendOruLine(std::string& out, const TrackStore& store, std::size_t i) {
  char line[kLineBufferSize];
  AppendLine(out, line, OruLine(line, store, i));
}

void AppendAsciiLine(std::string& out, const TrackStore& store, std::size_t i) {
  char line[kLineBufferSize];
  AppendLine(out, line, AsciiLine(line, store, i));
}

void AppendKelLine(std::string& out, const TrackStore& store, std::size_t i) {
  char line[kLineBufferSize];
  AppendLine(out, line, KelLine(line, store, i));
}

}  // namespace oru
