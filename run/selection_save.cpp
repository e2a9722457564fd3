#include "run/selection_save.h"

#include <new>
#include <string>

#include "track/track_store.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru {
namespace {

RunOutcome Stop(RunObserver& observer, RunOutcome outcome, std::string message) {
  observer.ShowMessage(message);
  outcome.message = std::move(message);
  return outcome;
}

}  // namespace

RunOutcome SaveSelection(const RunRequest& request, const SelectionResult& selection,
                         std::size_t input_digest, RunObserver& observer) {
  RunOutcome outcome;
  try {
    std::string text;
    if (const FileStatus loaded = LoadFile(request.input, text); !loaded) {
      outcome.system_error = loaded.error;
      return Stop(observer, outcome,
                  "Input file " + request.input.string() + " could not be opened.");
    }
    // The same text reads as the same track, the one the selection is of.
    if (InputDigest(text) != input_digest) {
      return Stop(observer, outcome,
                  "The input file " + request.input.string() + " has changed since the run.");
    }
    outcome.line_count = CountTrackLines(text);
    TrackStore store(static_cast<std::size_t>(outcome.line_count));
    ReadTrack(text, request.choices.input_format, store);
    std::string output_text;
    WriteTrack(output_text, store, selection.selected, request.choices.input_format,
               request.choices.output_format);
    if (const FileStatus written = WriteFileAtomically(request.output, output_text); !written) {
      outcome.system_error = written.error;
      return Stop(observer, outcome, OutputNotWrittenMessage(request.output));
    }
  } catch (const std::bad_alloc&) {
    return Stop(observer, RunOutcome{}, "Not enough memory to save " + request.output.string() + ".");
  }
  outcome.completed = true;
  outcome.statistics = FormatStatistics(selection.statistics);
  outcome.kept = selection.statistics.count;
  observer.ShowStatistics(*outcome.statistics);
  return outcome;
}

}  // namespace oru
