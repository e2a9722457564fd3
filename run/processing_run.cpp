#include "run/processing_run.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "run/selection_value.h"
#include "geodesy/c_number_format.h"
#include "geodesy/datum.h"
#include "track/huge_pages.h"
#include "track/resumable_selection.h"
#include "track/selection_engine.h"
#include "track/track_store.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru {
namespace {

// Hands the engine's figures to the run's observer as texts.
class StatisticsRelay final : public SelectionObserver {
 public:
  explicit StatisticsRelay(RunObserver& observer) : observer_(observer) {}
  bool ProgressDue() override { return observer_.ProgressDue(); }
  bool StopRequested() override { return observer_.StopRequested(); }
  void OnProgress(const SelectionStatistics& figures) override {
    observer_.ShowStatistics(FormatStatistics(figures));
  }

 private:
  RunObserver& observer_;
};

// Asks the run's observer whether to stop, and shows it no figures.
class StopOnlyRelay final : public SelectionObserver {
 public:
  explicit StopOnlyRelay(RunObserver& observer) : observer_(observer) {}
  bool ProgressDue() override { return false; }
  void OnProgress(const SelectionStatistics&) override {}
  bool StopRequested() override { return observer_.StopRequested(); }

 private:
  RunObserver& observer_;
};

RunOutcome Stop(RunObserver& observer, RunOutcome outcome, std::string message) {
  observer.ShowMessage(message);
  outcome.message = std::move(message);
  return outcome;
}

// The end of a run its observer asked to stop: no message, nothing written.
RunOutcome Stopped(RunOutcome outcome) {
  outcome.stopped = true;
  outcome.message = kRunStoppedMessage;
  return outcome;
}

// The geodesy library measures and projects only latitudes within +-90 and
// longitudes within +-180 degrees; outside them it leaves its results unset,
// so such a track is refused before any figure is computed from it. Point i
// comes from line i + 1. The checks fail on NaN too.
std::optional<std::string> OutOfRangeLine(const TrackStore& store, std::int64_t points) {
  for (std::int64_t i = 0; i < points; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (!(store.first[k] >= -90.0 && store.first[k] <= 90.0)) {
      return "Line " + std::to_string(i + 1) + ": latitude out of range.";
    }
    if (!(store.second[k] >= -180.0 && store.second[k] <= 180.0)) {
      return "Line " + std::to_string(i + 1) + ": longitude out of range.";
    }
  }
  return std::nullopt;
}

// Fills threshold and wanted count from the selection value, or returns the
// conversion error's text.
std::optional<std::string> ReadSelectionValue(const RunRequest& request, std::int64_t line_count,
                                              SelectionSettings& settings) {
  if (request.choices.criterion == Criterion::MaximumDeviation) {
    const auto threshold = ParseMaximumDeviation(request.selection_value);
    if (!threshold) return NotAFloatMessage(request.selection_value);
    settings.threshold = *threshold;
    settings.wanted_count = line_count;
  } else {
    const auto wanted = ParseNumberOfPoints(request.selection_value);
    if (!wanted) return NotAnIntegerMessage(request.selection_value);
    settings.threshold = 0.0;
    settings.wanted_count = *wanted;
  }
  return std::nullopt;
}

// Metres to the millimetre, as "0.840".
std::string Millimetres(double metres) {
  std::string text;
  cfmt::Fixed(text, metres, 0, 3);
  return text;
}

// The optimal method's note on a "Number of points" run (see RunOutcome).
std::string OptimalNote(const SelectionResult& selection, std::int64_t wanted) {
  const std::string kept = std::to_string(selection.statistics.count);
  const std::string most = std::to_string(std::max<std::int64_t>(wanted, 2));
  if (selection.bracket && !selection.bracket->exact) {
    return "The smallest largest deviation for at most " + most + " points lies between " +
           Millimetres(selection.bracket->lower) + " and " + Millimetres(selection.bracket->upper) +
           " m; these " + kept + " points reach " + Millimetres(selection.bracket->upper) + " m.";
  }
  if (selection.statistics.count < wanted && selection.statistics.count < selection.statistics.n) {
    return kept + " points reach the smallest largest deviation for at most " + most +
           " points (" + Millimetres(selection.max_deviation) + " m); more would not lower it.";
  }
  return "";
}

// The steps of PrepareRun; `doing` tells what the run is doing, for the
// message when memory runs out.
RunOutcome PrepareSteps(const RunRequest& request, RunObserver& observer, std::string& output_text,
                        std::string* input_text, std::string& doing) {
  RunOutcome outcome;
  if (request.input.empty()) return Stop(observer, outcome, "No input file has been chosen.");
  if (request.output.empty()) return Stop(observer, outcome, "No output file has been chosen.");
  if (SameFile(request.input, request.output)) {
    return Stop(observer, outcome,
                "The output file " + request.output.string() + " is the input file.");
  }

  doing = "read " + request.input.string();
  observer.ShowPhase(RunPhase::Reading);
  std::string text;
  if (const FileStatus loaded = LoadFile(request.input, text); !loaded) {
    outcome.system_error = loaded.error;
    return Stop(observer, outcome,
                "Input file " + request.input.string() + " could not be opened.");
  }
  if (observer.StopRequested()) return Stopped(outcome);
  outcome.input_digest = InputDigest(text);
  outcome.line_count = CountTrackLines(text);
  TrackStore store(static_cast<std::size_t>(outcome.line_count));
  const InputFormat input_format = request.choices.input_format;
  const ReadOutcome read =
      ReadTrack(text, input_format, store, [&observer] { return observer.StopRequested(); });
  if (input_text != nullptr) *input_text = std::move(text);
  text = std::string();
  if (read.stopped) return Stopped(outcome);
  if (read.bad_line != 0) {
    return Stop(observer, outcome, "Line " + std::to_string(read.bad_line) + " could not be read.");
  }
  if (read.points == 0) return Stop(observer, outcome, "Input file empty.");
  if (observer.StopRequested()) return Stopped(outcome);
  if (IsGeographic(input_format)) {
    if (auto refusal = OutOfRangeLine(store, read.points)) {
      return Stop(observer, outcome, *refusal);
    }
  }

  SelectionSettings settings;
  settings.method = request.method;
  settings.input_format = input_format;
  settings.quality_figures = request.quality_figures;
  // Metres are never measured as degrees: X, Y tracks are always planar.
  settings.calculation =
      IsGeographic(input_format) ? request.choices.calculation : CalculationType::Planar;
  if (IsGeographic(input_format)) {
    settings.datum.text = DatumString(request.choices.datum);
    Read_Datum(settings.datum);
  }
  if (auto error = ReadSelectionValue(request, outcome.line_count, settings)) {
    return Stop(observer, outcome, *error);
  }

  doing = "thin the track of " + request.input.string();
  observer.ShowPhase(RunPhase::Selecting);

  const auto n = static_cast<std::size_t>(read.points);
  std::vector<double> first;
  std::vector<double> second;
  ReserveInHugePages(first, n);
  ReserveInHugePages(second, n);
  first.assign(store.first.begin(), store.first.begin() + n);
  second.assign(store.second.begin(), store.second.begin() + n);
  if (observer.StopRequested()) return Stopped(outcome);
  StatisticsRelay relay(observer);
  SelectionResult selection;
  try {
    if (settings.method == SelectionMethod::DouglasPeucker) {
      auto kept =
          std::make_shared<ResumableSelection>(std::move(first), std::move(second), settings, &relay);
      selection = kept->Select(settings.threshold, settings.wanted_count, &relay);
      if (settings.quality_figures) {
        observer.ShowPhase(RunPhase::MeasuringDeviations);
        selection.quality = kept->Quality(selection.selected, &relay);
      }
      if (request.record) {
        // The rest of the record to the end; its figures are not shown.
        StopOnlyRelay quiet(observer);
        kept->Select(-std::numeric_limits<double>::infinity(), read.points, &quiet);
        outcome.record = std::make_shared<const SelectionRecord>(kept->Record());
      }
      if (request.keep_selection) outcome.selection = std::move(kept);
    } else {
      if (request.keep_selection) {
        outcome.input =
            std::make_shared<const SelectionInput>(SelectionInput{first, second, settings});
      }
      selection = SelectPoints(std::move(first), std::move(second), settings, &relay);
    }
  } catch (const SelectionStopped&) {
    return Stopped(outcome);
  }
  if (observer.StopRequested()) return Stopped(outcome);
  outcome.kept = selection.statistics.count;
  if (request.keep_selection) outcome.result = std::make_shared<const SelectionResult>(selection);
  const StatisticsTexts final_texts = FormatStatistics(selection.statistics);
  observer.ShowStatistics(final_texts);

  doing = "write " + request.output.string();
  observer.ShowPhase(RunPhase::Writing);
  WriteTrack(output_text, store, selection.selected, input_format, request.choices.output_format);
  outcome.completed = true;
  outcome.statistics = final_texts;
  if (selection.quality) outcome.quality = FormatQuality(*selection.quality);
  if (request.method == SelectionMethod::Optimal &&
      request.choices.criterion == Criterion::NumberOfPoints) {
    outcome.note = OptimalNote(selection, settings.wanted_count);
  }
  return outcome;
}

}  // namespace

