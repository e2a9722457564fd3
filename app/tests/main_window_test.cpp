#include <sys/stat.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <fstream>
#include <new>
#include <vector>

#include "app/tests/window_fixture.h"
#include "plot/plot_form.h"

namespace oru::testing {
namespace {

// The case tables' own PrintTo, found from gtest's printers.
using oru::testing::PrintTo;

using States = std::map<std::string, bool>;

const States kStartStates = {{"BitBtn1", true},     {"BitBtn2", false},    {"BitBtn3", false},
                             {"BitBtn4", false},    {"BitBtnPlot", false}, {"BitBtn5", true},
                             {"Edit1", true},       {"RadioGroup1", true}, {"RadioGroup2", true},
                             {"RadioGroup3", true}, {"RadioGroup4", true}, {"RadioGroup5", true},
                             {"Open1", true},       {"Save1", false},      {"PrintScreen1", true},
                             {"Exit1", true},       {"Index1", true},      {"About1", true}};

States With(States states, const States& changes) {
  for (const auto& [name, enabled] : changes) states[name] = enabled;
  return states;
}

// What every run leaves enabled, however it ended.
const States kAfterRun = {{"BitBtn2", true},
                          {"BitBtn3", true},
                          {"BitBtn4", true},
                          {"BitBtnPlot", true},
                          {"Save1", true}};

// ---- enabling over the window's life ---------------------------------------

struct EnablingCase {
  const char* name;
  std::function<void(WindowTest&)> act;
  States changes;  // against the states at start
};

class EnablingTest : public WindowTest, public ::testing::WithParamInterface<EnablingCase> {};

TEST_P(EnablingTest, ControlsFollowTheEnablingRules) {
  GetParam().act(*this);
  EXPECT_EQ(Enabled(), With(kStartStates, GetParam().changes));
  EXPECT_EQ(QDir::currentPath(), window_->StartDirectory());
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, EnablingTest,
    ::testing::Values(
        EnablingCase{"AtStart", [](WindowTest&) {}, {}},
        EnablingCase{"OpenConfirmed",
                     [](WindowTest& t) {
                       t.dialogs_.open_answers.push_back(QStringLiteral("/data/a.txt"));
                       t.Button("BitBtn1")->click();
                     },
                     {{"BitBtn2", true}, {"Save1", true}}},
        EnablingCase{"OpenCancelled", [](WindowTest& t) { t.Button("BitBtn1")->click(); }, {}},
        // A cancelled "&Open" enabled "&Save As", which led to "Go!" without
        // an input file.
        EnablingCase{"MenuOpenCancelled", [](WindowTest& t) { t.Action("Open1")->trigger(); },
                     {}},
        EnablingCase{"MenuOpenConfirmed",
                     [](WindowTest& t) {
                       t.dialogs_.open_answers.push_back(QStringLiteral("/data/a.txt"));
                       t.Action("Open1")->trigger();
                     },
                     {{"Save1", true}, {"BitBtn2", true}}},
        EnablingCase{"SaveAsConfirmed",
                     [](WindowTest& t) {
                       t.dialogs_.open_answers.push_back(QStringLiteral("/data/a.txt"));
                       t.dialogs_.save_answers.push_back(QStringLiteral("/data/b.txt"));
                       t.Button("BitBtn1")->click();
                       t.Button("BitBtn2")->click();
                     },
                     {{"BitBtn2", true}, {"BitBtn3", true}, {"Save1", true}}},
        // The button "Open ..." left the menu's "&Save As" greyed out.
        EnablingCase{"MenuSaveAsAfterOpenButton",
                     [](WindowTest& t) {
                       t.dialogs_.open_answers.push_back(QStringLiteral("/data/a.txt"));
                       t.dialogs_.save_answers.push_back(QStringLiteral("/data/b.txt"));
                       t.Button("BitBtn1")->click();
                       t.Action("Save1")->trigger();
                     },
                     {{"Save1", true}, {"BitBtn2", true}, {"BitBtn3", true}}},
        // Dialogs that wander off still leave the start directory current.
        EnablingCase{"OpenDialogThatChangesDirectory",
                     [](WindowTest& t) {
                       t.dialogs_.browse_to = QDir::tempPath();
                       t.Button("BitBtn1")->click();
                     },
                     {}},
        EnablingCase{"SaveDialogThatChangesDirectory",
                     [](WindowTest& t) {
                       t.dialogs_.open_answers.push_back(QStringLiteral("/data/a.txt"));
                       t.Button("BitBtn1")->click();
                       t.dialogs_.browse_to = QDir::tempPath();
                       t.Button("BitBtn2")->click();
                     },
                     {{"BitBtn2", true}, {"Save1", true}}},
        EnablingCase{"PlaneCoordinates",
                     [](WindowTest& t) { t.Choose("RadioGroup4", 2); },
                     {{"RadioGroup1", false}, {"RadioGroup2", false}, {"RadioGroup5", false}}},
        EnablingCase{
            "RunStoppedAtALine",
            [](WindowTest& t) {
              t.Choose("RadioGroup4", 2);
              t.RunWith(t.dir_.Write("in.txt", "1 2\n3 4\nx y\n"), t.dir_.path() / "out.txt");
            },
            With(kAfterRun,
                 {{"RadioGroup1", false}, {"RadioGroup2", false}, {"RadioGroup5", false}})},
        EnablingCase{"RunOfGeographicTrack",
                     [](WindowTest& t) {
                       t.RunWith(t.dir_.Write("in.txt", "52.1N, 4.5E\n"),
                                 t.dir_.path() / "out.txt");
                     },
                     kAfterRun}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- forced choices of the input format ------------------------------------

struct GroupState {
  int item;
  bool enabled;
  bool operator==(const GroupState&) const = default;
};

struct ForcedCase {
  const char* name;
  std::vector<int> input_formats;  // chosen one after the other
  GroupState calculation, datum, output;
};

class ForcedChoicesTest : public WindowTest, public ::testing::WithParamInterface<ForcedCase> {};

TEST_P(ForcedChoicesTest, InputFormatSetsTheOtherGroups) {
  // Choices of the user's own that every change of input format overrides.
  Choose("RadioGroup1", 1);
  Choose("RadioGroup2", 1);
  Choose("RadioGroup5", 2);
  for (int format : GetParam().input_formats) Choose("RadioGroup4", format);
  auto state = [this](const char* name) {
    return GroupState{Group(name)->ItemIndex(), Group(name)->isEnabled()};
  };
  EXPECT_EQ(state("RadioGroup1"), GetParam().calculation);
  EXPECT_EQ(state("RadioGroup2"), GetParam().datum);
  EXPECT_EQ(state("RadioGroup5"), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, ForcedChoicesTest,
    ::testing::Values(ForcedCase{"ToPlane", {2}, {1, false}, {-1, false}, {1, false}},
                      ForcedCase{"PlaneToOru", {2, 0}, {0, true}, {0, true}, {0, true}},
                      ForcedCase{"PlaneToDms", {2, 1}, {0, true}, {0, true}, {1, true}},
                      ForcedCase{"ToDms", {1}, {0, true}, {0, true}, {1, true}},
                      ForcedCase{"DmsToOru", {1, 0}, {0, true}, {0, true}, {0, true}},
                      // The file's CRS names the datum; the output is such a file
                      // too, or survey text if chosen.
                      ForcedCase{"ToGis", {3}, {1, true}, {-1, false}, {3, true}},
                      ForcedCase{"GisToOru", {3, 0}, {0, true}, {0, true}, {0, true}},
                      ForcedCase{"PlaneToGis", {2, 3}, {1, true}, {-1, false}, {3, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, ChoosingTheSameInputFormatAgainKeepsTheUsersChoices) {
  Choose("RadioGroup1", 1);
  Choose("RadioGroup2", 1);
  Choose("RadioGroup4", 0);
  EXPECT_EQ(Group("RadioGroup1")->ItemIndex(), 1);
  EXPECT_EQ(Group("RadioGroup2")->ItemIndex(), 1);
}

TEST_F(WindowTest, CriterionSetsTheUnitAndKeepsTheValue) {
  Choose("RadioGroup3", 0);
  EXPECT_EQ(Text("StaticText3"), QStringLiteral("m."));
  EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("10"));
  Choose("RadioGroup3", 1);
  EXPECT_EQ(Text("StaticText3"), QStringLiteral("points"));
  EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("10"));
}

// ---- runs through the window ----------------------------------------------

class RunTest : public WindowTest {
 public:
  // A named pipe as the input: the run waits for the test to write it.
  std::filesystem::path Pipe() const {
    const auto pipe = dir_.path() / "in.pipe";
    EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    return pipe;
  }
  // Edit2 to Edit8.
  std::vector<QString> Figures() const {
    std::vector<QString> figures;
    for (const char* name : {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"}) {
      figures.push_back(Edit(name)->text());
    }
    return figures;
  }
  std::filesystem::path PlaneTrackRun(const char* criterion_value, int criterion,
                                      const std::string& input_name = "track.txt") {
    Choose("RadioGroup4", 2);
    Choose("RadioGroup3", criterion);
    Edit("Edit1")->setText(QString::fromUtf8(criterion_value));
    const auto output = dir_.path() / "kept.txt";
    RunWith(dir_.Write(input_name, kSmallTrack), output);
    return output;
  }
};

TEST_F(RunTest, ThinsAPlaneTrackAndShowsTheFigures) {
  const auto output = PlaneTrackRun("3", 1);
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  // Kept: the end points and (150,-20); (50,10) then lies 16.52 m from the
  // new line. Lengths 209.68 m and 205.18 m.
  const std::vector<QString> expected = {"17", "40", "5", "3", "2", "210", "205"};
  EXPECT_EQ(Figures(), expected);
  EXPECT_EQ(ReadAll(output),
            "      0.00       0.00\n"
            "    150.00     -20.00\n"
            "    200.00       0.00\n");
  EXPECT_EQ(window_->LineCount(), 5);
  const RunChoices& last = window_->LastRunChoices();
  EXPECT_EQ(last.input_format, InputFormat::AsciiXY);
  EXPECT_EQ(last.calculation, CalculationType::Planar);
  EXPECT_EQ(static_cast<int>(last.datum), -1);
  EXPECT_EQ(last.criterion, Criterion::NumberOfPoints);
  EXPECT_EQ(last.output_format, OutputFormat::Ascii);

  Button("BitBtn4")->click();
  EXPECT_EQ(launcher_.text_files, QStringList{Q(output)});
  // "Plot" hands the run's points to the plot window and shows it.
  Button("BitBtnPlot")->click();
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  const QDir start(window_->StartDirectory());
  EXPECT_TRUE(QFile::exists(start.filePath(QStringLiteral("AllePunten.dat"))));
  EXPECT_TRUE(QFile::exists(start.filePath(QStringLiteral("Selectie.dat"))));
  EXPECT_TRUE(window_->PlotForm()->isVisible());
  // Its bottom panel summarises the deviations 0, 16.52, 13.22, 0, 0 m:
  // mean 5.95 m, rms sqrt(447.6 / 5) = 9.46 m, 95th percentile 16.52 m.
  const auto* quality = window_->PlotForm()->findChild<QLabel*>(QStringLiteral("QualityText"));
  ASSERT_NE(quality, nullptr);
  EXPECT_EQ(quality->text(),
            QStringLiteral("Deviation of all points: mean 6 m, rms 9 m, 95th percentile 17 m."));
}

// Running out of memory in "Plot" aborted the program; now the window says
// so and stays usable. Here the plot's own message box runs out.
TEST_F(RunTest, OutOfMemoryInThePlotIsAMessage) {
  PlaneTrackRun("3", 1);
  std::filesystem::remove(dir_.path() / "track.txt");  // "File fout: ..." is then shown
  dialogs_.before_message = [](const QString& text) {
    if (text.startsWith(QStringLiteral("File fout: "))) throw std::bad_alloc();
  };
  Button("BitBtnPlot")->click();
  EXPECT_EQ(dialogs_.messages.back(),
            "Not enough memory to plot " + Q(dir_.path() / "track.txt") + ".");
  EXPECT_TRUE(Button("BitBtnPlot")->isEnabled());
}

// "Options > Fewest points (optimal)", off at start, makes the next run
// optimal: within 15 m the small track needs 4 points, (100,0) 4.79 m from
// (50,10)-(150,-20), where the Douglas-Peucker selection keeps all 5.
TEST_F(RunTest, OptimalMenuItemChoosesTheMethodOfTheNextRun) {
  QAction* optimal = Action("Optimal1");
  ASSERT_NE(optimal, nullptr);
  EXPECT_TRUE(optimal->isCheckable());
  EXPECT_FALSE(optimal->isChecked());
  PlaneTrackRun("15", 0);
  EXPECT_EQ(Figures()[3], QStringLiteral("5"));
  optimal->trigger();
  const auto output = PlaneTrackRun("15", 0, "again.txt");
  EXPECT_EQ(Figures()[0], QStringLiteral("5"));
  EXPECT_EQ(Figures()[3], QStringLiteral("4"));
  EXPECT_EQ(ReadAll(output),
            "      0.00       0.00\n     50.00      10.00\n    150.00     -20.00\n"
            "    200.00       0.00\n");
}

// A GIS file of two lines through the window: totals in the rows, each
// track's rows in "Tracks of the Last Run", both tracks in the plot.
TEST_F(RunTest, ThinsEveryTrackOfAGisFile) {
  Choose("RadioGroup4", 3);
  EXPECT_EQ(Group("RadioGroup5")->ItemIndex(), 3);
  Choose("RadioGroup3", 1);
  Edit("Edit1")->setText(QStringLiteral("3"));
  const auto input = dir_.Write(
      "lines.geojson",
      R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"name": "a"}, "geometry": {"type": "LineString",
 "coordinates": [[4.0, 52.0], [4.01, 52.002], [4.02, 52.0], [4.03, 52.004], [4.04, 52.0]]}},
{"type": "Feature", "properties": {"name": "b"}, "geometry": {"type": "LineString",
 "coordinates": [[5.0, 53.0], [5.0, 53.01], [5.002, 53.02], [5.0, 53.03]]}}]})");
  const auto output = dir_.path() / "kept.geojson";
  RunWith(input, output);
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  EXPECT_EQ(Figures()[2], QStringLiteral("9"));
  EXPECT_EQ(Figures()[3], QStringLiteral("6"));
  EXPECT_TRUE(std::filesystem::exists(output));

  ASSERT_TRUE(Action("Tracks1")->isEnabled());
  Action("Tracks1")->trigger();
  const auto* rows = window_->findChild<QPlainTextEdit*>(QStringLiteral("TracksText"));
  ASSERT_NE(rows, nullptr);
  EXPECT_TRUE(rows->toPlainText().contains(QStringLiteral("feature 2")));
  EXPECT_TRUE(rows->toPlainText().contains(QStringLiteral("\nTotal of 2 tracks:\n")));

  Button("BitBtnPlot")->click();
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  const QDir start(window_->StartDirectory());
  const QStringList all =
      QString::fromStdString(ReadAll(start.filePath(QStringLiteral("AllePunten.dat")).toStdString()))
          .split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(all.size(), 9);
  // The second track starts with the pen up: never joined to the first.
  EXPECT_TRUE(all[5].endsWith(QStringLiteral(" 3"))) << all[5].toStdString();
  const std::string selected =
      ReadAll(start.filePath(QStringLiteral("Selectie.dat")).toStdString());
  EXPECT_EQ(std::count(selected.begin(), selected.end(), '\n'), 6);
}

// A survey track into a file named as a route: the output format follows the
// name, and X, Y tracks go there through the CRS entered for them.
TEST_F(RunTest, SurveyTrackIntoAFileNamedAsARoute) {
  Choose("RadioGroup4", 2);
  EXPECT_FALSE(Edit("EditCrs")->isEnabled());
  dialogs_.open_answers.push_back(Q(dir_.Write("track.txt", kSmallTrack)));
  dialogs_.save_answers.push_back(Q(dir_.path() / "track.rtz"));
  Button("BitBtn1")->click();
  Button("BitBtn2")->click();
  EXPECT_EQ(Group("RadioGroup5")->ItemIndex(), 3);
  ASSERT_TRUE(Edit("EditCrs")->isEnabled());
  Edit("EditCrs")->setText(QStringLiteral("32631"));
  Button("BitBtn3")->click();
  WaitForRunEnd();
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  const QString route = QString::fromStdString(ReadAll(dir_.path() / "track.rtz"));
  EXPECT_EQ(route.count(QStringLiteral("<waypoint ")), 5);
  EXPECT_EQ(Figures()[3], QStringLiteral("5"));
}

struct GisMessageCase {
  const char* name;
  std::function<void(RunTest&)> act;
  QString message;  // how the one message begins; "%1" stands for the test's folder
};

class GisMessageTest : public RunTest, public ::testing::WithParamInterface<GisMessageCase> {};

// Runs of GIS and navigation files, and into them, say what went wrong in
// the window's words: which lines were passed over, what to change in the
// window; nothing of the command line's options, totals or summaries.
TEST_P(GisMessageTest, SaysItInTheWindowsWords) {
  GetParam().act(*this);
  ASSERT_EQ(dialogs_.messages.size(), 1) << dialogs_.messages.join('\n').toStdString();
  const QString& said = dialogs_.messages[0];
  EXPECT_TRUE(said.startsWith(GetParam().message.arg(Q(dir_.path())))) << said.toStdString();
  for (const char* command_line : {"--", "oru-cli", "Total of", " files", "give "}) {
    EXPECT_FALSE(said.contains(QLatin1String(command_line))) << command_line;
  }
}

constexpr const char* kTwoLines = R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
 "coordinates": [[4.0, 52.0], [4.01, 52.002], [4.02, 52.0]]}},
{"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
 "coordinates": [[5.0, 53.0], [5.0, 53.01], [5.002, 53.02]]}}]})";

