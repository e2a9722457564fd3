#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/pipeline.h"
#include "track/statistics.h"

namespace oru {

struct CliOptions {
  // Everything the run itself is told (run/pipeline.h).
  PipelineSettings settings;
  bool json = false;
  bool help = false;
  bool list_formats = false;  // --list-formats
  std::string plot_dir;    // --plot-dir: where the plot's hand-off files go
  std::string plot_image;  // --plot-image: the plot as a PNG file
  std::string curve;        // --curve: deviation and length for every count, CSV
  std::string curve_image;  // --curve-image: that curve as a PNG file
  bool plot_on_track = true;  // --plot-extent track|coast
  int plot_width = 1920;   // --plot-size WIDTHxHEIGHT, pixels
  int plot_height = 1080;
};

// Parses the batch command's arguments (without the program name). Returns
// the options, or nothing with `error` set to what is wrong.
std::optional<CliOptions> ParseCliArguments(const std::vector<std::string>& args,
                                            std::string& error);

std::string CliUsage();

// Whether the plot picture or a plot file (AllePunten.dat, Selectie.dat in
// the plot folder) would be written over the input, the output or each
// other, under any spelling, through links or as hard links: the message
// ("The plot picture in.txt is the input file."), or nothing.
std::optional<std::string> PlotFileClash(const CliOptions& options);

// The method's name on the command line: "douglas-peucker" or "optimal".
const char* MethodName(SelectionMethod method);

// The method and the seven texts as one JSON object, ended by a line feed;
// the quality figures, when given, follow as "deviation_mean",
// "deviation_rms" and "deviation_p95", and the run's note, when there is
// one, as "note".
std::string StatisticsJson(const StatisticsTexts& texts, SelectionMethod method,
                           const std::optional<QualityTexts>& quality = std::nullopt,
                           const std::string& note = "");

}  // namespace oru
