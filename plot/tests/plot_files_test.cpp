#include "plot/plot_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace oru {
namespace {

namespace fs = std::filesystem;

TEST(ParsePlotLine, CountsTheValuesConvertedAndKeepsTheRest) {
  struct Row {
    const char* line;
    int fields;
    double x, y;
    int colour, mode;
    const char* label;
  };
  const Row rows[] = {
      {"1.5 2.5 255 3 A12", 5, 1.5, 2.5, 255, 3, "A12"},
      {"1.5 2.5 255 3", 4, 1.5, 2.5, 255, 3, ""},
      {"1.5 2.5", 2, 1.5, 2.5, 7, 9, ""},
      {"1e3 -2 x", 2, 1000.0, -2.0, 7, 9, ""},
      {"  -0.25\t4 0 2 lbl extra", 5, -0.25, 4.0, 0, 2, "lbl"},
      {"1.5", 1, 1.5, 8.0, 7, 9, ""},
      {"", 0, 6.0, 8.0, 7, 9, ""},
      {"nan 1", 0, 6.0, 8.0, 7, 9, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    PlotLine p;
    p.x = 6.0;
    p.y = 8.0;
    p.colour = 7;
    p.mode = 9;
    std::string label;
    EXPECT_EQ(ParsePlotLine(r.line, p, label), r.fields);
    EXPECT_EQ(p.x, r.x);
    EXPECT_EQ(p.y, r.y);
    EXPECT_EQ(p.colour, r.colour);
    EXPECT_EQ(p.mode, r.mode);
    EXPECT_EQ(label, r.label);
  }
}

TEST(ParsePlotFile, TakesWholeLines) {
  // A line longer than 48 characters was read in pieces, the rest of it
  // becoming a point of its own.
  const std::string long_line = "123456.123456789012 6543210.123456789012 255 2 a_label_of_some_length\r\n";
  const PlotFileData d = ParsePlotFile(long_line + "1 2\n\n3 4");
  ASSERT_EQ(d.lines.size(), 3u);
  EXPECT_EQ(d.lines[0].fields, 5);
  EXPECT_EQ(d.labels.at(0), "a_label_of_some_length");
  EXPECT_FALSE(d.first_line_empty);
  EXPECT_EQ(d.lines[2].x, 3.0);
  EXPECT_TRUE(ParsePlotFile("\n1 2\n").first_line_empty);
  EXPECT_TRUE(ParsePlotFile("").first_line_empty);
}

TEST(Extents, CoastFileCornersAndSelectionRectangle) {
  const auto coast = CoastExtent(ParseCoastFile("header\n3 -10 20\n3 100 200\n2 5 5\n"));
  ASSERT_TRUE(coast);
  EXPECT_EQ(coast->XMin, -10.0);
  EXPECT_EQ(coast->YMin, 20.0);
  EXPECT_EQ(coast->XMax, 100.0);
  EXPECT_EQ(coast->YMax, 200.0);
  EXPECT_FALSE(CoastExtent(ParseCoastFile("3 1 2\n3 4\n")));

  // The first two points in reverse order, a third below the minimum.
  const auto sel = SelectionExtent(ParsePlotFile("x\n100 900\n50 1000\n20 950\n75 2000 255 2\n"));
  ASSERT_TRUE(sel);
  EXPECT_EQ(sel->XMin, 20.0 - 50000.0);
  EXPECT_EQ(sel->XMax, 100.0 + 50000.0);
  EXPECT_EQ(sel->YMin, 900.0 - 50000.0);
  EXPECT_EQ(sel->YMax, 2000.0 + 50000.0);
  EXPECT_FALSE(SelectionExtent(ParsePlotFile("one\n2\n")));
}

// Choosing a track as the coastline gave a 9 m view with one green line.
TEST(IsCoastFile, TheTwoCornerRecordsComeFirst) {
  const struct {
    const char* text;
    bool coast;
  } rows[] = {
      {"3 0 0\n3 100000 100000\n3 10 10\n2 90 10\n", true},
      {"2 -1000 -1000\n2 1000 1000\n", true},
      {"3 0 0\n", false},                                    // one corner
      {"3 0 0\n1 100 100\n", false},                        // code 1
      {"4 0 0\n3 100 100\n", false},                        // code 4
      {"3 100 100\n3 0 0\n", false},                        // corners swapped
      {"3 0 0\n3 100 0\n", false},                          // no height
      {"x\n3 0 0\n3 100 100\n", false},                    // not the first records
      {"52.1N, 4.5E\n52.2N, 4.6E\n", false},                // a track
      {"40000 40000 0 2\n60000 60000 0 2\n", false},        // a hand-off file
  };
  for (const auto& row : rows) EXPECT_EQ(IsCoastFile(ParseCoastFile(row.text)), row.coast) << row.text;
}

TEST(ParseBlockFile, KeepsLinesWithFourValues) {
  const BlockData b = ParseBlockFile("101 10.5 20.5 1/1\n102 11 21\nbad\n103 1 2 K7 x\n");
  ASSERT_EQ(b.labels.size(), 2u);
  EXPECT_EQ(b.labels[0].label, "1/1");
  EXPECT_EQ(b.labels[1].number, 103);
  EXPECT_EQ(b.labels[1].label, "K7");
}

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("oru_lookup_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    for (const char* d : {"app", "work", "path1", "path2", "app/data", "path2/data"}) {
      fs::create_directories(root / d);
    }
    places.application_dir = root / "app";
    places.working_dir = root / "work";
    places.search_path = {root / "path1", root / "path2"};
  }
  void TearDown() override { fs::remove_all(root); }
  void Put(const fs::path& p, const std::string& text = "3 0 0\n") { std::ofstream(root / p) << text; }

  fs::path root;
  LookupPlaces places;
};

TEST_F(LookupTest, ProgramDirectoryThenWorkingDirectoryThenSearchPathThenData) {
  Put("path2/data/f.cst");
  EXPECT_EQ(FindLayerFile("f.cst", places), root / "path2/data/f.cst");
  Put("app/data/f.cst");
  EXPECT_EQ(FindLayerFile("f.cst", places), root / "app/data/f.cst");
  Put("path2/f.cst");
  EXPECT_EQ(FindLayerFile("f.cst", places), root / "path2/f.cst");
  Put("path1/f.cst");
  EXPECT_EQ(FindLayerFile("f.cst", places), root / "path1/f.cst");
  Put("work/f.cst");
  EXPECT_EQ(FindLayerFile("f.cst", places), root / "work/f.cst");
  Put("app/f.cst");
  EXPECT_EQ(FindLayerFile("f.cst", places), root / "app/f.cst");
  EXPECT_EQ(FindLayerFile((root / "path1/f.cst").string(), places), root / "path1/f.cst");
  EXPECT_FALSE(FindLayerFile("other.cst", places));
  EXPECT_FALSE(FindLayerFile("", places));
}

TEST_F(LookupTest, CacheReadsAFileAgainWhenItChanges) {
  LayerCache cache;
  Put("work/p.dat", "1 2\n");
  const auto first = cache.Plot(root / "work/p.dat");
  ASSERT_TRUE(first);
  EXPECT_EQ(cache.Plot(root / "work/p.dat"), first);  // unchanged: the same parse
  Put("work/p.dat", "1 2\n3 4\n");
  const auto second = cache.Plot(root / "work/p.dat");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->lines.size(), 2u);
  fs::remove(root / "work/p.dat");
  EXPECT_FALSE(cache.Plot(root / "work/p.dat"));
}

}  // namespace
}  // namespace oru
