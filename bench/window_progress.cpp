// The main window's whole run against oru-cli's on the same track and
// settings, how soon Stop, Esc and closing the window take effect in each
// step of a run, what the window says while a step lasts, and how soon the
// plot opens and previews other values. Drives the main window itself
// (offscreen, its file dialogs answered), as a user would with "Go!".
//   window_progress [RUNS] [plot]
// The tracks: generated voyages of a survey ship over about 1,300 km from
// 51N 2E northwards, 1,000,000 fixes about 1.3 m apart and 200,000 fixes
// 6.5 m apart, with a zig-zag of changing amplitude, turns back along its
// own track and drift at anchor; seeded, written as oru/kvl lines to a
// temporary folder outside the timing. Settings: ellipsoidic, WGS84, by
// maximum deviation 5 m and by 5,000 points.
//
// Each of RUNS rounds (default 5) runs every case once with oru-cli, then
// once through the window, so that a change in the machine's load falls on
// both; printed: each run, then the medians and the ratio window / oru-cli.
// Then, on the 1,000,000-fix voyage by maximum deviation, for each step of
// the run (reading, the selection's first iteration, the middle of the
// selection, writing) and each way of stopping: the seconds from the stop
// to the run's end (for closing: to the window's), the median of RUNS.
// Last, the plot of the 1,000,000-fix runs: the seconds to open it
// (hand-off files written and drawn), then to preview values before and
// beyond the run's, with oru-cli's run to the farthest value beside them;
// and the farthest value again once the plot has been open for a minute.
// With "plot", only this last part.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/platform.h"
#include "app/radio_group.h"
#include "app/run_worker.h"
#include "app/user_dialogs.h"
#include "plot/plot_form.h"
#include "plot/preview_panel.h"

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

