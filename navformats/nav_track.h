#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "track/run_settings.h"

namespace oru {

// How many of the lines passed over a reader names by number: enough to
// find the kind of fault in an editor, few enough for a message.
inline constexpr std::size_t kSkippedLinesNamed = 5;

// A time that a format does not give.
inline constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();

// One track of a navigation file (NMEA 0183 log, UKOOA P1/90 file), in file
// order of its positions.
struct NavTrack {
  // What sets the track apart from the file's others, for messages and
  // statistics ("line 'L1001', centre of source, vessel 1, source 2");
  // empty when the file holds a single track that needs no name.
  std::string label;
  bool geographic = true;                  // false: grid easting, northing
  DatumChoice datum = DatumChoice::Wgs84;  // of geographic positions
  // Latitude and longitude in degrees (north and east positive), or grid
  // easting and northing in metres.
  std::vector<double> first;
  std::vector<double> second;
  // UTC milliseconds since 1970-01-01 per position, kNoTime where the file
  // gives no date or time; empty when the format gives none at all.
  std::vector<std::int64_t> times;
  std::int64_t first_line = 0;  // 1-based line of the track's first position
};

struct NavReadOutcome {
  std::vector<NavTrack> tracks;  // in order of their first position
  // Lines that are not valid sentences or records and were passed over,
  // and the numbers (1-based) of the first kSkippedLinesNamed of them.
  std::int64_t lines_skipped = 0;
  std::vector<std::int64_t> skipped_lines;
  // Why the file cannot be thinned, naming the line ("Line 12: ..."); empty
  // when it can. A file without a single position says "Input file empty.".
  std::string error;
};

}  // namespace oru
