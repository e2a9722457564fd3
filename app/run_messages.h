#pragma once

#include <string>
#include <vector>

#include "run/pipeline.h"

namespace oru {

// What a run of GIS, navigation or route files gave back, in the windows'
// own words (the command line says the same in its own, cli/run_report.h).

// An error as a window tells it: the message, the system's reason, and what
// to change in the window to put it right.
std::string WindowText(const RunError& error);

// The messages after a run, one a box: why files failed, the lines of NMEA
// logs passed over (the first few by number), features that are no tracks
// and layers left out. Nothing for a stopped run.
std::vector<std::string> RunMessages(const PipelineOutcome& outcome);

// "Tracks of the Last Run": each track's place and three statistics rows
// (and the limit that capped it), then their total.
std::string TracksText(const PipelineOutcome& outcome);

}  // namespace oru
