#pragma once

// Shared body of the track reader fuzz targets: the bytes are a whole input
// file, read as the processing run reads it (count, size the store, read),
// then written back in every output format; the bytes are also one line for
// the format's line parser, whose result must be the C library's sscanf
// result with the format's pattern (outside the deliberate refusals). Any
// crash, sanitizer report or broken invariant (std::abort) is a finding.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru::fuzz {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

inline void ReadWholeFile(std::string_view text, InputFormat format) {
  const std::int64_t count = CountTrackLines(text);
  Check(count >= 0 && static_cast<std::size_t>(count) <= text.size());
  TrackStore store(static_cast<std::size_t>(count));
  const ReadOutcome outcome = ReadTrack(text, format, store);
  Check(outcome.points >= 0 && outcome.points <= count);
  // A bad line is the line right after the last point read.
  Check(outcome.bad_line == 0 || outcome.bad_line == outcome.points + 1);

  std::vector<std::int64_t> selected;
  for (std::int64_t k = 1; k <= outcome.points; ++k) selected.push_back(k);
  for (const OutputFormat out : {OutputFormat::OruKvl, OutputFormat::Ascii, OutputFormat::Kel}) {
    std::string written;
    WriteTrack(written, store, selected, format, out);
    Check(outcome.points == 0 || (!written.empty() && written.back() == '\n'));
  }
  if (format == InputFormat::AsciiXY) {
    // Plane coordinates always read back, point for point.
    std::string written;
    WriteTrack(written, store, selected, format, OutputFormat::Ascii);
    TrackStore back(static_cast<std::size_t>(CountTrackLines(written)));
    const ReadOutcome again = ReadTrack(written, format, back);
    Check(again.points == outcome.points && again.bad_line == 0);
  }
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A "%lf" at `text` would read a hexadecimal number, which we refuse.
inline bool HexAt(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  if (*text == '+' || *text == '-') ++text;
  return text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// The line parser against sscanf with the format's real pattern; `line` is
// a C string (sscanf sees it up to its first NUL, and so must we).
inline void CompareWithSscanf(const std::string& line, InputFormat format) {
  TrackStore store(1);
  const char* const c = line.c_str();
  if (format == InputFormat::AsciiXY) {
    double x = 0, y = 0;
    int at_x = 0, at_y = 0;
    const bool glibc = std::sscanf(c, "%n%lf %n%lf", &at_x, &x, &at_y, &y) == 2;
    const bool refused = glibc && (!std::isfinite(x) || !std::isfinite(y) || HexAt(c + at_x) ||
                                   HexAt(c + at_y));
    const bool ours = ParseXyLine(line, store, 0);
    Check(ours == (glibc && !refused));
    if (ours) Check(SameBits(store.first[0], x) && SameBits(store.second[0], y));
  } else if (format == InputFormat::AsciiDms) {
    long d[4] = {};
    double s1 = 0, s2 = 0;
    int at_1 = 0, at_2 = 0;
    // %ld consumes what %d consumes, and shows the numbers beyond 32 bits.
    const bool glibc = std::sscanf(c, "%ld %ld %n%lf %ld %ld %n%lf", &d[0], &d[1], &at_1, &s1,
                                   &d[2], &d[3], &at_2, &s2) == 6;
    bool refused = glibc && (!std::isfinite(s1) || !std::isfinite(s2) || HexAt(c + at_1) ||
                             HexAt(c + at_2));
    for (const long v : d) refused = refused || v < INT_MIN || v > INT_MAX;
    const bool ours = ParseDmsLine(line, store, 0);
    Check(ours == (glibc && !refused));
    if (ours) {
      Check(store.lat_degrees[0] == d[0] && store.lat_minutes[0] == d[1] &&
            store.lon_degrees[0] == d[2] && store.lon_minutes[0] == d[3]);
      Check(SameBits(store.lat_seconds[0], s1) && SameBits(store.lon_seconds[0], s2));
    }
  } else {
    // The working text: the first 50 characters, a blank before E/e/W/w.
    std::string work;
    for (std::size_t k = 0; k < 50 && k < line.size(); ++k) {
      const char ch = line[k];
      if (ch == 'E' || ch == 'e' || ch == 'W' || ch == 'w') work += ' ';
      work += ch;
    }
    const char* const w = work.c_str();
    double v1 = 0, v2 = 0;
    char c1 = 0, c2 = 0;
    int at_1 = 0, at_2 = 0;
    const bool glibc = std::sscanf(w, "%n%lf%c, %n%lf %c", &at_1, &v1, &c1, &at_2, &v2, &c2) == 4;
    // Also refused: a minus sign beside a hemisphere letter, and letters
    // that name no hemisphere.
    const bool refused =
        glibc && (!std::isfinite(v1) || !std::isfinite(v2) || HexAt(w + at_1) ||
                  HexAt(w + at_2) || std::signbit(v1) || std::signbit(v2) || c1 == 0 ||
                  c2 == 0 || !std::strchr("NnSs", c1) || !std::strchr("EeWw", c2));
    const bool ours = ParseOruLine(line, store, 0);
    Check(ours == (glibc && !refused));
    if (ours) {
      Check(SameBits(store.lat_as_read[0], v1) && SameBits(store.lon_as_read[0], v2));
      Check(store.lat_hemisphere[0] == c1 && store.lon_hemisphere[0] == c2);
    }
  }
}

template <typename ParseLine>
int RunReaderFuzz(const std::uint8_t* data, std::size_t size, InputFormat format,
                  ParseLine parse_line) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ReadWholeFile(text, format);
  TrackStore one(1);
  parse_line(text, one, 0);
  // One line as the reader hands it over: up to the first line feed.
  CompareWithSscanf(std::string(text.substr(0, text.find('\n'))), format);
  return 0;
}

}  // namespace oru::fuzz