INSTANTIATE_TEST_SUITE_P(
    MainWindow, GisMessageTest,
    ::testing::Values(
        GisMessageCase{"BrokenGisFile",
                       [](RunTest& t) {
                         t.RunWith(t.dir_.Write("bad.geojson", "{\"type\": \"Feature"),
                                   t.dir_.path() / "out.gpkg");
                       },
                       "%1/bad.geojson: Could not be opened as GeoJSON: "},
        GisMessageCase{"NmeaLinesPassedOver",
                       [](RunTest& t) {
                         const auto log = t.dir_.path() / "ship.nmea";
                         std::filesystem::copy_file(
                             std::filesystem::path(ORU_TEST_SOURCE_DIR) / "cli/tests/nav/ship.nmea",
                             log);
                         t.RunWith(log, t.dir_.path() / "ship.gpx");
                       },
                       "2 lines of %1/ship.nmea are no valid NMEA sentences and were passed "
                       "over: lines 7 and 13."},
        GisMessageCase{"ManyTracksIntoSurveyText",
                       [](RunTest& t) {
                         t.RunWith(t.dir_.Write("lines.geojson", kTwoLines),
                                   t.dir_.path() / "out.txt");
                       },
                       "%1/lines.geojson holds 2 tracks, and a survey text file holds one. "
                       "Choose \"GIS or navigation file\" as the output format"},
        GisMessageCase{"XyIntoRtzWithoutItsCrs",
                       [](RunTest& t) {
                         t.Choose("RadioGroup4", 2);
                         t.RunWith(t.dir_.Write("track.txt", kSmallTrack),
                                   t.dir_.path() / "out.rtz");
                       },
                       "%1/track.txt holds X, Y coordinates, and RTZ routes hold latitudes and "
                       "longitudes. Enter the EPSG code"},
        GisMessageCase{"GisItemForAFileOfNoGisFormat",
                       [](RunTest& t) {
                         t.dialogs_.open_answers.push_back(Q(t.dir_.Write("track.txt", kSmallTrack)));
                         t.dialogs_.save_answers.push_back(Q(t.dir_.path() / "out.gpkg"));
                         t.Button("BitBtn1")->click();
                         t.Button("BitBtn2")->click();
                         t.Choose("RadioGroup4", 3);
                         t.Button("BitBtn3")->click();
                       },
                       "The name of the input file %1/track.txt names no GIS or navigation format"}),
    [](const auto& info) { return std::string(info.param.name); });