std::size_t InputDigest(std::string_view text) { return std::hash<std::string_view>{}(text); }

const char* DatumString(DatumChoice datum) {
  return datum == DatumChoice::Ed50 ? kEd50DatumString : kWgs84DatumString;
}

std::string OutputNotWrittenMessage(const std::filesystem::path& output) {
  return "Output file " + output.string() + " could not be written.";
}

RunOutcome PrepareRun(const RunRequest& request, RunObserver& observer, std::string& output_text,
                      std::string* input_text) {
  output_text.clear();
  std::string doing = "start the run";
  try {
    return PrepareSteps(request, observer, output_text, input_text, doing);
  } catch (const std::bad_alloc&) {
    // Unwinding has freed the run's memory: there is room for the message.
    output_text = std::string();
    if (input_text != nullptr) *input_text = std::string();
    return Stop(observer, RunOutcome{}, "Not enough memory to " + doing + ".");
  }
}

RunOutcome ProcessRun(const RunRequest& request, RunObserver& observer) {
  std::string lines;
  RunOutcome outcome = PrepareRun(request, observer, lines);
  if (!outcome.completed) return outcome;
  if (observer.StopRequested()) {
    outcome.completed = false;
    outcome.statistics.reset();
    outcome.quality.reset();
    return Stopped(outcome);
  }
  if (const FileStatus written = WriteFileAtomically(request.output, lines); !written) {
    outcome.completed = false;
    outcome.statistics.reset();
    outcome.system_error = written.error;
    return Stop(observer, outcome, OutputNotWrittenMessage(request.output));
  }
  return outcome;
}

}  // namespace oru
