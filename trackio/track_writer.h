#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "track/run_settings.h"
#include "track/track_store.h"

namespace oru {

// Appends one line per selected point (1-based point numbers, in list
// order) to `out`, each ended by a line feed. An X, Y track is written in
// plane coordinates whatever the output format.
//   plane:     "%10.2lf %10.2lf"
//   "oru/kvl": "%9.6lf%c,%10.6lf%c" (magnitudes and the stored letters)
//   "ASCII":   "%d %d %9.2lf %d %d %9.2lf", seconds that would print as
//              60.00 carried into the minutes (and minutes into degrees),
//              "-0.00" written "0.00"
//   "Kel":     "%d-%d.%02.0lf%c% d-%d.%02.0lf%c", hundredths of a minute
//              with their carries
void WriteTrack(std::string& out, const TrackStore& store,
                std::span<const std::int64_t> selected, InputFormat input_format,
                OutputFormat output_format);

// The line of store slot i in one format, line feed included.
void AppendXyLine(std::string& out, const TrackStore& store, std::size_t i);
void AppendOruLine(std::string& out, const TrackStore& store, std::size_t i);
void AppendAsciiLine(std::string& out, const TrackStore& store, std::size_t i);
void AppendKelLine(std::string& out, const TrackStore& store, std::size_t i);

}  // namespace oru