// The run works on the worker while the window handles its events: a timer
// of the window fires while the run waits for its input (a pipe), the
// figures count up in order, and only "Stop" of the run's controls is
// enabled.
TEST_F(RunTest, FiguresCountUpWhileTheWindowStaysUsable) {
  std::string track;
  for (int i = 0; i < 20000; ++i) {
    track += std::to_string(i) + " " + std::to_string((i * 7919) % 1009) + "\n";
  }
  window_->SetProgressInterval(std::chrono::milliseconds(0));
  Choose("RadioGroup4", 2);
  Edit("Edit1")->setText(QStringLiteral("5000"));
  std::vector<int> counts;
  std::vector<States> states;
  QObject::connect(Edit("Edit5"), &QLineEdit::textChanged, [&](const QString& text) {
    counts.push_back(text.toInt());
    states.push_back(Enabled());
  });
  bool timer_fired_during_run = false;
  QTimer::singleShot(0, window_.get(), [&] { timer_fired_during_run = window_->RunUnderWay(); });
  const auto pipe = Pipe();
  StartRun(pipe, dir_.path() / "kept.txt");
  EXPECT_EQ(Button("BitBtn3")->text(), QStringLiteral("Stop"));
  QCoreApplication::processEvents();
  EXPECT_TRUE(timer_fired_during_run);
  std::ofstream(pipe) << track;  // the run reads its input only now
  WaitForRunEnd();

  ASSERT_GT(counts.size(), 1u);  // counted up, not only shown at the end
  EXPECT_EQ(counts.back(), 5000);
  for (std::size_t i = 1; i < counts.size(); ++i) EXPECT_GE(counts[i], counts[i - 1]);
  const States running = With(kStartStates, {{"BitBtn1", false},
                                             {"BitBtn3", true},
                                             {"Edit1", false},
                                             {"Open1", false},
                                             {"RadioGroup1", false},
                                             {"RadioGroup2", false},
                                             {"RadioGroup3", false},
                                             {"RadioGroup4", false},
                                             {"RadioGroup5", false}});
  EXPECT_EQ(states.front(), running);
  EXPECT_EQ(Button("BitBtn3")->text(), QStringLiteral("Go!"));
}

