#include "run/processing_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <clocale>

#include "run/tests/run_fixture.h"

namespace oru {
namespace {

using testing::ReadAll;
using testing::RecordingObserver;
using testing::TempDir;

// Five points along y = 0 with offsets 1, 0.5, -3: the farthest is point 4.
constexpr const char* kFivePoints = "0 0\n10 1\n20 0.5\n30 -3\n40 0\n";

RunRequest XyRequest(const TempDir& dir, const std::string& content, Criterion criterion,
                     const std::string& value) {
  RunRequest request;
  request.input = dir.Write("in.txt", content);
  request.output = dir.path() / "out.txt";
  request.choices.input_format = InputFormat::AsciiXY;
  request.choices.calculation = CalculationType::Planar;
  request.choices.output_format = OutputFormat::Ascii;
  request.choices.criterion = criterion;
  request.selection_value = value;
  return request;
}

TEST(ProcessRun, ThinsAPlaneTrackAndWritesTheKeptPoints) {
  TempDir dir;
  RecordingObserver observer;
  const RunRequest request = XyRequest(dir, kFivePoints, Criterion::NumberOfPoints, "3");
  const RunOutcome outcome = ProcessRun(request, observer);

  ASSERT_TRUE(outcome.completed) << outcome.message;
  EXPECT_TRUE(observer.messages.empty());
  EXPECT_EQ(outcome.line_count, 5);
  EXPECT_EQ(ReadAll(request.output),
            "      0.00       0.00\n"
            "     30.00      -3.00\n"
            "     40.00       0.00\n");
  // Full length sqrt(101) + sqrt(100.25) + sqrt(112.25) + sqrt(109) =
  // 41.10 m, kept sqrt(909) + sqrt(109) = 40.59 m: 1.2 % shorter. Point 3
  // lies 75 / sqrt(909) = 2.49 m from the new line 1-4, the farthest left.
  const StatisticsTexts& t = *outcome.statistics;
  EXPECT_EQ(t.max_deviation, "2");
  EXPECT_EQ(t.point_reduction, "40");
  EXPECT_EQ(t.points_before, "5");
  EXPECT_EQ(t.points_after, "3");
  EXPECT_EQ(t.length_reduction, "1");
  EXPECT_EQ(t.length_before, "41");
  EXPECT_EQ(t.length_after, "41");

  // The steps in order, and figures only from the first iteration on (a
  // window showed "from 5 to 2" until the selection's first figures came).
  EXPECT_EQ(observer.phases,
            (std::vector<RunPhase>{RunPhase::Reading, RunPhase::Selecting, RunPhase::Writing}));
  ASSERT_FALSE(observer.shown.empty());
  for (const StatisticsTexts& shown : observer.shown) EXPECT_EQ(shown.points_after, "3");
}

// A stop asked for at any question, from the first (after loading the file)
// through those inside the engine's measuring loops to the last (before the
// file is replaced), ends the run with no message and the earlier output in
// place.
TEST(ProcessRun, StopAskedForAtAnyPointWritesNothing) {
  TempDir dir;
  std::string track;
  for (int i = 0; i < 20000; ++i) {
    track += std::to_string(i) + " " + std::to_string((i * 7919) % 101) + "\n";
  }
  const RunRequest request = XyRequest(dir, track, Criterion::NumberOfPoints, "50");
  RecordingObserver counting;
  ASSERT_TRUE(ProcessRun(request, counting).completed);
  const int questions = counting.stop_questions;
  // Asked within the first iteration's 20,000 points, not only between
  // iterations and steps.
  ASSERT_GT(questions, 50 + 4 + 10);

  for (const int stop_at : {1, 2, 3, 4, questions / 2, questions - 1, questions}) {
    dir.Write("out.txt", "earlier output\n");
    RecordingObserver observer;
    observer.stop_at = stop_at;
    const RunOutcome outcome = ProcessRun(request, observer);
    EXPECT_TRUE(outcome.stopped) << stop_at;
    EXPECT_FALSE(outcome.completed) << stop_at;
    EXPECT_FALSE(outcome.statistics) << stop_at;
    EXPECT_EQ(outcome.message, kRunStoppedMessage) << stop_at;
    EXPECT_TRUE(observer.messages.empty()) << stop_at;
    EXPECT_EQ(ReadAll(request.output), "earlier output\n") << stop_at;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "no temporary file may be left behind, stop at " << stop_at;
  }
}

// A run that keeps its selection for the preview: the Douglas-Peucker
// state, which answers other values as runs with them, or with the optimal
// method the run's input; the run's own selection is the same either way.
TEST(ProcessRun, KeepsItsSelectionForOtherValues) {
  TempDir dir;
  std::string track;
  for (int i = 0; i < 400; ++i) {
    track += std::to_string(52.0 + i * 1e-4) + "N, " + std::to_string(4.0 + (i % 17) * 1e-4) + "E\n";
  }
  for (const SelectionMethod method : {SelectionMethod::DouglasPeucker, SelectionMethod::Optimal}) {
    RunRequest request;
    request.input = dir.Write("in.txt", track);
    request.output = dir.path() / "out.txt";
    request.selection_value = "20";
    request.method = method;
    RecordingObserver observer;
    const RunOutcome plain = ProcessRun(request, observer);
    const std::string plain_output = ReadAll(request.output);
    request.keep_selection = true;
    const RunOutcome kept = ProcessRun(request, observer);
    ASSERT_TRUE(kept.completed) << kept.message;
    EXPECT_EQ(ReadAll(request.output), plain_output);
    EXPECT_EQ(kept.statistics->max_deviation, plain.statistics->max_deviation);
    EXPECT_EQ(kept.input_digest, InputDigest(track));
    EXPECT_EQ(kept.selection != nullptr, method == SelectionMethod::DouglasPeucker);
    EXPECT_EQ(kept.input != nullptr, method == SelectionMethod::Optimal);
    if (!kept.selection) continue;
    request.keep_selection = false;
    for (const char* value : {"5", "60"}) {
      request.selection_value = value;
      ASSERT_TRUE(ProcessRun(request, observer).completed);
      const SelectionResult other = kept.selection->Select(0.0, std::stoi(value), nullptr);
      EXPECT_EQ(other.statistics.count, std::stoi(value));
      EXPECT_EQ(FormatStatistics(other.statistics).max_deviation,
                observer.shown.back().max_deviation);
    }
  }
}

TEST(ProcessRun, MaximumDeviationRunsUntilTheLastPointLayWithinIt) {
  TempDir dir;
  RecordingObserver observer(/*every_iteration=*/true);
  const RunRequest request = XyRequest(dir, kFivePoints, Criterion::MaximumDeviation, "2.5");
  const RunOutcome outcome = ProcessRun(request, observer);
  ASSERT_TRUE(outcome.completed) << outcome.message;
  // Point 4 (3 m) is taken, then point 3, 75 / sqrt(909) = 2.49 m from the
  // line to point 4, which lies within 2.5 m; point 2 then lies
  // 15 / sqrt(400.25) = 0.75 m from the line 1-3.
  EXPECT_EQ(outcome.statistics->points_after, "4");
  EXPECT_EQ(outcome.statistics->max_deviation, "1");
  EXPECT_EQ(ReadAll(request.output),
            "      0.00       0.00\n     20.00       0.50\n     30.00      -3.00\n"
            "     40.00       0.00\n");
  // The figures count up: 3 points, then 4.
  ASSERT_GE(observer.shown.size(), 2u);
  EXPECT_EQ(observer.shown[0].points_after, "3");
  EXPECT_EQ(observer.shown[0].max_deviation, "2");
  EXPECT_EQ(observer.shown.back().points_after, "4");
}

// The optimal method on the same five points: point 4 alone keeps points 2
// and 3 within 2.5 m (1.99 and 2.49 m from the line 1-4), where the
// Douglas-Peucker selection above keeps 4 points. For "Number of points" it
// says when fewer points than asked reach the smallest deviation: on a line
// with one point off it, 4 points reach 0 m.
TEST(ProcessRun, OptimalMethodKeepsTheFewestPointsAndSaysWhenFewerSuffice) {
  TempDir dir;
  RecordingObserver observer;
  RunRequest request = XyRequest(dir, kFivePoints, Criterion::MaximumDeviation, "2.5");
  request.method = SelectionMethod::Optimal;
  RunOutcome outcome = ProcessRun(request, observer);
  ASSERT_TRUE(outcome.completed) << outcome.message;
  EXPECT_EQ(outcome.statistics->points_after, "3");
  EXPECT_EQ(outcome.statistics->max_deviation, "2");
  EXPECT_EQ(ReadAll(request.output),
            "      0.00       0.00\n     30.00      -3.00\n     40.00       0.00\n");
  EXPECT_EQ(outcome.note, "");

  request = XyRequest(dir, "0 0\n10 0\n20 0\n30 5\n40 0\n", Criterion::NumberOfPoints, "9");
  request.method = SelectionMethod::Optimal;
  outcome = ProcessRun(request, observer);
  ASSERT_TRUE(outcome.completed) << outcome.message;
  EXPECT_EQ(outcome.statistics->points_after, "4");
  EXPECT_EQ(outcome.note,
            "4 points reach the smallest largest deviation for at most 9 points (0.000 m); more "
            "would not lower it.");
}

// "Number of points" by the optimal method where the search ends with a
// bracket of at most 1 mm, not with proof: the note gives both ends, or one
// value where they round to the same millimetre.
TEST(ProcessRun, OptimalMethodSaysWhereTheLeastDeviationLiesWhenItIsNotProved) {
  struct Row {
    const char* what;
    std::string track;
    const char* points;
    const char* note;
  };
  std::string straight;  // 60 points on a line, rounding to 2 decimals
  std::string back;      // out along y = 0..0.9, back along y = 4..4.4
  char line[64];
  for (int i = 0; i < 60; ++i) {
    std::snprintf(line, sizeof line, "%.2f %.2f\n", 565000 + 0.7 * i, 5983000 + 0.3 * i);
    straight += line;
  }
  for (int i = 0; i <= 30; ++i) {
    std::snprintf(line, sizeof line, "%d %.1f\n", 10 * i, 0.3 * (i % 4));
    back += line;
  }
  for (int i = 0; i <= 45; ++i) {
    std::snprintf(line, sizeof line, "%d %.1f\n", 300 - 10 * i, 4.0 + 0.2 * (i % 3));
    back += line;
  }
  back += "20 1\n";
  const Row rows[] = {
      {"a straight line", straight, "20",
       "The smallest largest deviation for at most 20 points is 0.000 m to the millimetre; "
       "these 2 points reach it."},
      {"out and back", back, "26",
       "The smallest largest deviation for at most 26 points lies between 0.199 and 0.200 m; "
       "these 23 points reach 0.200 m."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    RecordingObserver observer;
    RunRequest request = XyRequest(dir, row.track, Criterion::NumberOfPoints, row.points);
    request.method = SelectionMethod::Optimal;
    const RunOutcome outcome = ProcessRun(request, observer);
    ASSERT_TRUE(outcome.completed) << outcome.message;
    EXPECT_EQ(outcome.note, row.note);
  }
}

// Every way a run can stop: the message, and the output of an earlier run
// left as it was.
struct StopRow {
  const char* name;
  const char* content;
  InputFormat format;
  CalculationType calculation;
  Criterion criterion;
  const char* value;
  const char* message;
};

class ProcessRunStops : public ::testing::TestWithParam<StopRow> {};

TEST_P(ProcessRunStops, ShowsOneMessageAndKeepsTheEarlierOutput) {
  const StopRow& row = GetParam();
  TempDir dir;
  RunRequest request = XyRequest(dir, row.content, row.criterion, row.value);
  request.choices.input_format = row.format;
  request.choices.calculation = row.calculation;
  dir.Write("out.txt", "earlier output\n");

  RecordingObserver observer;
  const RunOutcome outcome = ProcessRun(request, observer);
  EXPECT_FALSE(outcome.completed);
  ASSERT_EQ(observer.messages.size(), 1u);
  EXPECT_EQ(observer.messages[0], row.message);
  EXPECT_EQ(outcome.message, row.message);
  EXPECT_TRUE(observer.shown.empty()) << "the statistics fields keep the earlier run's texts";
  EXPECT_EQ(ReadAll(request.output), "earlier output\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
      << "no temporary file may be left behind";
}

constexpr auto kXY = InputFormat::AsciiXY;
constexpr auto kPlanar = CalculationType::Planar;
constexpr auto kPoints = Criterion::NumberOfPoints;
constexpr auto kDeviation = Criterion::MaximumDeviation;

INSTANTIATE_TEST_SUITE_P(
    Table, ProcessRunStops,
    ::testing::Values(
        StopRow{"EmptyFile", "", kXY, kPlanar, kPoints, "10", "Input file empty."},
        StopRow{"FirstLineEmpty", "\n1 2\n", kXY, kPlanar, kPoints, "10", "Input file empty."},
        StopRow{"FirstLineEmptyCrLf", "\r\n1 2\r\n", kXY, kPlanar, kPoints, "10",
                "Input file empty."},
        StopRow{"DmsFirstLineEmpty", "\n", InputFormat::AsciiDms, kPlanar, kPoints, "10",
                "Input file empty."},
        StopRow{"BadSeventhLine", "1 1\n2 2\n3 3\n4 4\n5 5\n6 6\n7 x\n8 8\n", kXY, kPlanar,
                kPoints, "10", "Line 7 could not be read."},
        StopRow{"CommaDecimal", kFivePoints, kXY, kPlanar, kDeviation, "10,5",
                "'10,5' is not a valid floating point value"},
        StopRow{"FractionForPoints", kFivePoints, kXY, kPlanar, kPoints, "2.5",
                "'2.5' is not a valid integer value"},
        StopRow{"PointsBeyond32Bits", kFivePoints, kXY, kPlanar, kPoints, "3000000000",
                "'3000000000' is not a valid integer value"},
        // Beyond the geodesy library's domain: the first offending line is
        // named, for the ellipsoidal measures and for the projection alike.
        StopRow{"LatitudeBeyond90", "52.5N,  4.25E\n52.6N,  4.25E\n90.5N,  4.25E\n91N, 200E\n",
                InputFormat::OruKvl, CalculationType::Ellipsoidic, kPoints, "10",
                "Line 3: latitude out of range."},
        StopRow{"SouthernLatitudeBeyond90", "52.5N,  4.25E\n90.000001S,  4.25E\n",
                InputFormat::OruKvl, kPlanar, kPoints, "10", "Line 2: latitude out of range."},
        StopRow{"LongitudeBeyond180", "52 30 0 4 15 0\n52 30 0 180 0 1\n", InputFormat::AsciiDms,
                kPlanar, kPoints, "10", "Line 2: longitude out of range."},
        StopRow{"WesternLongitudeBeyond180", "52.5N,  4.25E\n1N, 2E\n3N, 180.5W\n",
                InputFormat::OruKvl, CalculationType::Ellipsoidic, kDeviation, "1",
                "Line 3: longitude out of range."},
        // Plane coordinates whose differences overflow once gave infinite
        // deviations and lengths.
        StopRow{"PlaneCoordinateOf1e300", "0 0\n1e300 5\n10 1e308\n20 0\n", kXY, kPlanar,
                kPoints, "3", "Line 2: coordinate out of range."},
        StopRow{"PlaneCoordinateBeyond1e12", "0 0\n10 1\n20 -1.0000001e12\n", kXY, kPlanar,
                kDeviation, "1", "Line 3: coordinate out of range."}),
    [](const auto& info) { return info.param.name; });

// Geographic tracks are thinned by both calculations on both datums; the
// edges of the range (90 degrees, 180 degrees) are accepted.
TEST(ProcessRun, ThinsGeographicTracksBothWaysOnBothDatums) {
  const char* track =
      "54.000000N,  4.000000E\n54.000100N,  4.000300E\n54.000900N,  4.000600E\n"
      "54.000200N,  4.000900E\n54.000000N,  4.001200E\n";
  for (CalculationType calculation : {CalculationType::Ellipsoidic, kPlanar}) {
    for (DatumChoice datum : {DatumChoice::Wgs84, DatumChoice::Ed50}) {
      TempDir dir;
      RunRequest request = XyRequest(dir, track, kPoints, "3");
      request.choices.input_format = InputFormat::OruKvl;
      request.choices.calculation = calculation;
      request.choices.datum = datum;
      RecordingObserver observer;
      const RunOutcome outcome = ProcessRun(request, observer);
      ASSERT_TRUE(outcome.completed) << outcome.message;
      EXPECT_EQ(outcome.statistics->points_after, "3");
      // The third point, 0.0009 degrees of latitude (100.2 m) north of the
      // middle of a 78.7 m chord, is kept. The second point then lies
      // |39.3 x 11.1 - 100.2 x 19.7| / 107.6 = 14.2 m from the line to it,
      // the farthest left, measured either way.
      EXPECT_EQ(outcome.statistics->max_deviation, "14");
      const std::string written = ReadAll(request.output);
      EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 3);
    }
  }
  TempDir dir;
  RunRequest request =
      XyRequest(dir, "90 0 0 180 0 0\n-90 0 0 -180 0 0\n0 0 0 0 0 0\n", kPoints, "3");
  request.choices.input_format = InputFormat::AsciiDms;
  request.choices.calculation = CalculationType::Ellipsoidic;
  RecordingObserver observer;
  EXPECT_TRUE(ProcessRun(request, observer).completed) << observer.messages.size();
}

TEST(ProcessRun, RefusesToWriteOverItsInput) {
  TempDir dir;
  RunRequest request = XyRequest(dir, kFivePoints, kPoints, "3");
  std::filesystem::create_directories(dir.path() / "sub");
  for (const auto& output :
       {request.input, dir.path() / "sub" / ".." / "in.txt", dir.path() / "." / "in.txt"}) {
    request.output = output;
    RecordingObserver observer;
    EXPECT_FALSE(ProcessRun(request, observer).completed);
    ASSERT_EQ(observer.messages.size(), 1u);
    EXPECT_EQ(observer.messages[0], "The output file " + output.string() + " is the input file.");
    EXPECT_EQ(ReadAll(request.input), kFivePoints);
  }
}

TEST(ProcessRun, NamesTheFileThatCannotBeOpenedOrWritten) {
  TempDir dir;
  RunRequest request = XyRequest(dir, kFivePoints, kPoints, "3");
  request.input = dir.path() / "missing.txt";
  RecordingObserver observer;
  const RunOutcome missing = ProcessRun(request, observer);
  EXPECT_FALSE(missing.completed);
  EXPECT_EQ(observer.messages.at(0), "Input file " + request.input.string() + " could not be opened.");
  EXPECT_EQ(missing.system_error, ENOENT) << "the batch command prints the system's reason";

  request = XyRequest(dir, kFivePoints, kPoints, "3");
  request.output = dir.path() / "no-such-folder" / "out.txt";
  RecordingObserver second;
  const RunOutcome unwritten = ProcessRun(request, second);
  EXPECT_FALSE(unwritten.completed);
  EXPECT_EQ(second.messages.at(0),
            "Output file " + request.output.string() + " could not be written.");
  EXPECT_EQ(unwritten.system_error, ENOENT);
}

// Running out of memory aborted the program; now it stops the run like any
// other stop, says what the run was doing and keeps the earlier output.
TEST(ProcessRun, RunningOutOfMemoryStopsTheRun) {
  struct OutOfMemory final : RecordingObserver {
    void ShowStatistics(const StatisticsTexts&) override { throw std::bad_alloc(); }
  };
  TempDir dir;
  const RunRequest request = XyRequest(dir, kFivePoints, kPoints, "3");
  dir.Write("out.txt", "earlier output\n");
  OutOfMemory observer;
  EXPECT_FALSE(ProcessRun(request, observer).completed);
  EXPECT_EQ(observer.messages,
            std::vector<std::string>{"Not enough memory to thin the track of " +
                                     request.input.string() + "."});
  EXPECT_EQ(ReadAll(request.output), "earlier output\n");
}

TEST(ProcessRun, TracksOfOneOrTwoPointsAreWrittenUnchanged) {
  struct Row {
    const char* content;
    const char* written;
  } rows[] = {{"5 6\n", "      5.00       6.00\n"},
              {"5 6\n7 8", "      5.00       6.00\n      7.00       8.00\n"}};
  for (const Row& row : rows) {
    TempDir dir;
    RecordingObserver observer;
    const RunRequest request = XyRequest(dir, row.content, kPoints, "10");
    const RunOutcome outcome = ProcessRun(request, observer);
    ASSERT_TRUE(outcome.completed) << outcome.message;
    const StatisticsTexts& t = *outcome.statistics;
    EXPECT_EQ(t.max_deviation, "0");
    EXPECT_EQ(t.point_reduction, "0");
    EXPECT_EQ(t.points_before, t.points_after);
    EXPECT_EQ(t.length_reduction, "0");
    EXPECT_EQ(t.length_before, t.length_after);
    EXPECT_EQ(ReadAll(request.output), row.written);
  }
}

TEST(ProcessRun, SameFiguresAndFileUnderACommaDecimalLocale) {
  TempDir dir;
  RecordingObserver observer;
  const RunRequest request = XyRequest(dir, kFivePoints, kDeviation, "0.5");
  const RunOutcome plain = ProcessRun(request, observer);
  const std::string plain_output = ReadAll(request.output);

  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "nl_NL.UTF-8", "de_DE", "nl_NL"}) {
    if (std::setlocale(LC_ALL, name)) {
      chosen = name;
      break;
    }
  }
  if (!chosen) GTEST_SKIP() << "no comma-decimal locale installed";
  RecordingObserver local_observer;
  const RunOutcome local = ProcessRun(request, local_observer);
  std::setlocale(LC_ALL, "C");
  ASSERT_TRUE(local.completed) << local.message;
  EXPECT_EQ(ReadAll(request.output), plain_output);
  EXPECT_EQ(local.statistics->length_before, plain.statistics->length_before);
  EXPECT_EQ(local.statistics->max_deviation, plain.statistics->max_deviation);
}

}  // namespace
}  // namespace oru
