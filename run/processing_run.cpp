#include "run/processing_run.h"

#include <string>
#include <utility>

#include "run/file_formats.h"
#include "run/pipeline.h"

namespace oru {

std::string OutputNotWrittenMessage(const std::filesystem::path& output) {
  return "Output file " + output.string() + " could not be written.";
}

RunOutcome ProcessRun(const RunRequest& request, RunObserver& observer) {
  PipelineSettings settings;
  settings.inputs = {request.input};
  settings.output = request.output;
  // The window's formats, whatever the files are called.
  settings.input_format = FormatName(ReadFormat{request.choices.input_format, nullptr, nullptr});
  settings.output_format =
      FormatName(WriteFormat{request.choices.output_format, nullptr, nullptr});
  settings.method = request.method;
  settings.calculation = request.choices.calculation;
  settings.datum = request.choices.datum;
  settings.criterion = request.choices.criterion;
  settings.value = request.selection_value;
  settings.quality_figures = request.quality_figures;
  settings.record = request.record;
  settings.ellipsoidic_record_limit = request.ellipsoidic_record_limit;
  PipelineOutcome pipeline = RunPipeline(settings, observer);

  RunOutcome outcome;
  const FileReport* file = pipeline.files.empty() ? nullptr : &pipeline.files.front();
  if (file != nullptr) outcome.line_count = file->line_count;
  if (pipeline.stopped) {
    outcome.stopped = true;
    outcome.message = kRunStoppedMessage;
    return outcome;
  }
  const std::optional<RunError>& error = file != nullptr ? file->error : pipeline.error;
  if (error) {
    outcome.message = error->message;
    outcome.system_error = error->system_error;
    observer.ShowMessage(outcome.message);
    return outcome;
  }
  TrackReport& track = pipeline.files.front().tracks.front();
  outcome.completed = true;
  outcome.statistics = FormatStatistics(track.statistics);
  if (track.quality) outcome.quality = FormatQuality(*track.quality);
  outcome.note = std::move(track.note);
  outcome.record = std::move(track.record);
  outcome.input = std::move(track.input);
  outcome.kept = track.statistics.count;
  return outcome;
}

}  // namespace oru
