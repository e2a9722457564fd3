#pragma once

#include <ostream>

#include "cli/cli_options.h"

namespace oru {

// The GIS and navigation form of oru-cli: `INPUT OUTPUT` for one file, or
// `INPUT... --output-dir DIR` for many (folders too, with --recursive). Every
// track of every file is thinned on its own, on a pool of --jobs threads, so
// the results equal those of one-at-a-time runs. Prints, in input order, the
// statistics of each track (three rows under a heading, and a fourth when
// --max-waypoints capped it; or with --json one object a line with "file"
// and "track" keys, "lines_skipped" for NMEA logs, "capped", and
// "route_file" for RTZ routes written to files of their own), then their
// total; failures, and the lines of NMEA logs passed over, go to `err`, one
// line a file, and do not stop the other files. Returns the exit status: 0
// when every file was written, 1 when any failed, 2 for a command line that
// cannot run.
int RunGisCommand(const CliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace oru
