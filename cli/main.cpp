// oru-cli: thins a track file from the command line through the same
// processing run as the main window, and prints the window's statistics.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/processing_run.h"
#include "cli/cli_options.h"

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
  std::cout << (options->json ? oru::StatisticsJson(*outcome.statistics)
                              : oru::StatisticsRows(*outcome.statistics));
  return 0;
}
