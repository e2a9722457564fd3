#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "track/run_settings.h"
#include "track/track_store.h"

namespace oru {

// Reading of the three input track formats from the text of a file held in
// memory. Numbers are read as the C library's sscanf reads them in the "C"
// locale (the point is the decimal separator whatever the locale), except
// that "nan", "inf", hexadecimal numbers, numbers too large for a double and
// whole numbers outside the 32-bit range make a line unreadable.
//
// Lines: a line ends at a line feed, a CR LF pair or a lone carriage return
// (trackio/text_lines.h), however long it is, so LF, CR LF and CR files read
// alike. Line numbers are 1-based
// physical line numbers. A NUL byte ends the text of its line that the
// patterns see, as it ends a C string.
//
// End marks: the data end at the end of the file, at an empty line, or (for
// the DMS and X, Y formats, and always when counting) at a line whose first
// character is an upper-case 'N'. Whatever follows an end mark is ignored. A
// line of blanks is not empty: it is parsed and fails.

// Number of lines before the first end mark; a line beginning with 'N' is an
// end mark here whatever the format. Sizes the store.
std::int64_t CountTrackLines(std::string_view text);

struct ReadOutcome {
  std::int64_t points = 0;    // points read and stored (0: the file holds none)
  std::int64_t bad_line = 0;  // 1-based line that could not be read, or 0
};

// Parses the lines into store slots 0, 1, 2 ... in file order. Stops at the
// first end mark, or at the first line that does not parse, which it reports
// without storing anything of it. A point line beyond the store's slots is
// reported as unreadable, so a store sized by CountTrackLines is never
// outgrown: an "oru/kvl" line beginning with 'N' ends the count but not the
// reading, and is then reported.
ReadOutcome ReadTrack(std::string_view text, InputFormat format, TrackStore& store);

// One line of each format (the line's text without its line end) into slot
// i < store.size(). False when the line does not parse; the slot is then
// untouched.
//
// "oru/kvl", "%lf%c, %lf %c" on the line's first 50 characters with a blank
// put before every 'E', 'e', 'W' and 'w' (so a number cannot carry an
// exponent, and "4.5E" reads as 4.5 and 'E'): unsigned decimal degrees and
// hemisphere letters, stored as read. The latitude letter is N or S, the
// longitude letter E or W, in either case; 'S'/'s' and 'W'/'w' make the
// signed coordinate negative. A minus sign on either number (the letter
// gives the sign) or any other letter makes the line unreadable. Degrees,
// minutes and seconds follow from the value v by floors: degrees floor(v),
// minutes floor(60 f) with f = v - floor(v), seconds the rest times 60; all
// three negated in the south and west. A whole part outside the 32-bit range
// is stored as INT32_MIN, the value a 32-bit x86 conversion gives.
bool ParseOruLine(std::string_view line, TrackStore& store, std::size_t i);
// "ASCII Lat, Lon [DMS]", "%d %d %lf %d %d %lf": degrees, minutes, seconds of
// latitude and longitude, each with its own sign. The signed coordinates are
// degrees + minutes * (1/60) + seconds * (1/3600); the hemisphere letters
// are 'N'/'E' when the coordinate is above 0, else 'S'/'W' (0 gives 'S', 'W').
bool ParseDmsLine(std::string_view line, TrackStore& store, std::size_t i);
// "ASCII  X, Y        [m]", "%lf %lf": X and Y in metres.
bool ParseXyLine(std::string_view line, TrackStore& store, std::size_t i);

// Plane coordinates (X, Y in metres) that a run can measure: within
// +-1e12 m a double holds a coordinate to better than 0.2 mm (its spacing
// there is 2^-13 m), and the squares and sums of coordinate differences in
// the deviation and length measures stay finite, which they do not for
// 1e300. 1e12 m is seven times the distance to the sun: no survey lies
// beyond. False for NaN too.
inline bool PlaneCoordinateInRange(double v) { return v >= -1e12 && v <= 1e12; }

// Slot i < store.size() as an "oru/kvl" line of the signed latitude and
// longitude (degrees, north and east positive) fills it: the magnitudes with
// the letters 'N' or 'S' (below 0) and 'E' or 'W', and the degrees, minutes
// and seconds split from them. For tracks of other formats written in the
// survey text formats.
void StoreDegrees(TrackStore& store, std::size_t i, double lat, double lon);

}  // namespace oru
