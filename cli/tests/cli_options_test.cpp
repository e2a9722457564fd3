#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace oru {
namespace {

struct ArgsRow {
  std::vector<std::string> args;
  CalculationType calculation;
  DatumChoice datum;
  Criterion criterion;
  InputFormat input;
  OutputFormat output;
  const char* value;
  SelectionMethod method = SelectionMethod::DouglasPeucker;
};

TEST(ParseCliArguments, ChoicesFollowTheMainWindow) {
  using C = CalculationType;
  using I = InputFormat;
  using O = OutputFormat;
  const ArgsRow rows[] = {
      // The window's starting state.
      {{"in", "out"}, C::Ellipsoidic, DatumChoice::Wgs84, Criterion::NumberOfPoints, I::OruKvl,
       O::OruKvl, "10"},
      // DMS input writes "ASCII" unless told otherwise.
      {{"--input-format", "dms", "in", "out"}, C::Ellipsoidic, DatumChoice::Wgs84,
       Criterion::NumberOfPoints, I::AsciiDms, O::Ascii, "10"},
      {{"--input-format", "dms", "--output-format", "kel", "in", "out"}, C::Ellipsoidic,
       DatumChoice::Wgs84, Criterion::NumberOfPoints, I::AsciiDms, O::Kel, "10"},
      // X, Y tracks are planar and written as plane coordinates, whatever is asked.
      {{"--input-format", "xy", "--calculation", "ellipsoidic", "--output-format", "kel",
        "--max-deviation", "2.5", "in", "out"},
       C::Planar, DatumChoice::Wgs84, Criterion::MaximumDeviation, I::AsciiXY, O::Ascii, "2.5"},
      {{"in", "--datum", "ed50", "--calculation", "planar", "--points", "-3", "out"}, C::Planar,
       DatumChoice::Ed50, Criterion::NumberOfPoints, I::OruKvl, O::OruKvl, "-3"},
      {{"--json", "--", "-in", "-out"}, C::Ellipsoidic, DatumChoice::Wgs84,
       Criterion::NumberOfPoints, I::OruKvl, O::OruKvl, "10"},
      {{"--method", "optimal", "--max-deviation", "1", "in", "out"}, C::Ellipsoidic,
       DatumChoice::Wgs84, Criterion::MaximumDeviation, I::OruKvl, O::OruKvl, "1",
       SelectionMethod::Optimal},
  };
  for (const ArgsRow& row : rows) {
    std::string error;
    const auto options = ParseCliArguments(row.args, error);
    ASSERT_TRUE(options.has_value()) << error;
    const RunChoices& c = options->request.choices;
    EXPECT_EQ(c.calculation, row.calculation);
    EXPECT_EQ(c.datum, row.datum);
    EXPECT_EQ(c.criterion, row.criterion);
    EXPECT_EQ(c.input_format, row.input);
    EXPECT_EQ(c.output_format, row.output);
    EXPECT_EQ(options->request.selection_value, row.value);
    EXPECT_EQ(options->request.method, row.method);
  }
}

TEST(ParseCliArguments, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"in"},
      {"in", "out", "third"},
      {"--input-format", "gpx", "in", "out"},
      {"--output-format", "csv", "in", "out"},
      {"--datum", "osgb", "in", "out"},
      {"--calculation", "spherical", "in", "out"},
      {"--method", "greedy", "in", "out"},
      {"--points", "5", "--max-deviation", "1", "in", "out"},
      {"--points", "5", "--points", "6", "in", "out"},
      {"--verbose", "in", "out"},
      {"in", "out", "--points"},
      {"--plot-size", "800", "in", "out"},
      {"--plot-size", "0x600", "in", "out"},
      {"--plot-size", "800x20001", "in", "out"},
      {"--plot-size", "80 0x600", "in", "out"},
      {"--plot-size", "-800x600", "in", "out"},
      {"in", "out", "--plot-image"},
  };
  for (const auto& args : rows) {
    std::string error;
    EXPECT_FALSE(ParseCliArguments(args, error).has_value()) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
  std::string error;
  EXPECT_TRUE(ParseCliArguments({"--help"}, error)->help);
}

TEST(ParseCliArguments, PlotOptions) {
  std::string error;
  const auto o = ParseCliArguments(
      {"--plot-dir", "plots", "--plot-image", "p.png", "--plot-size", "640x20000", "in", "out"}, error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->plot_dir, "plots");
  EXPECT_EQ(o->plot_image, "p.png");
  EXPECT_EQ(o->plot_width, 640);
  EXPECT_EQ(o->plot_height, 20000);
  const auto d = ParseCliArguments({"in", "out"}, error);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->plot_dir.empty());
  EXPECT_EQ(d->plot_width, 1920);
  EXPECT_EQ(d->plot_height, 1080);
}

TEST(StatisticsOutput, RowsAndJsonCarryTheWindowTexts) {
  const StatisticsTexts t{"3", "40", "5", "3", "1", "41", "40"};
  EXPECT_EQ(StatisticsRows(t),
            "The maximum distance of the original line to the new line is: 3 m.\n"
            "The number of points has decreased with 40 % from 5 to 3\n"
            "The length of the line has decreased  with 1 % from 41 m. to 40 m.\n");
  EXPECT_EQ(StatisticsJson(t, SelectionMethod::DouglasPeucker),
            "{\"method\": \"douglas-peucker\", \"max_deviation\": \"3\", \"point_reduction\": "
            "\"40\", \"points_before\": \"5\", \"points_after\": \"3\", \"length_reduction\": "
            "\"1\", \"length_before\": \"41\", \"length_after\": \"40\"}\n");
  const std::string note = "2 points reach the smallest largest deviation";
  const std::string json = StatisticsJson(t, SelectionMethod::Optimal, std::nullopt, note);
  EXPECT_EQ(json.substr(0, 22), "{\"method\": \"optimal\", ");
  EXPECT_EQ(json.substr(json.size() - note.size() - 12), "\"note\": \"" + note + "\"}\n");
}

}  // namespace
}  // namespace oru
