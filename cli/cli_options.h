#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/processing_run.h"
#include "track/statistics.h"

namespace oru {

struct CliOptions {
  RunRequest request;
  bool json = false;
  bool help = false;
  std::string plot_dir;    // --plot-dir: where the plot's hand-off files go
  std::string plot_image;  // --plot-image: the plot as a PNG file
  int plot_width = 1920;   // --plot-size WIDTHxHEIGHT, pixels
  int plot_height = 1080;
};

// Parses the batch command's arguments (without the program name). Returns
// the options, or nothing with `error` set to what is wrong.
std::optional<CliOptions> ParseCliArguments(const std::vector<std::string>& args,
                                            std::string& error);

std::string CliUsage();

// The three statistics rows of the main window, labels and values joined by
// single blanks, each ended by a line feed.
std::string StatisticsRows(const StatisticsTexts& texts);
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