// Answers the file dialogs with the files of the case; messages are errors.
class AnsweringDialogs final : public oru::UserDialogs {
 public:
  using oru::UserDialogs::AskOpenFile;
  using oru::UserDialogs::AskSaveFile;
  std::optional<QString> AskOpenFile(QWidget*, const oru::FileTypes&) override { return input; }
  std::optional<QString> AskSaveFile(QWidget*, const oru::FileTypes&) override { return output; }
  void ShowMessage(QWidget*, const QString& text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
  bool ChoosePrinter(QWidget*, QPrinter&) override { return false; }
  QString input;
  QString output;
};

class NoLauncher final : public oru::Launcher {
 public:
  bool ShowTextFile(const QString&) override { return true; }
  bool ShowHelp(const QString&) override { return true; }
};

struct Case {
  std::string name;
  std::filesystem::path track;
  bool by_points;
  const char* value;
};

double Median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Handles events until `done` holds (10 minutes at most), asleep between
// them as the window's own event loop is, with a look every 2 ms: a busy
// loop here would take a core from the run.
void WaitUntil(const std::function<bool()>& done) {
  QElapsedTimer waited;
  waited.start();
  QTimer tick;
  tick.start(2);
  while (!done() && waited.elapsed() < 600000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

double OruCli(const QString& cli, const Case& c, const std::filesystem::path& output) {
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  process.start(cli, {QStringLiteral("--calculation"), QStringLiteral("ellipsoidic"),
                      c.by_points ? QStringLiteral("--points") : QStringLiteral("--max-deviation"),
                      QString::fromLatin1(c.value), QString::fromStdString(c.track.string()),
                      QString::fromStdString(output.string())});
  process.waitForFinished(-1);
  const double seconds = clock.nsecsElapsed() * 1e-9;
  if (process.exitCode() != 0) std::fprintf(stderr, "oru-cli failed on %s\n", c.name.c_str());
  return seconds;
}

// A main window with the case's files and choices, ready for "Go!".
class Window {
 public:
  Window(const Case& c, const std::filesystem::path& output)
      : form_(std::make_unique<oru::TForm1>(dialogs_, launcher_)) {
    dialogs_.input = QString::fromStdString(c.track.string());
    dialogs_.output = QString::fromStdString(output.string());
    form_->show();
    // Esc is the window's shortcut: the window must be the active one.
    form_->activateWindow();
    QApplication::processEvents();
    Get<QPushButton>("BitBtn1")->click();
    Get<QPushButton>("BitBtn2")->click();
    Get<oru::RadioGroup>("RadioGroup3")->Item(c.by_points ? 1 : 0)->click();
    Get<QLineEdit>("Edit1")->setText(QString::fromLatin1(c.value));
  }
  template <typename T>
  T* Get(const char* name) const {
    return form_->findChild<T*>(QLatin1String(name));
  }
  oru::TForm1& form() { return *form_; }
  void Go() { Get<QPushButton>("BitBtn3")->click(); }

 private:
  AnsweringDialogs dialogs_;
  NoLauncher launcher_;
  std::unique_ptr<oru::TForm1> form_;
};

// What the window showed during one run.
struct WindowRun {
  double whole = 0.0;    // seconds from "Go!" to the run's end
  double longest = 0.0;  // seconds: longest gap between two changes of the figures
  // Each step with its seconds, and the words beside "Go!" with when they came.
  std::vector<std::pair<oru::RunPhase, double>> phases;
  std::vector<std::pair<std::string, double>> said;
};

WindowRun TimeWindowRun(const Case& c, const std::filesystem::path& output) {
  Window window(c, output);
  WindowRun run;
  QElapsedTimer clock;
  std::vector<double> stamps;
  auto* worker = window.form().findChild<oru::RunWorker*>();
  QObject::connect(worker, &oru::RunWorker::FiguresShown,
                   [&](const oru::StatisticsTexts&) { stamps.push_back(clock.nsecsElapsed() * 1e-9); });
  QObject::connect(worker, &oru::RunWorker::PhaseShown, [&](oru::RunPhase phase) {
    run.phases.emplace_back(phase, clock.nsecsElapsed() * 1e-9);
  });
  auto* said = window.Get<QLabel>("RunPhaseText");
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    const std::string text = said->text().toStdString();
    if (run.said.empty() ? !text.empty() : text != run.said.back().first) {
      run.said.emplace_back(text, clock.nsecsElapsed() * 1e-9);
    }
  });
  sampler.start(10);
  clock.start();
  window.Go();
  WaitUntil([&] { return !window.form().RunUnderWay(); });
  run.whole = clock.nsecsElapsed() * 1e-9;
  for (std::size_t i = 1; i < stamps.size(); ++i) {
    run.longest = std::max(run.longest, stamps[i] - stamps[i - 1]);
  }
  return run;
}

const char* Name(oru::RunPhase phase) {
  switch (phase) {
    case oru::RunPhase::Reading:
      return "reading";
    case oru::RunPhase::Selecting:
      return "selecting";
    case oru::RunPhase::MeasuringDeviations:
      return "measuring";
    case oru::RunPhase::Writing:
      return "writing";
  }
  return "";
}

// The ways of stopping a run, and the steps to stop it in.
enum class Way { Stop, Esc, Close };
const char* Name(Way w) { return w == Way::Stop ? "Stop" : w == Way::Esc ? "Esc" : "close"; }

struct Moment {
  const char* name;
  oru::RunPhase phase;  // stop as soon as the window hears of this step
  double after = 0.0;   // or this many seconds after it
};

// Seconds from the stop to the run's end (closing: to the window's).
double TimeStop(const Case& c, const std::filesystem::path& output, Way way, const Moment& at) {
  Window window(c, output);
  QElapsedTimer clock;
  bool stopped = false;
  auto stop = [&] {
    if (stopped || !window.form().RunUnderWay()) return;
    stopped = true;
    clock.start();
    switch (way) {
      case Way::Stop:
        window.Get<QPushButton>("BitBtn3")->click();
        break;
      case Way::Esc: {
        QWidget* focus = window.form().focusWidget();
        if (focus == nullptr) focus = &window.form();
        QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Escape, Qt::NoModifier);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(focus, &press);
        QApplication::sendEvent(focus, &key);
        break;
      }
      case Way::Close:
        window.form().close();
        break;
    }
  };
  auto* worker = window.form().findChild<oru::RunWorker*>();
  QObject::connect(worker, &oru::RunWorker::PhaseShown, [&](oru::RunPhase phase) {
    if (phase != at.phase) return;
    if (at.after == 0.0) {
      stop();
    } else {
      QTimer::singleShot(static_cast<int>(at.after * 1000), stop);
    }
  });
  window.Go();
  WaitUntil([&] {
    return !window.form().RunUnderWay() && (way != Way::Close || !window.form().isVisible());
  });
  if (!stopped) return NAN;  // the run ended before the moment came
  return clock.nsecsElapsed() * 1e-9;
}

