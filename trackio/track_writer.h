#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "track/run_settings.h"
#include "track/track_store.h"

namespace oru {

// Appends one line per selected point (1-based point numbers, each in
// 1..store.size(), in list order) to `out`, each ended by a line feed. An
// X, Y track is written in plane coordinates whatever the output format.
// Numbers are written as the C library's printf writes them in the "C"
// locale (the point is the decimal separator whatever the locale).
void WriteTrack(std::string& out, const TrackStore& store,
                std::span<const std::int64_t> selected, InputFormat input_format,
                OutputFormat output_format);

// The line of store slot i in one format, line feed included.
//
// Plane coordinates, "%10.2lf %10.2lf": X and Y in metres.
void AppendXyLine(std::string& out, const TrackStore& store, std::size_t i);
// "oru/kvl", "%9.6lf%c,%10.6lf%c": the magnitudes of the signed latitude and
// longitude in decimal degrees, each followed by its stored hemisphere letter.
void AppendOruLine(std::string& out, const TrackStore& store, std::size_t i);
// "ASCII", "%d %d %9.2lf %d %d %9.2lf": degrees, minutes and seconds of
// latitude and longitude as stored (south and west have all three negative).
// Seconds below 60 in magnitude that would print as 60.00 (or -60.00) are
// written 0.00 and carried into the minutes, and minutes that reach 60 (or
// -60) by that carry into the degrees, so that the text reads back as a valid
// angle; seconds that would print as -0.00 are written 0.00. Values that the
// input itself gave (75 seconds, 60 minutes) are written as they are.
void AppendAsciiLine(std::string& out, const TrackStore& store, std::size_t i);
// "Kel", "%d-%d.%02.0lf%c% d-%d.%02.0lf%c": magnitudes of degrees and minutes
// with the seconds as hundredths of a minute, H = S * 100 / 60, and the
// stored hemisphere letter. H >= 99.5 is carried: H = 0 and one more minute;
// 60 minutes (carried or stored) become one more degree. The longitude
// degrees are always preceded by a blank.
void AppendKelLine(std::string& out, const TrackStore& store, std::size_t i);

}  // namespace oru
