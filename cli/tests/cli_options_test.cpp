#include "cli/cli_options.h"
#include "cli/curve_outputs.h"
#include "cli/run_report.h"
#include "escaping/utf8_text.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace oru {
namespace {

struct ArgsRow {
  std::vector<std::string> args;
  std::string input_format, output_format;  // names, as given
  CalculationType calculation;
  DatumChoice datum;
  Criterion criterion;
  const char* value;
  SelectionMethod method = SelectionMethod::DouglasPeucker;
};

// The options become the run's settings as they are; the formats the run
// takes from names and extensions are its own (run/tests/pipeline_test.cpp).
TEST(ParseCliArguments, OptionsBecomeTheRunsSettings) {
  using C = CalculationType;
  const ArgsRow rows[] = {
      // The window's starting state.
      {{"in", "out"}, "", "", C::Ellipsoidic, DatumChoice::Wgs84, Criterion::NumberOfPoints, "10"},
      {{"--input-format", "dms", "--output-format", "kel", "in", "out"}, "dms", "kel",
       C::Ellipsoidic, DatumChoice::Wgs84, Criterion::NumberOfPoints, "10"},
      {{"--input-format", "xy", "--max-deviation", "2.5", "in", "out"}, "xy", "", C::Ellipsoidic,
       DatumChoice::Wgs84, Criterion::MaximumDeviation, "2.5"},
      {{"in", "--datum", "ed50", "--calculation", "planar", "--points", "-3", "out"}, "", "",
       C::Planar, DatumChoice::Ed50, Criterion::NumberOfPoints, "-3"},
      {{"--json", "--", "-in", "-out"}, "", "", C::Ellipsoidic, DatumChoice::Wgs84,
       Criterion::NumberOfPoints, "10"},
      {{"--method", "optimal", "--max-deviation", "1", "in", "out"}, "", "", C::Ellipsoidic,
       DatumChoice::Wgs84, Criterion::MaximumDeviation, "1", SelectionMethod::Optimal},
      {{"--input-format", "p190", "--output-format", "rtz", "in", "out"}, "p190", "rtz",
       C::Ellipsoidic, DatumChoice::Wgs84, Criterion::NumberOfPoints, "10"},
  };
  for (const ArgsRow& row : rows) {
    std::string error;
    const auto options = ParseCliArguments(row.args, error);
    ASSERT_TRUE(options.has_value()) << error;
    const PipelineSettings& s = options->settings;
    EXPECT_EQ(s.input_format, row.input_format);
    EXPECT_EQ(s.output_format, row.output_format);
    EXPECT_EQ(s.calculation, row.calculation);
    EXPECT_EQ(s.datum, row.datum);
    EXPECT_EQ(s.criterion, row.criterion);
    EXPECT_EQ(s.value, row.value);
    EXPECT_EQ(s.method, row.method);
    ASSERT_EQ(s.inputs.size(), 1u);
    EXPECT_EQ(s.inputs[0].string().back(), 'n');  // "in" or "-in", wherever it stands
    EXPECT_EQ(s.output, row.args.back());
  }
  std::string error;
  const auto o = ParseCliArguments({"--input-format", "gpx", "--output-format", "gpkg", "--jobs",
                                    "3", "--recursive", "a", "b", "--output-dir", "out", "c",
                                    "--p190-grid", "--max-waypoints", "500", "--crs",
                                    "EPSG:25831"},
                                   error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->settings.jobs, 3u);
  EXPECT_TRUE(o->settings.recursive);
  EXPECT_EQ(o->settings.output_dir, "out");
  EXPECT_TRUE(o->settings.output.empty());
  EXPECT_EQ(o->settings.inputs, (std::vector<std::filesystem::path>{"a", "b", "c"}));
  EXPECT_EQ(o->settings.max_points, 500);
  EXPECT_TRUE(o->settings.p190_grid);
  EXPECT_EQ(o->settings.crs, "EPSG:25831");
  EXPECT_TRUE(ParseCliArguments({"--list-formats"}, error)->list_formats);
}

TEST(ParseCliArguments, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"in"},
      {"in", "out", "third"},
      {"--input-format", "gpx2", "in", "out"},
      {"--input-format", "ascii", "in", "out"},  // an output format
      {"--output-format", "svg", "in", "out"},
      {"--output-format", "dxf", "in", "out"},  // read only
      {"--output-format", "nmea", "in", "out"},
      {"--input-format", "rtz", "in", "out"},  // write only
      {"--max-waypoints", "2", "in", "out"},  // the engine keeps three at least
      {"--max-waypoints", "1e3", "in", "out"},
      {"--crs", "in", "out"},
      {"--output-dir", "out"},
      {"--jobs", "0", "in", "out"},
      {"--jobs", "2x", "in", "out"},
      {"--jobs", "", "in", "out"},
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
      // A size without a picture to give it to.
      {"--plot-size", "640x480", "in", "out"},
      {"in", "out", "--curve"},
      {"--plot-image", "p.png", "--plot-extent", "sea", "in", "out"},
      {"--plot-extent", "coast", "in", "out"},  // no picture to give it to
      // The curve is the order of the Douglas-Peucker selection.
      {"--method", "optimal", "--curve-image", "c.png", "in", "out"},
  };
  for (const auto& args : rows) {
    std::string error;
    EXPECT_FALSE(ParseCliArguments(args, error).has_value()) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
  std::string error;
  EXPECT_TRUE(ParseCliArguments({"--help"}, error)->help);
}

