// oru-cli: thins a track file from the command line through the same
// processing run as the main window, and prints the window's statistics.

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "run/processing_run.h"
#include "cli/batch_run.h"
#include "cli/cli_options.h"
#include "cli/format_choice.h"
#include "cli/plot_step.h"
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
  std::cerr << oru::WithSystemReason(message, system_error) << '\n';
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

// The run: every file it writes (the output, the plot files, the picture)
// is first made in full and staged, then the statistics are printed, and
// only then are the files put in place, so that a run that fails anywhere
// before leaves every file as it was.
int Run(const oru::CliOptions& options) {
  if (auto clash = oru::PlotFileClash(options)) return Stop(*clash);
  const bool plotting = !options.plot_dir.empty() || !options.plot_image.empty();
  std::string input_text;
  std::string output_text;
  oru::RunOutcome outcome;
  {
    ConsoleObserver observer(isatty(STDERR_FILENO) == 1);
    outcome = oru::PrepareRun(options.request, observer, output_text,
                              plotting ? &input_text : nullptr);
  }
  if (outcome.stopped) return Interrupted();
  if (!outcome.completed) return Stop(outcome.message, outcome.system_error);

  std::vector<oru::StagedTarget> staged;
  std::string error = oru::StageTarget(staged, options.request.output, output_text,
                                       oru::OutputNotWrittenMessage(options.request.output));
  if (!error.empty()) return Stop(error);
  oru::PlotTexts plot;
  if (plotting) {
    std::vector<std::string> notes;
    try {
      error = oru::StagePlot(options, input_text, output_text, plot, staged, notes);
    } catch (const std::bad_alloc&) {
      error = "Not enough memory to make the plot of " + options.request.input.string() + ".";
    }
    for (const std::string& note : notes) std::cerr << note << '\n';
    if (!error.empty()) return Stop(error);
  }

  oru::CurveTexts curve;
  try {
    error = oru::StageCurve(options, outcome, curve, staged);
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to draw the curve of " + options.request.input.string() + ".";
  }
  if (!error.empty()) return Stop(error);

  // Staged files not committed are removed as the run returns.
  if (oru::InterruptRequested()) return Interrupted();
  const std::string note = outcome.note.empty() ? "" : outcome.note + "\n";
  if (!PrintStatistics(options.json ? oru::StatisticsJson(*outcome.statistics,
                                                          options.request.method, outcome.quality,
                                                          outcome.note)
                                    : oru::StatisticsRows(*outcome.statistics) + note)) {
    return Stop("The statistics could not be written to standard output.", errno);
  }
  for (oru::StagedTarget& target : staged) {
    if (const oru::FileStatus done = target.file.Commit(); !done) {
      return Stop(target.failure, done.error);
    }
  }
  return 0;
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
  if (options->request.record && oru::IsBatchCommand(*options)) {
    std::cerr << "oru-cli: --curve and --curve-image are for survey track files\n\n"
              << oru::CliUsage();
    return 2;
  }
  // Temporary files go with the process on SIGTERM and SIGHUP; SIGINT stops
  // the run in order, a second SIGINT ends it at once.
  oru::InstallTemporaryFileCleanup();
  oru::InstallStopOnInterrupt();
  if (oru::IsBatchCommand(*options)) {
    return oru::RunGisCommand(*options, std::cout, std::cerr, oru::InterruptRequested);
  }
  if (options->max_waypoints != 0 || options->p190_grid) {
    std::cerr << "oru-cli: --max-waypoints and --p190-grid are for GIS and navigation files\n\n"
              << oru::CliUsage();
    return 2;
  }
  try {
    return Run(*options);
  } catch (const std::bad_alloc&) {
    // The run and the plot say what they were doing; this is the rest.
    return Stop("Not enough memory to thin " + options->request.input.string() + ".");
  }
}
