#include "plot/handoff.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace oru {
namespace {

constexpr double kA = 6378137.0;
constexpr double kInvF = 298.257223563;
constexpr double kPi = 3.14159265358979323846;

// Plot metres of a WGS84 position straight from the Mercator formulas:
// x = a lambda, y = a (atanh(sin phi) - e atanh(e sin phi)).
void Mercator(double lat_deg, double lon_deg, double& x, double& y) {
  const double f = 1.0 / kInvF;
  const double e = std::sqrt((2.0 - f) * f);
  const double phi = lat_deg * kPi / 180.0;
  x = kA * lon_deg * kPi / 180.0;
  y = kA * (std::atanh(std::sin(phi)) - e * std::atanh(e * std::sin(phi)));
}

// The numbers of one hand-off line.
struct Line {
  double x = 0.0, y = 0.0;
  int colour = -1, mode = -1;
};
std::vector<Line> Lines(const std::string& text) {
  std::vector<Line> out;
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  Line l;
  while (in >> l.x >> l.y >> l.colour >> l.mode) out.push_back(l);
  return out;
}

HandoffChoices Choices(DatumChoice d, InputFormat in, OutputFormat out) { return {d, in, out}; }

TEST(HandoffCoordinateText, CarriesSecondsThatWouldPrintAsSixty) {
  struct Row {
    DmsPosition p;
    const char* text;
  };
  const Row rows[] = {
      // 52.15 degrees splits into 8 minutes and 59.999999999995 seconds:
      // Read_LatLon refused "60.000000" and the point was lost.
      {{52, 8, 59.999999999995, 'N', 4, 8, 59.9999999996, 'E'}, "52 9 0.000000 N 4 9 0.000000 E"},
      {{52, 59, 59.9999999, 'N', 4, 59, 59.99999996, 'W'}, "53 0 0.000000 N 5 0 0.000000 W"},
      // Rounds to 59.999999: no carry.
      {{52, 8, 59.9999994, 'S', 0, 0, 0.0, 'E'}, "52 8 59.999999 S 0 0 0.000000 E"},
      // Sixty whole minutes from the input carry into the degrees.
      {{52, 60, 1.5, 'N', 179, 60, 0.0, 'E'}, "53 0 1.500000 N 180 0 0.000000 E"},
  };
  for (const Row& r : rows) EXPECT_EQ(HandoffCoordinateText(r.p), r.text);
}

TEST(AllPointsText, GeographicFormatsGiveMercatorOnWgs84) {
  struct Row {
    InputFormat format;
    const char* line;
    double lat, lon;  // signed decimal degrees of the position meant
  };
  const Row rows[] = {
      {InputFormat::OruKvl, "0.0N, 0.0E\n", 0.0, 0.0},
      {InputFormat::OruKvl, "52.15N,  4.15E\n", 52.15, 4.15},  // the 60-seconds carry
      {InputFormat::OruKvl, "52.175S,  4.085W\r\n", -52.175, -4.085},
      {InputFormat::OruKvl, "61.5n,  12.25e\n", 61.5, 12.25},
      {InputFormat::AsciiDms, "-52 10 30.0 -4 5 6.0\n", -52.175, -4.085},
      {InputFormat::AsciiDms, "54 0 0.133 4 0 0.055\n", 54.0 + 0.133 / 3600, 4.0 + 0.055 / 3600},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const HandoffText h = AllPointsText(r.line, Choices(DatumChoice::Wgs84, r.format, OutputFormat::OruKvl));
    ASSERT_EQ(h.written, 1);
    const auto lines = Lines(h.text);
    ASSERT_EQ(lines.size(), 1u);
    double x = 0.0, y = 0.0;
    Mercator(r.lat, r.lon, x, y);
    EXPECT_NEAR(lines[0].x, x, 1e-3);
    EXPECT_NEAR(lines[0].y, y, 1e-3);
    EXPECT_EQ(lines[0].colour, 0);
    EXPECT_EQ(lines[0].mode, 2);
  }
  EXPECT_EQ(AllPointsText("0.0N, 0.0E\n", {}).text, "0.000000 0.000000 0 2\n");
}

TEST(AllPointsText, Ed50IsShiftedToWgs84) {
  const std::string line = "53.0N, 4.0E\n";
  const auto wgs = Lines(AllPointsText(line, {}).text);
  const auto ed50 = Lines(AllPointsText(line, Choices(DatumChoice::Ed50, InputFormat::OruKvl, OutputFormat::OruKvl)).text);
  ASSERT_EQ(wgs.size(), 1u);
  ASSERT_EQ(ed50.size(), 1u);
  // In the southern North Sea an ED50 position lies some 90 m north and 80 m
  // east of the same numbers on WGS84, so its WGS84 numbers are smaller.
  // Mercator stretches north-south by 1/cos 53 = 1.66 at this latitude.
  const double dx = ed50[0].x - wgs[0].x;
  const double dy = ed50[0].y - wgs[0].y;
  EXPECT_LT(dx, -100.0);
  EXPECT_GT(dx, -200.0);
  EXPECT_LT(dy, -100.0);
  EXPECT_GT(dy, -250.0);
}

TEST(AllPointsText, XyPassesThroughAndEndMarksStopReading) {
  const HandoffChoices xy = Choices(DatumChoice::Wgs84, InputFormat::AsciiXY, OutputFormat::Kel);
  EXPECT_EQ(AllPointsText("100000.00 450000.00\n", xy).text, "100000.000000 450000.000000 0 2\n");
  EXPECT_EQ(AllPointsText("1 2\n3 4\nN end\n5 6\n", xy).written, 2);
  EXPECT_EQ(AllPointsText("1 2\n\n5 6\n", xy).written, 1);
  const HandoffChoices dms = Choices(DatumChoice::Wgs84, InputFormat::AsciiDms, OutputFormat::Ascii);
  EXPECT_EQ(AllPointsText("52 0 0 4 0 0\nN\n53 0 0 4 0 0\n", dms).written, 1);
  // For "oru/kvl" a line beginning with 'N' is no end mark: it does not read
  // and is skipped.
  const HandoffText oru = AllPointsText("52.0N, 4.0E\nN\n53.0N, 4.0E\n", {});
  EXPECT_EQ(oru.written, 2);
  EXPECT_EQ(oru.skipped, 1);
}

TEST(AllPointsText, PointsThatDoNotConvertAreSkippedNotRepeated) {
  // Latitude 95 fails in Read_LatLon (code 8); it was written with the
  // previous point's values.
  const HandoffText h = AllPointsText("52.0N, 4.0E\n95.0N, 4.0E\nbad line\n53.0N, 4.0E\n", {});
  EXPECT_EQ(h.written, 2);
  EXPECT_EQ(h.skipped, 2);
  const auto lines = Lines(h.text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_GT(lines[1].y, lines[0].y);
}

TEST(SelectedPointsText, EachOutputFormatGivesTheSamePoint) {
  // 52 10'30" S, 4 05'06" W in the three output formats.
  struct Row {
    OutputFormat format;
    const char* line;
  };
  const Row rows[] = {
      {OutputFormat::OruKvl, "52.175000S,  4.085000W\n"},
      {OutputFormat::Ascii, "-52 10 30.00 -4 5 6.00\n"},
      {OutputFormat::Kel, "52-10.50S  4-5.10W\n"},
      {OutputFormat::Kel, "52-10,50S  4-5,10W\r\n"},  // decimal comma
  };
  double x = 0.0, y = 0.0;
  Mercator(-52.175, -4.085, x, y);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const auto lines = Lines(SelectedPointsText(r.line, Choices(DatumChoice::Wgs84, InputFormat::OruKvl, r.format)).text);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].x, x, 1e-3);
    EXPECT_NEAR(lines[0].y, y, 1e-3);
    EXPECT_EQ(lines[0].colour, 255);
    EXPECT_EQ(lines[0].mode, 2);
  }
}