// Values the run cannot use were refused only after the whole input was
// read; now they are usage errors with the run's texts.
TEST(ParseCliArguments, ConvertsTheSelectionValueFirst) {
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {{"--points", "abc", "in", "out"}, "'abc' is not a valid integer value"},
      {{"--points", "2.5", "in", "out"}, "'2.5' is not a valid integer value"},
      {{"--max-deviation", "10,5", "in", "out"}, "'10,5' is not a valid floating point value"},
  };
  for (const auto& [args, message] : rows) {
    std::string error;
    EXPECT_FALSE(ParseCliArguments(args, error).has_value());
    EXPECT_EQ(error, message);
  }
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
  EXPECT_TRUE(o->plot_on_track);
  EXPECT_FALSE(o->settings.record);
  EXPECT_TRUE(o->settings.keep_texts);
  const auto coast = ParseCliArguments({"--plot-image", "p.png", "--plot-extent", "coast", "in", "out"}, error);
  ASSERT_TRUE(coast) << error;
  EXPECT_FALSE(coast->plot_on_track);
  const auto c = ParseCliArguments({"--curve", "c.csv", "--curve-image", "c.png", "in", "out"}, error);
  ASSERT_TRUE(c) << error;
  EXPECT_EQ(c->curve, "c.csv");
  EXPECT_EQ(c->curve_image, "c.png");
  EXPECT_TRUE(c->settings.record);
  const auto d = ParseCliArguments({"in", "out"}, error);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->plot_dir.empty());
  EXPECT_EQ(d->plot_width, 1920);
  EXPECT_EQ(d->plot_height, 1080);
}

