// oru-cli: thins a track file from the command line through the same
// processing run as the main window, and prints the window's statistics.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/processing_run.h"
#include "cli/cli_options.h"
#include "plot/handoff.h"
#ifdef ORU_HAVE_PLOT_IMAGE
#include "plot/plot_image.h"
#endif

namespace {

// Messages go to standard error; on a terminal the figures count up there
// too, a few times a second.
class ConsoleObserver final : public oru::RunObserver {
 public:
  explicit ConsoleObserver(bool show_progress) : show_progress_(show_progress) {}
  ~ConsoleObserver() override { EndProgressLine(); }

  void ShowMessage(const std::string& text) override {
    EndProgressLine();
    std::cerr << text << '\n';
  }
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

 private:
  void EndProgressLine() {
    if (progress_shown_) std::cerr << '\n';
    progress_shown_ = false;
  }

  bool show_progress_;
  bool progress_shown_ = false;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// The plot window's files of the run (--plot-dir) and its picture
// (--plot-image). False, with the reason on standard error, on a failure.
bool WritePlot(const oru::CliOptions& options) {
  namespace fs = std::filesystem;
  if (options.plot_dir.empty() && options.plot_image.empty()) return true;
  fs::path dir = options.plot_dir;
  std::error_code ec;
  if (dir.empty()) {
    dir = fs::temp_directory_path(ec) / ("oru-plot-" + std::to_string(getpid()));
    fs::create_directories(dir, ec);
  }
  const auto& c = options.request.choices;
  const oru::HandoffOutcome handoff = oru::WritePlotHandoff(
      options.request.input, options.request.output, dir, {c.datum, c.input_format, c.output_format});
  if (!handoff.written) {
    std::cerr << handoff.message << '\n';
    return false;
  }
  bool ok = true;
  if (!options.plot_image.empty()) {
#ifdef ORU_HAVE_PLOT_IMAGE
    oru::PlotImageRequest request;
    request.handoff_dir = dir;
    request.png = options.plot_image;
    request.width = options.plot_width;
    request.height = options.plot_height;
    request.xy_input = c.input_format == oru::InputFormat::AsciiXY;
    request.places = oru::DefaultLookupPlaces(fs::canonical("/proc/self/exe", ec).parent_path());
    std::vector<std::string> messages;
    const std::string error = oru::RenderPlotImage(request, messages);
    for (const std::string& m : messages) std::cerr << m << '\n';
    if (!error.empty()) {
      std::cerr << "oru-cli: " << error << '\n';
      ok = false;
    }
#else
    std::cerr << "oru-cli: this build draws no pictures (built without Qt)\n";
    ok = false;
#endif
  }
  if (options.plot_dir.empty()) fs::remove_all(dir, ec);
  return ok;
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

  oru::RunOutcome outcome;
  {
    ConsoleObserver observer(isatty(STDERR_FILENO) == 1);
    outcome = oru::ProcessRun(options->request, observer);
  }
  if (!outcome.completed) return 1;
  if (!WritePlot(*options)) return 1;
  if (options->json) {
    std::cout << oru::StatisticsJson(*outcome.statistics, options->request.method, outcome.quality,
                                     outcome.note);
  } else {
    std::cout << oru::StatisticsRows(*outcome.statistics);
    if (!outcome.note.empty()) std::cout << outcome.note << '\n';
  }
  return 0;
}
