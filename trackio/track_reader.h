#pragma once

#include <cstdint>
#include <string_view>

#include "track/run_settings.h"
#include "track/track_store.h"

namespace oru {

// Reading of the three input track formats from the text of a file held in
// memory. A line is everything up to its line feed, however long; a carriage
// return right before the line feed (or at the very end of the file) belongs
// to the line end; line numbers are 1-based physical line numbers. The data
// end at the end of the file, at an empty line, or (for the DMS and X, Y
// formats) at a line beginning with an upper-case 'N'.

// Number of lines before the first end mark; a line beginning with 'N' is an
// end mark here whatever the format. Sizes the store.
std::int64_t CountTrackLines(std::string_view text);

struct ReadOutcome {
  std::int64_t points = 0;     // points read (0: the file holds none)
  std::int64_t bad_line = 0;   // 1-based line that could not be read, or 0
};

// Parses the lines into store slots 0, 1, 2 ... in file order. Stops at the
// first end mark, or at the first line that does not parse, which it reports
// without storing anything of it. A point line beyond the store's slots is
// reported as unreadable.
ReadOutcome ReadTrack(std::string_view text, InputFormat format, TrackStore& store);

// One line of each format (the line's text without its line end) into slot i.
// False when the line does not parse; the slot is then untouched.
bool ParseOruLine(std::string_view line, TrackStore& store, std::size_t i);
bool ParseDmsLine(std::string_view line, TrackStore& store, std::size_t i);
bool ParseXyLine(std::string_view line, TrackStore& store, std::size_t i);

}  // namespace oru
