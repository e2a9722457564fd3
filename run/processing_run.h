#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/selection_record.h"
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
  // Whether to record the Douglas-Peucker selection to the end (the curve
  // of deviation against points, and any other selection read from it),
  // or, with the optimal method, to keep the run's input to select again.
  bool record = false;
  // With `record`, an ellipsoidic track of more points than this is not
  // recorded but kept to select again, as with the optimal method: its
  // record to the end costs several times the run itself (30 s against 6 s
  // for a million points). 0: no limit.
  std::int64_t ellipsoidic_record_limit = 0;
};

// What a run shows while it works, and how it is asked to stop. The main
// window implements it on its worker thread, handing figures and messages to
// the window; the batch command with its streams and SIGINT. ShowMessage,
// ShowStatistics and ProgressDue are called from one thread of the run at a
// time; StopRequested may be asked from several of the pipeline's threads
// at once.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A message that ends the run ("Line 7 could not be read.").
  virtual void ShowMessage(const std::string& text) = 0;
  // The seven statistics texts: pre-filled, then as the selection proceeds.
  virtual void ShowStatistics(const StatisticsTexts& texts) = 0;
  // Whether figures should be shown now; asked after every iteration of the
  // selection and every few thousand points measured within one. Figures
  // shown within an iteration are those of the last completed one.
  virtual bool ProgressDue() { return false; }
  // True to end the run in order: nothing is written, and the run returns
  // with `stopped` set. Asked between the steps and as often as ProgressDue
  // within the selection; reading and writing a file are not cut short.
  virtual bool StopRequested() { return false; }
};

struct RunOutcome {
  bool completed = false;                     // the output file was written
  bool stopped = false;                       // ended because the observer asked
  std::int64_t line_count = 0;                // lines counted in the input file
  std::optional<StatisticsTexts> statistics;  // final figures of a completed run
  std::optional<QualityTexts> quality;        // when the request asked for them
  std::string message;                        // why a run stopped
  int system_error = 0;  // errno behind `message` when a file could not be read or written
  // What the optimal method found beyond the figures, for "Number of
  // points": that fewer points reach the smallest largest deviation, or the
  // bracket that its search proved. Empty otherwise.
  std::string note;
  // The record of the run's selection, or with the optimal method its
  // input, when the request asked for it; the number of points kept.
  std::shared_ptr<const SelectionRecord> record;
  std::shared_ptr<const SelectionInput> input;
  std::int64_t kept = 0;
};

// The processing run behind "Go!" with a survey text file: the pipeline's
// run (run/pipeline.h) of the input in its survey format into the output in
// its survey format, whatever their names, replacing the output whole only
// when everything succeeded. Every stop leaves the output file as it was and
// is reported once through observer.ShowMessage, except a stop the observer
// asked for (kRunStoppedMessage in `message`). A run that runs out of
// memory stops with "Not enough memory to ..." and what it was doing.
RunOutcome ProcessRun(const RunRequest& request, RunObserver& observer);

inline constexpr const char* kRunStoppedMessage = "Stopped; nothing was written.";

// "Output file <path> could not be written."
std::string OutputNotWrittenMessage(const std::filesystem::path& output);

}  // namespace oru