// Each round runs every case with oru-cli, then through the window; prints
// each run, then the medians and the ratios.
void CompareRuns(const QString& cli, const std::vector<Case>& cases,
                 const std::filesystem::path& output, int runs) {
  std::map<std::string, std::vector<double>> cli_times, window_times, gaps;
  for (int round = 1; round <= runs; ++round) {
    for (const Case& c : cases) {
      const double baseline = OruCli(cli, c, output);
      const WindowRun w = TimeWindowRun(c, output);
      cli_times[c.name].push_back(baseline);
      window_times[c.name].push_back(w.whole);
      gaps[c.name].push_back(w.longest);
      std::printf("round %d, %s: oru-cli %.2f s, window %.2f s (longest gap between figures %.2f s)\n",
                  round, c.name.c_str(), baseline, w.whole, w.longest);
      // The steps and what the window said while they lasted.
      for (std::size_t i = 0; i < w.phases.size(); ++i) {
        const double end = i + 1 < w.phases.size() ? w.phases[i + 1].second : w.whole;
        std::printf("    %s from %.2f s to %.2f s\n", Name(w.phases[i].first), w.phases[i].second,
                    end);
      }
      for (const auto& [text, when] : w.said) {
        std::printf("    at %.2f s beside Go: \"%s\"\n", when, text.c_str());
      }
    }
  }
  std::printf("\nmedians of %d runs            oru-cli   window   ratio   longest gap\n", runs);
  for (const Case& c : cases) {
    const double a = Median(cli_times[c.name]);
    const double b = Median(window_times[c.name]);
    std::printf("%-30s %7.2f s %7.2f s %6.2f %9.2f s\n", c.name.c_str(), a, b, b / a,
                Median(gaps[c.name]));
  }
}

