#pragma once

#include <ostream>
#include <string>

#include "run/pipeline.h"

namespace oru {

// oru-cli's report of a run of GIS and navigation files, or of many files:
// in input order, the statistics of each track (three rows under the
// heading "FILE, PLACE:", and a fourth when --max-waypoints capped it; or
// with `json` one object a line with "file" and "track" keys,
// "lines_skipped" for NMEA logs, "capped", and "route_file" or "track_file"
// for tracks written to files of their own), then their total unless no
// file was written. Failures, layers left out, features not thinned and the
// lines of NMEA logs passed over go to `err`, one line each, and with
// `summary` a last line names the files that failed. Returns the exit
// status: 0 when every file was written, 1 when any failed, 2 when every
// failure was a usage error, 130 (a shell's status for SIGINT) when a stop
// ended the run.
// oru-cli's text of the error of `file` (CommandLineText), after the
// input's name unless it names the file itself ("Input file a.gpx could
// not be opened. ...", "Not enough memory to read a.nmea.").
std::string FileErrorText(const FileReport& file);

int PrintRunReport(const PipelineOutcome& outcome, bool json, SelectionMethod method,
                   bool summary, std::ostream& out, std::ostream& err);

}  // namespace oru