// --plot-image in.txt turned the input into a picture, and --plot-dir D
// wrote plot data over an input or output D/AllePunten.dat or D/Selectie.dat.
TEST(PlotFileClash, NoPlotFileIsTheInputTheOutputOrAnother) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("oru-clash-" + std::to_string(::getpid()));
  fs::create_directories(dir / "D");
  std::ofstream(dir / "in.txt") << "1 2\n";
  fs::create_hard_link(dir / "in.txt", dir / "hard.png");
  fs::create_symlink(dir / "in.txt", dir / "D" / "Selectie.dat");
  const std::string d = (dir / "D").string();
  const std::string in = (dir / "in.txt").string();
  const std::string out = (dir / "out.txt").string();
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{"--plot-image", in, in, out}, "The plot picture " + in + " is the input file."},
      {{"--plot-image", (dir / "D" / ".." / "in.txt").string(), in, out},
       "The plot picture " + d + "/../in.txt is the input file."},
      {{"--plot-image", (dir / "hard.png").string(), in, out},
       "The plot picture " + (dir / "hard.png").string() + " is the input file."},
      {{"--plot-image", out, in, out}, "The plot picture " + out + " is the output file."},
      {{"--plot-dir", d, in, d + "/AllePunten.dat"},
       "The plot file " + d + "/AllePunten.dat is the output file."},
      {{"--plot-dir", d, in, out}, "The plot file " + d + "/Selectie.dat is the input file."},
      {{"--plot-dir", dir.string(), "--plot-image", (dir / "Selectie.dat").string(), in, out},
       "The plot file " + dir.string() + "/Selectie.dat is the plot picture."},
      {{"--curve", out, in, out}, "The curve file " + out + " is the output file."},
      {{"--plot-image", (dir / "p.png").string(), "--curve-image", (dir / "p.png").string(), in, out},
       "The curve picture " + (dir / "p.png").string() + " is the plot picture."},
      {{"--plot-image", (dir / "p.png").string(), in, out}, ""},
  };
  for (const auto& [args, message] : rows) {
    std::string error;
    const auto options = ParseCliArguments(args, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(PlotFileClash(*options).value_or(""), message);
  }
  fs::remove_all(dir);
}

// Names from inputs (a Latin-1 file name, a P1/90 line name with an
// escape sequence) once came out as invalid JSON and as commands to the
// terminal: the JSON is valid UTF-8 with every control escaped, the text
// shows them as \xXX.
TEST(PrintRunReport, NamesFromInputsAreEscaped) {
  PipelineOutcome outcome;
  FileReport& written = outcome.files.emplace_back();
  written.input = "S\xfc" "d.p190";  // Latin-1 u with diaeresis
  written.tracks.emplace_back().place = "line 'A\x1b[2JB'";
  written.tracks.back().statistics = {1.0, 3, 2, 10.0, 9.0};
  FileReport& failed = outcome.files.emplace_back();
  failed.input = "b\x07.p190";
  failed.error = RunError{ErrorKind::BadInput, "Line 2: name '\x1b]0;x\x07' does not read."};
  for (const bool json : {false, true}) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(PrintRunReport(outcome, json, SelectionMethod::DouglasPeucker, true, out, err), 1);
    for (const std::string& text : {out.str(), err.str()}) {
      EXPECT_EQ(ValidUtf8(text), text) << json;
      EXPECT_EQ(text.find_first_of(std::string("\x1b\x07", 2)), std::string::npos) << text;
    }
    EXPECT_NE(out.str().find("S\xc3\xbc" "d.p190"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(json ? "A\\u001b[2JB" : "A\\x1b[2JB"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("b\\x07.p190: Line 2: name '\\x1b]0;x\\x07' does not read."),
              std::string::npos)
        << err.str();
  }
}

// Every figure reads back to the same double; one line per count.
TEST(CurveCsv, ReadsBackToTheSameFigures) {
  const std::vector<CurvePoint> curve = {{2, 2004.020115292641, 1765.4359515145941},
                                         {3, 0.1, 1e300},
                                         {4, 5e-324, 0.0},
                                         {1000000, 0.0, 123456789.123}};
  const std::string csv = CurveCsv(curve);
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "points,largest_deviation_m,length_m");
  for (const CurvePoint& c : curve) {
    ASSERT_TRUE(std::getline(in, line));
    long long count = 0;
    double deviation = 0.0, length = 0.0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lld,%lf,%lf", &count, &deviation, &length), 3) << line;
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(deviation, c.largest_deviation) << line;
    EXPECT_EQ(length, c.new_length) << line;
  }
  EXPECT_FALSE(std::getline(in, line));
}

}  // namespace
}  // namespace oru
