#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/statistics.h"

namespace oru {

// The five choices of a run, recorded at its start (the plot reads the
// datum, input format and output format of the last run from here).
struct RunChoices {
  CalculationType calculation = CalculationType::Ellipsoidic;
  DatumChoice datum = DatumChoice::Wgs84;
  Criterion criterion = Criterion::NumberOfPoints;
  InputFormat input_format = InputFormat::OruKvl;
  OutputFormat output_format = OutputFormat::OruKvl;
};

struct RunRequest {
  std::filesystem::path input;
  std::filesystem::path output;
  RunChoices choices;
  std::string selection_value = "10";  // metres or a number of points, by criterion
  // Douglas-Peucker, or the fewest points that honour the tolerance.
  SelectionMethod method = SelectionMethod::DouglasPeucker;
  // Whether to measure every point's deviation from the new line for the
  // quality figures (mean, rms, 95th percentile).
  bool quality_figures = false;
};

// What a run shows while it works. The main window implements it with its
// message boxes and statistics fields, the batch command with its streams.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A message that ends the run ("Line 7 could not be read.").
  virtual void ShowMessage(const std::string& text) = 0;
  // The seven statistics texts: pre-filled, then as the selection proceeds.
  virtual void ShowStatistics(const StatisticsTexts& texts) = 0;
  // Whether the figures of the current iteration should be shown; asked once
  // per iteration of the selection.
  virtual bool ProgressDue() { return false; }
  // Lets a window handle its pending events once the pre-filled figures are
  // shown.
  virtual void ProcessMessages() {}
};

struct RunOutcome {
  bool completed = false;                     // the output file was written
  std::int64_t line_count = 0;                // lines counted in the input file
  std::optional<StatisticsTexts> statistics;  // final figures of a completed run
  std::optional<QualityTexts> quality;        // when the request asked for them
  std::string message;                        // why a run stopped
  // What the optimal method found beyond the figures, for "Number of
  // points": that fewer points reach the smallest largest deviation, or the
  // bracket that its search proved. Empty otherwise.
  std::string note;
};

// The processing run behind "Go!": reads the input track, selects the points
// to keep and writes them to the output file, replacing it whole only when
// everything succeeded. Every stop is reported once through
// observer.ShowMessage and leaves the output file as it was.
RunOutcome ProcessRun(const RunRequest& request, RunObserver& observer);

// The datum string of a choice of the window's "Geodetic datum".
const char* DatumString(DatumChoice datum);

}  // namespace oru
