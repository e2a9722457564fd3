#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "cli/cli_options.h"
#include "plot/tracks_handoff.h"
#include "track/statistics.h"

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
// cannot run, and 130 (a shell's status for SIGINT) when `stop_requested`,
// asked from the run's threads, ended it: files not yet written are then
// not written, and the last line says so.
int RunGisCommand(const CliOptions& options, std::ostream& out, std::ostream& err,
                  std::function<bool()> stop_requested = {});

// What a window asks of the batch run beyond the command's.
struct BatchExtras {
  // Keep every thinned track's vertices and the kept ones, for the plot.
  bool keep_tracks = false;
  // Asked now and then, from the run's threads at once: true stops the run;
  // files not yet written are then not written at all.
  std::function<bool()> stop_requested;
};

struct BatchOutcome {
  int status = 0;              // as RunGisCommand's
  bool stopped = false;        // stop_requested ended the run
  std::int64_t tracks = 0;     // tracks thinned and written
  SelectionStatistics total;   // their sums, and the largest deviation of all
  std::vector<PlotTrack> plotted;  // with keep_tracks: the tracks counted, in report order
};

// RunGisCommand for a window: the same run and the same text on `out` and
// `err`, with the totals, the tracks and a way to stop.
BatchOutcome RunBatch(const CliOptions& options, const BatchExtras& extras, std::ostream& out,
                      std::ostream& err);

}  // namespace oru
