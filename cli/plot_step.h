#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/pipeline.h"
#include "cli/cli_options.h"
#include "plot/handoff.h"
#include "trackio/file_io.h"

namespace oru {

// A file staged for the batch command's final step, with what to say when
// putting it in place fails ("Output file out.txt could not be written.").
struct StagedTarget {
  StagedFile file;
  std::string failure;
};

// Stages `content` for `path` and appends it to `staged`. Empty, or the
// failure text with the system's reason.
std::string StageTarget(std::vector<StagedTarget>& staged, const std::filesystem::path& path,
                        std::string_view content, std::string failure);

// The texts the plot's staged files point into; they must outlive them.
struct PlotTexts {
  HandoffText all_points;
  HandoffText selected_points;
  std::string png;
};

// The plot of a survey run from the texts of its file: the hand-off files
// for --plot-dir and the picture for --plot-image, staged in `staged` so
// that they are put in place together with the output file. The picture is
// drawn from hand-off files in a private folder of the run (mkdtemp under
// the temporary directory), removed with them afterwards. Messages the
// plot window would have shown go to `notes`. Empty, or what failed and
// where.
std::string StagePlot(const CliOptions& options, const FileReport& file, PlotTexts& texts,
                      std::vector<StagedTarget>& staged, std::vector<std::string>& notes);

// The texts the curve's staged files point into; they must outlive them.
struct CurveTexts {
  std::string csv;
  std::string png;
};

// The curve of the track's record for --curve and --curve-image (800 x 500
// pixels, the run's count marked), staged in `staged`. Empty, or what
// failed and where.
std::string StageCurve(const CliOptions& options, const TrackReport& track, CurveTexts& texts,
                       std::vector<StagedTarget>& staged);

}  // namespace oru
