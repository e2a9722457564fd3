// How alive the main window's figures are during a long run: drives the
// window's worker (app/run_worker.h) with the processing run, as "Go!" does,
// and timestamps every figure update that reaches the GUI thread.
//   window_progress [RUNS] [FIXES]
// The track: FIXES (default 1,000,000) geographic fixes of a survey ship's
// voyage of about 1,300 km from 51N 2E northwards, about 1.3 m apart, with
// a zig-zag of changing amplitude, turns back along its own track and drift
// at anchor; seeded, written as oru/kvl lines to a temporary folder outside
// the timing. Each run: ellipsoidic, WGS84, "Number of points" 10,000.
// Prints per run and as medians: seconds to the first figures (reading the
// file), the longest gap between two changes of the figures after that, the
// same from the end of the first iteration on (the first iteration measures
// every point, and until it ends the pre-filled figures are the exact ones),
// the number of changes and the whole run (writing included).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/run_worker.h"
#include "run/processing_run.h"

namespace {

constexpr double kMetresPerDegree = 111200.0;

void WriteVoyage(const std::filesystem::path& file, int fixes) {
  std::mt19937 rng(1300);
  std::normal_distribution<double> noise(0.0, 0.3);  // metres, GNSS scatter
  std::ofstream out(file);
  char line[64];
  const double step = 1'300'000.0 / fixes;  // metres along the voyage
  double along = 0.0;
  for (int i = 0; i < fixes; ++i) {
    const double stage = static_cast<double>(i) / fixes;
    double across = 0.0;
    if (stage < 0.3) {
      // Zig-zag whose amplitude grows from 50 m to 2 km.
      across = (50.0 + 6500.0 * stage) * std::sin(along / 4000.0);
    } else if (stage < 0.35) {
      // Turning back 300 m beside its own track, then on again.
      along -= 2.0 * step;
      across = 300.0;
    } else if (stage < 0.4) {
      // Drift at anchor: many fixes within metres.
      along -= step;
      across = 300.0 + 5.0 * std::sin(i / 50.0);
    } else {
      across = 300.0 + 1000.0 * std::sin(along / 25000.0);
    }
    along += step;
    const double lat = 51.0 + (along + noise(rng)) / kMetresPerDegree;
    const double lon =
        2.0 + (across + noise(rng)) / (kMetresPerDegree * std::cos(lat * std::numbers::pi / 180.0));
    std::snprintf(line, sizeof line, "%.7fN, %.7fE\n", lat, lon);
    out << line;
  }
}

struct Timing {
  double first = 0.0;    // seconds to the first figures
  double longest = 0.0;  // seconds, longest gap between updates after the first
  double later = 0.0;    // seconds, the same from the first iteration's figures on
  int updates = 0;
  double whole = 0.0;  // seconds
};

Timing TimeOneRun(const oru::RunRequest& request) {
  oru::RunWorker worker;
  QEventLoop loop;
  QElapsedTimer clock;
  // When the figures in the window changed.
  std::vector<double> stamps;
  oru::StatisticsTexts shown;
  QObject::connect(&worker, &oru::RunWorker::FiguresShown, [&](const oru::StatisticsTexts& texts) {
    if (!stamps.empty() && texts.points_after == shown.points_after &&
        texts.max_deviation == shown.max_deviation && texts.length_after == shown.length_after) {
      return;
    }
    shown = texts;
    stamps.push_back(clock.nsecsElapsed() * 1e-9);
  });
  QObject::connect(&worker, &oru::RunWorker::Ended, [&](const std::vector<std::string>& messages) {
    for (const std::string& message : messages) std::fprintf(stderr, "%s\n", message.c_str());
    loop.quit();
  });
  clock.start();
  worker.Start([request](oru::RunObserver& observer) { oru::ProcessRun(request, observer); });
  loop.exec();
  Timing timing;
  timing.whole = clock.nsecsElapsed() * 1e-9;
  timing.updates = static_cast<int>(stamps.size());
  if (!stamps.empty()) timing.first = stamps.front();
  for (std::size_t i = 1; i < stamps.size(); ++i) {
    timing.longest = std::max(timing.longest, stamps[i] - stamps[i - 1]);
    if (i >= 2) timing.later = std::max(timing.later, stamps[i] - stamps[i - 1]);
  }
  return timing;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const int fixes = argc > 2 ? std::max(3, std::atoi(argv[2])) : 1'000'000;
  const auto folder = std::filesystem::temp_directory_path() / "oru-window-progress";
  std::filesystem::create_directories(folder);
  oru::RunRequest request;
  request.input = folder / "voyage.txt";
  request.output = folder / "kept.txt";
  request.choices.calculation = oru::CalculationType::Ellipsoidic;
  request.choices.criterion = oru::Criterion::NumberOfPoints;
  request.selection_value = "10000";
  request.quality_figures = true;  // as the window asks
  WriteVoyage(request.input, fixes);

  std::vector<double> first, longest, later, updates, whole;
  for (int run = 1; run <= runs; ++run) {
    const Timing t = TimeOneRun(request);
    std::printf(
        "run %d: first figures %.3f s, longest gap %.3f s, after the first iteration %.3f s, "
        "%d changes, whole %.2f s\n",
        run, t.first, t.longest, t.later, t.updates, t.whole);
    first.push_back(t.first);
    longest.push_back(t.longest);
    later.push_back(t.later);
    updates.push_back(t.updates);
    whole.push_back(t.whole);
  }
  std::printf(
      "median of %d: first figures %.3f s, longest gap %.3f s, after the first iteration %.3f s, "
      "%.0f changes, whole %.2f s\n",
      runs, Median(first), Median(longest), Median(later), Median(updates), Median(whole));
  std::filesystem::remove_all(folder);
  return 0;
}
