#pragma once

#include <string>
#include <vector>

#include "run/pipeline.h"
#include "cli/cli_options.h"
#include "plot/handoff.h"
#include "run/pending_outputs.h"

namespace oru {

// The plot of a survey run from the texts of its file: the hand-off files
// for --plot-dir and the picture for --plot-image, staged in `pending`
// (with the output file) so that they are put in place together with it.
// The picture is drawn from hand-off files in a private folder of the run
// (mkdtemp under the temporary directory), removed with them afterwards.
// Messages the plot window would have shown go to `notes`. Empty, or what
// failed and where.
std::string StagePlot(const CliOptions& options, const FileReport& file, PendingOutputs& pending,
                      std::vector<std::string>& notes);

// The curve of the track's record for --curve and --curve-image (800 x 500
// pixels, the run's count marked), staged in `pending`. Empty, or what
// failed and where.
std::string StageCurve(const CliOptions& options, const TrackReport& track,
                       PendingOutputs& pending);

}  // namespace oru