// Seconds from each way of stopping to the run's end, in each step of the
// run of `c`; medians of `runs`.
void TimeStops(const Case& c, const std::filesystem::path& output, int runs) {
  const Moment moments[] = {{"reading", oru::RunPhase::Reading, 0.0},
                            {"first iteration", oru::RunPhase::Selecting, 0.0},
                            {"selection, 0.5 s in", oru::RunPhase::Selecting, 0.5},
                            {"writing", oru::RunPhase::Writing, 0.0}};
  std::printf("\nstop to end, %s, medians of %d\n", c.name.c_str(), runs);
  for (const Moment& at : moments) {
    std::printf("%-22s", at.name);
    for (const Way way : {Way::Stop, Way::Esc, Way::Close}) {
      std::vector<double> latencies;
      for (int round = 0; round < runs; ++round) {
        const double t = TimeStop(c, output, way, at);
        if (!std::isnan(t)) latencies.push_back(t);
      }
      std::printf("  %s %.3f s (max %.3f)", Name(way), Median(latencies),
                  latencies.empty() ? NAN : *std::max_element(latencies.begin(), latencies.end()));
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const QString cli = QStringLiteral(ORU_CLI);
  const auto folder = std::filesystem::temp_directory_path() / "oru-window-progress";
  std::filesystem::create_directories(folder);
  // The window's start directory, where "Plot" writes its hand-off files.
  std::filesystem::current_path(folder);
  const auto million = folder / "voyage_1000000.txt";
  const auto fifth = folder / "voyage_200000.txt";
  WriteVoyage(million, 1'000'000);
  WriteVoyage(fifth, 200'000);
  const auto output = folder / "kept.txt";
  const std::vector<Case> cases = {{"1,000,000 fixes, 5 m", million, false, "5"},
                                   {"1,000,000 fixes, 5,000 points", million, true, "5000"},
                                   {"200,000 fixes, 5 m", fifth, false, "5"},
                                   {"200,000 fixes, 5,000 points", fifth, true, "5000"}};
  std::ifstream load("/proc/loadavg");
  std::string loadavg;
  std::getline(load, loadavg);
  std::printf("load average at start: %s\n", loadavg.c_str());

  if (!(argc > 2 && std::string(argv[2]) == "plot")) {
    CompareRuns(cli, cases, output, runs);
    TimeStops(cases[0], output, runs);
  }

  std::printf("\nplot of the 1,000,000-fix run, medians of %d\n", runs);
  for (const Case& c : {cases[0], cases[1]}) {
    std::vector<double> open;
    std::vector<double> cli_farthest;
    std::map<std::string, std::vector<double>> values;
    const std::vector<const char*> tried = c.by_points
                                               ? std::vector<const char*>{"6", "2000", "10000", "50000"}
                                               : std::vector<const char*>{"10", "2", "1"};
    for (int round = 0; round < runs; ++round) {
      Case farthest = c;
      farthest.value = tried.back();
      cli_farthest.push_back(OruCli(cli, farthest, output));
      Window window(c, output);
      window.Go();
      WaitUntil([&] { return !window.form().RunUnderWay(); });
      QElapsedTimer clock;
      clock.start();
      window.Get<QPushButton>("BitBtnPlot")->click();
      oru::TPlotForm* plot = window.form().PlotForm();
      plot->Redraw();
      open.push_back(clock.nsecsElapsed() * 1e-9);
      oru::PreviewPanel* panel = plot->Preview();
      for (const char* value : tried) {
        clock.start();
        panel->Field()->setText(QString::fromLatin1(value));
        emit panel->Field()->editingFinished();
        WaitUntil([&] { return !panel->Busy(); });
        values[value].push_back(clock.nsecsElapsed() * 1e-9);
      }
    }
    std::printf("%s: plot open %.2f s", c.name.c_str(), Median(open));
    for (const char* value : tried) {
      std::printf(", %s %s %.3f s", value, c.by_points ? "points" : "m", Median(values[value]));
    }
    std::printf("\n    oru-cli's run to %s %s: %.2f s\n", tried.back(), c.by_points ? "points" : "m",
                Median(cli_farthest));
    // Once the plot has been open a while, the selection has gone on
    // towards every point: the farthest value again, after 60 s.
    Window window(c, output);
    window.Go();
    WaitUntil([&] { return !window.form().RunUnderWay(); });
    window.Get<QPushButton>("BitBtnPlot")->click();
    oru::PreviewPanel* panel = window.form().PlotForm()->Preview();
    QElapsedTimer clock;
    clock.start();
    WaitUntil([&] { return clock.elapsed() > 60000; });
    clock.start();
    panel->Field()->setText(QString::fromLatin1(tried.back()));
    emit panel->Field()->editingFinished();
    WaitUntil([&] { return !panel->Busy(); });
    std::printf("    after 60 s open: %s %s %.3f s\n", tried.back(), c.by_points ? "points" : "m",
                clock.nsecsElapsed() * 1e-9);
  }
  std::ifstream load_end("/proc/loadavg");
  std::getline(load_end, loadavg);
  std::printf("load average at the end: %s\n", loadavg.c_str());
  std::filesystem::current_path(folder.parent_path());
  std::filesystem::remove_all(folder);
  return 0;
}
