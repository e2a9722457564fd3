// oru-cli: thins track files from the command line through the same run as
// the main window (run/pipeline.h), and prints the window's statistics.

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/format_list.h"
#include "cli/plot_step.h"
#include "cli/run_report.h"
#include "escaping/escapes.h"
#include "run/pipeline.h"
#include "trackio/file_io.h"
#include "trackio/temporary_files.h"

namespace {

// Messages go to standard error; on a terminal the figures count up there
// too, a few times a second. SIGINT asks the run to stop.
class ConsoleObserver final : public oru::RunObserver {
 public:
  explicit ConsoleObserver(bool show_progress) : show_progress_(show_progress) {}
  ~ConsoleObserver() override { EndProgressLine(); }

  // The run's message is printed with its reason once the run has ended.
  void ShowMessage(const std::string&) override { EndProgressLine(); }
  void ShowStatistics(const oru::StatisticsTexts& texts) override {
    if (!show_progress_) return;
    std::cerr << "\rselected " << texts.points_after << " of " << texts.points_before
              << " points, deviation " << texts.max_deviation << " m.   " << std::flush;
    progress_shown_ = true;
  }
  bool ProgressDue() override {
    if (!show_progress_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return false;
    last_ = now;
    return true;
  }
  bool StopRequested() override { return oru::InterruptRequested(); }

 private:
  void EndProgressLine() {
    if (progress_shown_) std::cerr << '\n';
    progress_shown_ = false;
  }

  bool show_progress_;
  bool progress_shown_ = false;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// A stop: its message on standard error, with the system's reason when a
// file failed, and exit status 1.
int Stop(const std::string& message, int system_error = 0) {
  std::cerr << oru::TerminalText(oru::WithSystemReason(message, system_error)) << '\n';
  return 1;
}

// The end of a run stopped by SIGINT: the status a shell gives a command
// that SIGINT ended.
int Interrupted() {
  std::cerr << oru::kRunStoppedMessage << '\n';
  return 128 + SIGINT;
}

// Prints the statistics; false, with errno set, when they could not all be
// written (standard output on a full disk or a closed pipe).
bool PrintStatistics(const std::string& text) {
  errno = 0;
  const bool ok = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return std::fflush(stdout) == 0 && ok && std::ferror(stdout) == 0;
}

// A usage error found by the run: exit status 2.
int UsageError(const oru::RunError& error) {
  std::cerr << "oru-cli: " << oru::TerminalText(oru::CommandLineText(error)) << '\n';
  return 2;
}

// The figures of a survey track file as the main window shows them: its
// three rows (and the optimal method's note), or one JSON object.
std::string SurveyStatistics(const oru::CliOptions& options, const oru::TrackReport& track) {
  const oru::StatisticsTexts texts = oru::FormatStatistics(track.statistics);
  if (options.json) {
    return oru::StatisticsJson(
        texts, options.settings.method,
        track.quality ? std::optional(oru::FormatQuality(*track.quality)) : std::nullopt,
        track.note);
  }
  return oru::StatisticsRows(texts) + (track.note.empty() ? "" : track.note + "\n");
}

// A run of one input into one output file: every file it writes (the
// output, the plot files, the picture, the curve) is first made in full and
// staged; then what goes to devices is written, the statistics printed, and
// only then are the files put in place, so that a run that fails anywhere
// before leaves every file as it was.
int RunOneFile(const oru::CliOptions& options, oru::PipelineOutcome& outcome) {
  oru::FileReport& file = outcome.files.front();
  if (outcome.stopped) return Interrupted();
  if (file.error) {
    if (file.error->kind == oru::ErrorKind::Usage) return UsageError(*file.error);
    // The survey run's messages are said as the window says them.
    return Stop(file.read_format.survey ? oru::CommandLineText(*file.error)
                                        : oru::FileErrorText(file));
  }
  oru::PendingOutputs& pending = outcome.pending;
  std::string error;
  if (!options.plot_dir.empty() || !options.plot_image.empty()) {
    std::vector<std::string> notes;
    try {
      error = oru::StagePlot(options, file, pending, notes);
    } catch (const std::bad_alloc&) {
      error = "Not enough memory to make the plot of " + file.input.string() + ".";
    }
    for (const std::string& note : notes) std::cerr << note << '\n';
    if (!error.empty()) return Stop(error);
  }
  try {
    // A GIS file of no track is written too (its other features as they
    // are); it has no curve.
    if (!file.tracks.empty()) error = oru::StageCurve(options, file.tracks.front(), pending);
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to draw the curve of " + file.input.string() + ".";
  }
  if (!error.empty()) return Stop(error);

  // Staged files not committed are removed as the run returns. Once a
  // device is written, the run goes on to its end.
  if (oru::InterruptRequested()) return Interrupted();
  if (const auto failed = pending.WriteDevices()) return Stop(oru::CommandLineText(*failed));
  int status = 0;
  errno = 0;
  if (file.read_format.survey) {
    if (!PrintStatistics(SurveyStatistics(options, file.tracks.front()))) {
      return Stop("The statistics could not be written to standard output.", errno);
    }
  } else {
    std::ostringstream text;
    status = oru::PrintRunReport(outcome, options.json, options.settings.method, false, text,
                                 std::cerr);
    if (!PrintStatistics(text.str())) {
      return Stop("The statistics could not be written to standard output.", errno);
    }
  }
  if (const auto failed = pending.Commit()) return Stop(oru::CommandLineText(*failed));
  return status;
}

int Run(const oru::CliOptions& options) {
  const bool one_file = options.settings.output_dir.empty();
  if (one_file) {
    if (auto clash = oru::PlotFileClash(options)) return Stop(*clash);
  }
  oru::PipelineSettings settings = options.settings;
  settings.defer_commit = one_file;
  oru::PipelineOutcome outcome;
  {
    ConsoleObserver observer(isatty(STDERR_FILENO) == 1);
    outcome = oru::RunPipeline(settings, observer);
  }
  if (outcome.error) {
    if (outcome.error->kind == oru::ErrorKind::Usage) return UsageError(*outcome.error);
    return Stop(oru::CommandLineText(*outcome.error));
  }
  if (one_file) return RunOneFile(options, outcome);
  std::ostringstream text;
  const int status =
      oru::PrintRunReport(outcome, options.json, settings.method, true, text, std::cerr);
  if (!PrintStatistics(text.str())) {
    return Stop("The statistics could not be written to standard output.", errno);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = oru::ParseCliArguments(args, error);
  if (!options) {
    std::cerr << "oru-cli: " << error << "\n\n" << oru::CliUsage();
    return 2;
  }
  if (options->help) {
    std::cout << oru::CliUsage();
    return 0;
  }
  if (options->list_formats) {
    std::cout << oru::FormatList();
    return 0;
  }
  // Temporary files go with the process on SIGTERM and SIGHUP; SIGINT stops
  // the run in order, a second SIGINT ends it at once.
  oru::InstallTemporaryFileCleanup();
  oru::InstallStopOnInterrupt();
  try {
    return Run(*options);
  } catch (const std::bad_alloc&) {
    // The run and the plot say what they were doing; this is the rest.
    return Stop("Not enough memory to thin " + options->settings.inputs.front().string() + ".");
  }
}
