#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "track/deviation_quality.h"
#include "track/resumable_selection.h"
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
  // of deviation against points, and any other selection read from it); a
  // record to the end costs several times the run (30 s against 6 s for a
  // million ellipsoidic points).
  bool record = false;
  // Whether to keep the selection for a preview of other values: a
  // Douglas-Peucker run keeps its state (ResumableSelection), which reads
  // the selections before its stop from its record and takes itself
  // further for the others; an optimal run keeps its input to select again.
  bool keep_selection = false;
};

// The steps of a run that can take long, as a window names them.
enum class RunPhase {
  Reading,              // loading and parsing the input file
  Selecting,            // the selection, until its first figures
  MeasuringDeviations,  // the quality figures
  Writing,              // the output's text and file
};

// What a run shows while it works, and how it is asked to stop. The main
// window implements it on its worker thread, handing figures and messages to
// the window; the batch command with its streams and SIGINT. ShowMessage,
// ShowPhase, ShowStatistics and ProgressDue are called from one thread of
// the run at a time; StopRequested may be asked from several of the
// pipeline's threads at once.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A message that ends the run ("Line 7 could not be read.").
  virtual void ShowMessage(const std::string& text) = 0;
  // The step the run begins, in the order of RunPhase (steps that a run
  // does not take are left out).
  virtual void ShowPhase(RunPhase) {}
  // The seven statistics texts, from the selection's first iteration on.
  virtual void ShowStatistics(const StatisticsTexts& texts) = 0;
  // Whether figures should be shown now; asked after every iteration of the
  // selection and every few thousand points measured within one. Figures
  // shown within an iteration are those of the last completed one.
  virtual bool ProgressDue() { return false; }
  // True to end the run in order: nothing is written, and the run returns
  // with `stopped` set. Asked between the steps, every few thousand lines
  // parsed and as often as ProgressDue within the selection; loading a file
  // and writing one are not cut short.
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
  // The record of the run's selection to the end, when the request asked
  // for it (`record`); the selection kept (`keep_selection`): the
  // Douglas-Peucker state, or with the optimal method the run's input; the
  // number of points kept.
  std::shared_ptr<const SelectionRecord> record;
  std::shared_ptr<ResumableSelection> selection;
  std::shared_ptr<const SelectionInput> input;
  // With `keep_selection`: the run's own selection and figures.
  std::shared_ptr<const SelectionResult> result;
  std::int64_t kept = 0;
  // A digest of the input file's text as the run read it (InputDigest), so
  // that a selection saved later is known to be of the same file.
  std::size_t input_digest = 0;
};

// The digest of an input file's text that RunOutcome::input_digest holds.
std::size_t InputDigest(std::string_view text);

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
