#include "run/selection_save.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "run/tests/run_fixture.h"

namespace oru {
namespace {

using testing::ReadAll;
using testing::RecordingObserver;
using testing::TempDir;

std::filesystem::path Sample(const char* name) {
  const char* source = std::getenv("ORU_SOURCE_DIR");
  return std::filesystem::path(source != nullptr ? source : ".") / "data/samples" / name;
}

// A run that records, then "Save" of selections read from its record for
// other values: each writes the very file and shows the very figures of a
// run made with that value.
TEST(SaveSelection, WritesWhatARunWithThatValueWrites) {
  struct Row {
    const char* sample;
    InputFormat input;
    OutputFormat output;
    CalculationType calculation;
    Criterion criterion;
    const char* value;
  };
  const Row rows[] = {
      {"survey_line_xy.txt", InputFormat::AsciiXY, OutputFormat::Ascii, CalculationType::Planar,
       Criterion::NumberOfPoints, "7"},
      {"survey_line_xy.txt", InputFormat::AsciiXY, OutputFormat::Ascii, CalculationType::Planar,
       Criterion::MaximumDeviation, "0.8"},
      {"survey_line_oru.txt", InputFormat::OruKvl, OutputFormat::Kel, CalculationType::Ellipsoidic,
       Criterion::NumberOfPoints, "40"},
      {"survey_line_dms.txt", InputFormat::AsciiDms, OutputFormat::OruKvl,
       CalculationType::Planar, Criterion::MaximumDeviation, "3.5"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sample);
    SCOPED_TRACE(row.value);
    TempDir dir;
    RunRequest request;
    request.input = Sample(row.sample);
    request.output = dir.path() / "saved.txt";
    request.choices = {row.calculation, DatumChoice::Ed50, row.criterion, row.input, row.output};
    request.selection_value = "10";
    request.record = true;
    RecordingObserver observer;
    const RunOutcome recorded = ProcessRun(request, observer);
    ASSERT_TRUE(recorded.record) << recorded.message;

    RunRequest fresh = request;
    fresh.record = false;
    fresh.selection_value = row.value;
    fresh.output = dir.path() / "fresh.txt";
    const RunOutcome expected = ProcessRun(fresh, observer);
    ASSERT_TRUE(expected.completed) << expected.message;

    SelectionSettings settings;
    settings.threshold = row.criterion == Criterion::MaximumDeviation ? std::stod(row.value) : 0.0;
    settings.wanted_count = row.criterion == Criterion::MaximumDeviation ? recorded.line_count
                                                                         : std::stoll(row.value);
    const RunOutcome saved = SaveSelection(request, *recorded.record->Read(settings), observer);
    ASSERT_TRUE(saved.completed) << saved.message;
    EXPECT_EQ(ReadAll(request.output), ReadAll(fresh.output));
    EXPECT_EQ(saved.statistics->max_deviation, expected.statistics->max_deviation);
    EXPECT_EQ(saved.statistics->points_after, expected.statistics->points_after);
    EXPECT_EQ(saved.statistics->length_after, expected.statistics->length_after);
    EXPECT_TRUE(observer.messages.empty());
  }
}

// An input changed since the run no longer holds the points the selection
// numbers: nothing is written.
TEST(SaveSelection, RefusesAnInputThatChangedSinceTheRun) {
  TempDir dir;
  RunRequest request;
  request.input = dir.Write("in.txt", "0 0\n10 1\n20 0.5\n30 -3\n40 0\n");
  request.output = dir.Write("out.txt", "earlier\n");
  request.choices.input_format = InputFormat::AsciiXY;
  request.choices.calculation = CalculationType::Planar;
  request.choices.output_format = OutputFormat::Ascii;
  request.selection_value.assign(1, '3');  // a literal here trips GCC 12's -Wrestrict
  request.record = true;
  RecordingObserver observer;
  const RunOutcome recorded = ProcessRun(request, observer);
  ASSERT_TRUE(recorded.record);
  dir.Write("out.txt", "earlier\n");
  dir.Write("in.txt", "0 0\n10 1\n20 0.5\n30 -3\n");
  const RunOutcome saved = SaveSelection(request, recorded.record->ResultAfter(1), observer);
  EXPECT_FALSE(saved.completed);
  std::string message = "The input file ";
  message.append(request.input.string()).append(" has changed since the run.");
  EXPECT_EQ(saved.message, message);
  EXPECT_EQ(ReadAll(request.output), "earlier\n");
}

}  // namespace
}  // namespace oru