TEST(SelectedPointsText, XyTracksPassThroughWhateverTheOutputFormat) {
  for (const OutputFormat f : {OutputFormat::OruKvl, OutputFormat::Ascii, OutputFormat::Kel}) {
    const HandoffText h = SelectedPointsText("1.5 2.5\n3 4\n", Choices(DatumChoice::Ed50, InputFormat::AsciiXY, f));
    EXPECT_EQ(h.text, "1.500000 2.500000 255 2\n3.000000 4.000000 255 2\n");
  }
}

TEST(WritePlotHandoff, WritesBothFilesOrNothing) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("oru_handoff_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "in.txt") << "52.0N, 4.0E\n52.5N, 4.5E\n53.0N, 5.0E\n";
  std::ofstream(dir / "out.txt") << "52.000000N,  4.000000E\n53.000000N,  5.000000E\n";

  const HandoffChoices choices;
  // A bare "File fout" left the user guessing: the file and the reason.
  for (const char* missing : {"in", "out"}) {
    const fs::path in = dir / (missing == std::string("in") ? "missing.txt" : "in.txt");
    const fs::path out = dir / (missing == std::string("out") ? "missing.txt" : "out.txt");
    EXPECT_EQ(WritePlotHandoff(in, out, dir, choices).message,
              "File fout: " + (dir / "missing.txt").string() +
                  " could not be read. No such file or directory.")
        << missing;
    EXPECT_FALSE(fs::exists(dir / kAllPointsFile));
  }

  const HandoffOutcome first = WritePlotHandoff(dir / "in.txt", dir / "out.txt", dir, choices);
  ASSERT_TRUE(first.written);
  EXPECT_EQ(first.all_points, 3);
  EXPECT_EQ(first.selected_points, 2);
  auto read = [](const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string all = read(dir / kAllPointsFile);
  const std::string selected = read(dir / kSelectedPointsFile);
  EXPECT_EQ(Lines(selected).size(), 2u);
  // "Plot" twice rewrites the same content.
  ASSERT_TRUE(WritePlotHandoff(dir / "in.txt", dir / "out.txt", dir, choices).written);
  EXPECT_EQ(read(dir / kAllPointsFile), all);
  EXPECT_EQ(read(dir / kSelectedPointsFile), selected);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace oru