struct StopCase {
  const char* name;
  std::function<void(RunTest&)> stop;  // right after "Go!"
  bool closes;
};

class StopTest : public RunTest, public ::testing::WithParamInterface<StopCase> {};

// Stopped before its first step ends, the run writes nothing: the earlier
// output stays, the figures of the earlier run are cleared, no message, the
// controls are back, or the window closes when that is what stopped it.
TEST_P(StopTest, StoppedRunEndsInOrder) {
  PlaneTrackRun("3", 1);
  ASSERT_EQ(Figures()[3], QStringLiteral("3"));
  const auto earlier = dir_.Write("out.txt", "earlier run\n");
  const auto pipe = Pipe();
  StartRun(pipe, earlier);
  GetParam().stop(*this);
  std::ofstream(pipe) << kSmallTrack;  // the run reads its input only now
  WaitForRunEnd();
  EXPECT_EQ(ReadAll(earlier), "earlier run\n");
  EXPECT_EQ(Figures(), std::vector<QString>(7));
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  EXPECT_EQ(window_->isVisible(), !GetParam().closes);
  EXPECT_EQ(Enabled(), With(With(kStartStates, kAfterRun), {{"RadioGroup1", false},
                                                            {"RadioGroup2", false},
                                                            {"RadioGroup5", false}}));
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, StopTest,
    ::testing::Values(
        StopCase{"StopButton", [](RunTest& t) { t.Button("BitBtn3")->click(); }, false},
        StopCase{"EscapeKey",
                 [](RunTest& t) {
                   QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Escape, Qt::NoModifier);
                   QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                   QApplication::sendEvent(t.window_->focusWidget(), &press);
                   QApplication::sendEvent(t.window_->focusWidget(), &key);
                 },
                 false},
        StopCase{"ExitButton", [](RunTest& t) { t.Button("BitBtn5")->click(); }, true},
        StopCase{"FileMenuExit", [](RunTest& t) { t.Action("Exit1")->trigger(); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct MessageCase {
  const char* name;
  std::function<void(RunTest&)> act;
  QString message;  // "%1" stands for the folder of the test's files
};

class MessageTest : public RunTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MessageTest, RunStopsWithItsMessageAndEndsInOrder) {
  PlaneTrackRun("3", 1);  // figures that the failed run must clear
  const auto earlier_output = dir_.Write("out.txt", "earlier run\n");
  GetParam().act(*this);
  QString expected = GetParam().message;
  if (expected.contains(QStringLiteral("%1"))) expected = expected.arg(Q(dir_.path()));
  EXPECT_EQ(dialogs_.messages, QStringList{expected});
  EXPECT_EQ(ReadAll(earlier_output), "earlier run\n");
  EXPECT_EQ(Figures(), std::vector<QString>(7));
  const bool plane = Group("RadioGroup4")->ItemIndex() == 2;
  EXPECT_EQ(Enabled(), With(With(kStartStates, kAfterRun), {{"RadioGroup1", !plane},
                                                            {"RadioGroup2", !plane},
                                                            {"RadioGroup5", !plane}}));
  // "Plot" shows the run before, whose files and choices are known.
  Button("BitBtnPlot")->click();
  EXPECT_EQ(dialogs_.messages.size(), 1);
  EXPECT_GT(ReadAll(dir_.path() / "Selectie.dat").size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, MessageTest,
    ::testing::Values(
        MessageCase{"UnreadableLine",
                    [](RunTest& t) {
                      t.Choose("RadioGroup4", 2);
                      t.RunWith(t.dir_.Write("in.txt", "1 1\n2 2\n3 3\n4 4\n5 5\n6 6\nsix 7\n"),
                                t.dir_.path() / "out.txt");
                    },
                    QStringLiteral("Line 7 could not be read.")},
        MessageCase{"EmptyFile",
                    [](RunTest& t) {
                      t.Choose("RadioGroup4", 2);
                      t.RunWith(t.dir_.Write("in.txt", "\n1 2\n"), t.dir_.path() / "out.txt");
                    },
                    QStringLiteral("Input file empty.")},
        MessageCase{"FractionalNumberOfPoints",
                    [](RunTest& t) {
                      t.Choose("RadioGroup4", 2);
                      t.Edit("Edit1")->setText(QStringLiteral("2.5"));
                      t.RunWith(t.dir_.Write("in.txt", kSmallTrack), t.dir_.path() / "out.txt");
                    },
                    QStringLiteral("'2.5' is not a valid integer value")},
        MessageCase{"OutputIsInput",
                    [](RunTest& t) {
                      t.Choose("RadioGroup4", 2);
                      t.RunWith(t.dir_.path() / "out.txt", t.dir_.path() / "out.txt");
                    },
                    QStringLiteral("The output file %1/out.txt is the input file.")},
        MessageCase{"MissingInputFile",
                    [](RunTest& t) {
                      t.Choose("RadioGroup4", 2);
                      t.RunWith(t.dir_.path() / "gone.txt", t.dir_.path() / "out.txt");
                    },
                    QStringLiteral("Input file %1/gone.txt could not be opened.")}),
    [](const auto& info) { return std::string(info.param.name); });

// Regional settings with a decimal comma change nothing: the point is the
// separator of the selection value and of the track files.
TEST_F(RunTest, CommaLocaleKeepsTheDecimalPoint) {
  window_.reset();
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "nl_NL.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed (de_DE.UTF-8, nl_NL.UTF-8)";
  }
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  window_ = std::make_unique<TForm1>(dialogs_, launcher_);
  window_->show();
  EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral("."));

  PlaneTrackRun("17,5", 0);
  EXPECT_EQ(dialogs_.messages,
            QStringList{QStringLiteral("'17,5' is not a valid floating point value")});
  EXPECT_TRUE(Button("BitBtn3")->isEnabled());

  // Past 20 m and 16.52 m, the run stops there: four points kept, and
  // (100,0) lies 4.79 m from the new line.
  dialogs_.messages.clear();
  // Also through a file name that is not plain ASCII.
  const auto output = PlaneTrackRun("17.5", 0, "Gew\xc3\xa4sser.txt");
  EXPECT_TRUE(dialogs_.messages.isEmpty()) << dialogs_.messages.join('\n').toStdString();
  const std::vector<QString> expected = {"5", "20", "5", "4", "0", "210", "209"};
  EXPECT_EQ(Figures(), expected);
  EXPECT_EQ(ReadAll(output),
            "      0.00       0.00\n"
            "     50.00      10.00\n"
            "    150.00     -20.00\n"
            "    200.00       0.00\n");
  std::setlocale(LC_ALL, "C");
}

// ---- closing ---------------------------------------------------------------

struct CloseCase {
  const char* name;
  std::function<void(WindowTest&, TForm1&)> close;
};

class CloseTest : public WindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, ClosingDeletesTheHandOffFiles) {
  const auto points = dir_.Write("AllePunten.dat", "1 2\n");
  const auto selection = dir_.Write("Selectie.dat", "1 2\n");
  const auto elsewhere = dir_.Write("other.dat", "1 2\n");
  GetParam().close(*this, *window_);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(std::filesystem::exists(points));
  EXPECT_FALSE(std::filesystem::exists(selection));
  EXPECT_TRUE(std::filesystem::exists(elsewhere));
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, CloseTest,
    ::testing::Values(CloseCase{"ExitButton",
                                [](WindowTest&, TForm1& w) {
                                  w.findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
                                }},
                      CloseCase{"CloseBox", [](WindowTest&, TForm1& w) { w.close(); }},
                      CloseCase{"FileMenuExit",
                                [](WindowTest&, TForm1& w) {
                                  w.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, MissingHandOffFilesAreNoError) {
  const auto selection = dir_.Write("Selectie.dat", "1 2\n");
  window_->close();
  EXPECT_FALSE(std::filesystem::exists(selection));
  EXPECT_TRUE(dialogs_.messages.isEmpty());
}

TEST_F(RunTest, PlotBeforeAnyCompletedRunSaysSo) {
  Choose("RadioGroup4", 2);
  RunWith(dir_.Write("in.txt", "x y\n"), dir_.path() / "out.txt");
  Button("BitBtnPlot")->click();
  EXPECT_EQ(dialogs_.messages,
            (QStringList{QStringLiteral("Line 1 could not be read."), QStringLiteral("No run to plot yet.")}));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Selectie.dat"));
  EXPECT_FALSE(window_->PlotForm()->isVisible());
  EXPECT_TRUE(Edit("Edit1")->hasFocus()) << "the focus goes back to the selection value";
}

TEST_F(RunTest, EnterInTheSelectionValueStartsTheRun) {
  Choose("RadioGroup4", 2);
  dialogs_.open_answers.push_back(Q(dir_.Write("in.txt", kSmallTrack)));
  dialogs_.save_answers.push_back(Q(dir_.path() / "out.txt"));
  Button("BitBtn1")->click();
  Button("BitBtn2")->click();
  Edit("Edit1")->setText(QStringLiteral("3"));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(Edit("Edit1"), &enter);
  EXPECT_TRUE(window_->RunUnderWay());
  WaitForRunEnd();
  EXPECT_EQ(Figures()[3], QStringLiteral("3"));
}

// ---- help, printing --------------------------------------------------------

TEST_F(WindowTest, HelpIsTakenFromTheStartDirectoryFirst) {
  Action("Index1")->trigger();
  // The build puts the help beside the programs.
  EXPECT_EQ(launcher_.help_files,
            QStringList{QCoreApplication::applicationDirPath() + QStringLiteral("/ORU_help.html")});

  const auto own = dir_.Write("ORU_help.html", "<p>local help</p>");
  Action("Index1")->trigger();
  EXPECT_EQ(launcher_.help_files.value(1), Q(own));
}

// "Check" and Help > Index failed silently without a viewer or browser.
TEST_F(RunTest, NoProgramToOpenAFileIsAMessageNamingIt) {
  const auto output = PlaneTrackRun("3", 1);
  launcher_.starts = false;
  Button("BitBtn4")->click();
  Action("Index1")->trigger();
  EXPECT_EQ(dialogs_.messages,
            (QStringList{"No program was found to open " + Q(output) + ".",
                         "No program was found to open " + launcher_.help_files.value(0) + "."}));
}

TEST_F(WindowTest, PrintScreenPrintsTheWindowOnTheChosenPrinter) {
  const auto pdf = dir_.path() / "window.pdf";
  Action("PrintScreen1")->trigger();  // cancelled: nothing printed
  EXPECT_FALSE(std::filesystem::exists(pdf));

  dialogs_.choose_printer = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Q(pdf));
    return true;
  };
  Action("PrintScreen1")->trigger();
  const std::string printed = ReadAll(pdf);
  EXPECT_EQ(printed.rfind("%PDF", 0), 0u);
  // The page carries the window's image, not an empty page.
  EXPECT_NE(printed.find("/Image"), std::string::npos);
}

}  // namespace
}  // namespace oru::testing
