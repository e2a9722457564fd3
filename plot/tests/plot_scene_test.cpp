#include "plot/plot_scene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "plot/handoff.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

class PlotSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("oru_scene_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir / "app/data");
    setup.handoff_dir = dir;
    setup.places.application_dir = dir / "app";
    setup.places.working_dir = dir;
    // A small "North Sea": corners, one coastline; blocks at 1 km spacing.
    Write("app/data/NorthSea.cst", "3 0 0\n3 100000 100000\n3 10000 10000\n2 90000 10000\n");
    Write("app/data/World.cst", "3 -1000000 -1000000\n3 1000000 1000000\n");
    Write("app/data/blokmerca.nrs", "101 50000 50000 1/1\n102 150000 50000 1/2\n");
    Write(kAllPointsFile, "40000 40000 0 2\n60000 60000 0 2\n");
    Write(kSelectedPointsFile, "40000 40000 255 2\n60000 60000 255 2\n");
  }
  void TearDown() override { fs::remove_all(dir); }
  void Write(const fs::path& p, const std::string& text) { std::ofstream(dir / p) << text; }
  PaintEnd Paint(RecordingCanvas& canvas, int w = 1000, int h = 1000) {
    return scene.Paint(canvas, w, h, setup, [this](const std::string& m) { messages.push_back(m); });
  }

  fs::path dir;
  PaintSetup setup;
  PlotScene scene;
  std::vector<std::string> messages;
};

TEST_F(PlotSceneTest, DrawsCoastPointsSelectionAndScaleBarFromTheCoastExtent) {
  RecordingCanvas canvas;
  EXPECT_EQ(Paint(canvas), PaintEnd::Drawn);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(scene.view.extent.XMax, 100000.0);
  EXPECT_EQ(scene.CoastFile, (dir / "app/data/NorthSea.cst").string());
  EXPECT_EQ(canvas.Only("pen 32768").size(), 1u);  // green coastline
  EXPECT_EQ(canvas.Only("ellipse").size(), 4u);     // two points, two selected
  EXPECT_EQ(canvas.Only("rect").size(), 1u);        // the scale bar
  // Scale 0.01 px/m: a 20000 m bar, so the block labels inside are drawn,
  // and the bar's label last, on its box, so that no block label runs into
  // it.
  EXPECT_EQ(canvas.Only("text"), std::vector<std::string>{"text 495 490 1/1"});
  ASSERT_EQ(canvas.Only("label").size(), 1u);
  EXPECT_EQ(canvas.calls.back().rfind("label ", 0), 0u) << canvas.calls.back();
}

// A track outside the coastline file's area opened on an empty sea; now the
// view opens on the track, with the world coastline; a track inside keeps
// the file's extent unless the picture asks to open on the track.
TEST_F(PlotSceneTest, OpensOnATrackOutsideTheCoastlineArea) {
  struct Row {
    const char* points;
    bool open_on_track;
    const char* coast;
    PlotExtent extent;  // XMax, XMin, YMax, YMin
  };
  const Row rows[] = {
      {"40000 40000 0 2\n60000 60000 0 2\n", false, "NorthSea.cst", {100000, 0, 100000, 0}},
      // The track's extent: a twentieth of its larger side around it.
      {"40000 40000 0 2\n60000 60000 0 2\n", true, "NorthSea.cst", {61000, 39000, 61000, 39000}},
      // Beyond the north-east corner, a 1 km line: 50 m around it.
      {"300000 300000 0 2\n301000 300000 0 2\n", false, "World.cst", {301050, 299950, 300050, 299950}},
      // Across the edge of the area.
      {"90000 50000 0 2\n110000 50000 0 2\n", false, "World.cst", {111000, 89000, 51000, 49000}},
      {"40000 40000 0 2\n60000 60000 0 2\n", false, "NorthSea.cst", {100000, 0, 100000, 0}},
  };
  // One scene for all rows, repainted twice each, as the window repaints:
  // every new track is judged against the North Sea file again, whatever
  // the track before it needed.
  for (const Row& row : rows) {
    Write(kAllPointsFile, row.points);
    setup.open_on_track = row.open_on_track;
    RecordingCanvas canvas;
    EXPECT_EQ(Paint(canvas), PaintEnd::Drawn) << row.points;
    EXPECT_EQ(Paint(canvas), PaintEnd::Drawn) << row.points;
    EXPECT_EQ(scene.CoastFile, (dir / "app/data" / row.coast).string()) << row.points;
    EXPECT_EQ(scene.view.extent.XMax, row.extent.XMax) << row.points;
    EXPECT_EQ(scene.view.extent.XMin, row.extent.XMin) << row.points;
    EXPECT_EQ(scene.view.extent.YMax, row.extent.YMax) << row.points;
    EXPECT_EQ(scene.view.extent.YMin, row.extent.YMin) << row.points;
  }
}

TEST_F(PlotSceneTest, XyInputDrawsPointsOnly) {
  setup.xy_input = true;
  RecordingCanvas canvas;
  EXPECT_EQ(Paint(canvas), PaintEnd::Drawn);
  EXPECT_EQ(scene.StaticText3, kNoBackgroundText);
  EXPECT_TRUE(canvas.Only("pen 32768").empty());
  // The extent is the track's, widened by a twentieth of its 20 km side
  // (a fixed 50 km margin made a small track a speck).
  EXPECT_EQ(scene.view.extent.XMin, 39000.0);
  EXPECT_EQ(scene.view.extent.XMax, 61000.0);
  EXPECT_TRUE(canvas.Only("text").empty());  // no block labels
  // The label is the bar's plane length: X, Y metres are true metres, not
  // Mercator metres (a 2527 m bar was labelled 1727 m).
  const auto rect = canvas.Only("rect");
  const auto label = canvas.Only("label");
  ASSERT_EQ(rect.size(), 1u);
  ASSERT_EQ(label.size(), 1u);
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, lx = 0, ly = 0;
  long metres = 0;
  ASSERT_EQ(std::sscanf(rect[0].c_str(), "rect %d %d %d %d", &x1, &y1, &x2, &y2), 4);
  ASSERT_EQ(std::sscanf(label[0].c_str(), "label %d %d %ld meter", &lx, &ly, &metres), 3);
  EXPECT_NEAR(metres * scene.view.ScaleX, x2 - x1, 1.0);
  // The cursor reads plane metres.
  const Pixel centre = scene.view.ToPixel(50000.0, 50000.0);
  const CursorTexts at = scene.MouseMove(centre.x, centre.y, true);
  EXPECT_NEAR(std::stod(at.latitude), 50000.0, 1.0 / scene.view.ScaleX);
  EXPECT_NEAR(std::stod(at.longitude), 50000.0, 1.0 / scene.view.ScaleX);
}

TEST_F(PlotSceneTest, EachMessageOnceUntilTheUserChangesSomething) {
  fs::remove(dir / "app/data/NorthSea.cst");
  for (int i = 0; i < 3; ++i) {
    RecordingCanvas canvas;
    EXPECT_EQ(Paint(canvas), PaintEnd::NothingDrawn);
    EXPECT_TRUE(canvas.calls.empty());
  }
  EXPECT_EQ(messages, std::vector<std::string>{kCoastMissing});
  // Choosing the world file cures it; its extent is shown.
  EXPECT_TRUE(scene.ChooseCoastFile((dir / "app/data/World.cst").string(), setup, nullptr));
  EXPECT_EQ(scene.StaticText3, " /.../ World");
  EXPECT_EQ(scene.view.extent.XMin, -1000000.0);
  RecordingCanvas canvas;
  EXPECT_EQ(Paint(canvas), PaintEnd::Drawn);
  EXPECT_TRUE(canvas.Only("text 4").empty());  // no block labels with the world file

  // The block file missing: told once, at the end of the repaint.
  fs::remove(dir / "app/data/blokmerca.nrs");
  scene.CoastFile = kNorthSeaCoast;
  Write("app/data/NorthSea.cst", "3 0 0\n3 100000 100000\n");
  scene.ExtentFixed = false;
  messages.clear();
  for (int i = 0; i < 2; ++i) {
    RecordingCanvas c;
    EXPECT_EQ(Paint(c), PaintEnd::Drawn);
  }
  EXPECT_EQ(messages, std::vector<std::string>{kBlocksMissing});
  scene.ForgetMessages();
  RecordingCanvas again;
  Paint(again);
  EXPECT_EQ(messages.size(), 2u);
}

// A track chosen as the coastline gave a 9 m view with one green line.
TEST_F(PlotSceneTest, ChoosingAFileThatIsNoCoastlineKeepsTheCoastline) {
  RecordingCanvas canvas;
  Paint(canvas);
  const std::string coast = scene.CoastFile;
  const std::string shown = scene.StaticText3;
  const PlotExtent extent = scene.view.extent;
  const fs::path track = dir / kAllPointsFile;
  EXPECT_FALSE(scene.ChooseCoastFile(track.string(), setup,
                                     [this](const std::string& m) { messages.push_back(m); }));
  EXPECT_EQ(messages, std::vector<std::string>{track.string() + kNotACoastFile});
  EXPECT_EQ(scene.CoastFile, coast);
  EXPECT_EQ(scene.StaticText3, shown);
  EXPECT_EQ(scene.view.extent.XMax, extent.XMax);
}

TEST_F(PlotSceneTest, MissingHandoffFilesCloseTheWindow) {
  fs::remove(dir / kAllPointsFile);
  RecordingCanvas canvas;
  EXPECT_EQ(Paint(canvas), PaintEnd::CloseWindow);
  setup.xy_input = true;
  fs::remove(dir / kSelectedPointsFile);
  RecordingCanvas c2;
  EXPECT_EQ(Paint(c2), PaintEnd::CloseWindow);
  EXPECT_EQ(messages, std::vector<std::string>{kSelectionNotOpen});
}

TEST_F(PlotSceneTest, NavigatedExtentIsKeptForTheNextPlot) {
  RecordingCanvas canvas;
  Paint(canvas);
  scene.ZoomIn();
  const PlotExtent zoomed = scene.view.extent;
  Write(kAllPointsFile, "1 1 0 2\n2 2 0 2\n");  // a new run's files
  RecordingCanvas next;
  Paint(next);
  EXPECT_EQ(scene.view.extent.XMin, zoomed.XMin);
  EXPECT_EQ(scene.view.extent.YMax, zoomed.YMax);
  // The whole background returns to the coastline file's corners.
  EXPECT_TRUE(scene.ShowWholeBackground(setup, nullptr));
  EXPECT_EQ(scene.view.extent.XMax, 100000.0);
  // A click without moving: the 1 m message, the view as it was.
  scene.view.Fit();
  const PlotExtent visible = scene.view.Visible();
  scene.ZoomToDrag({500.0, 500.0}, {500.0, 500.0}, [this](const std::string& m) { messages.push_back(m); });
  EXPECT_EQ(messages, std::vector<std::string>{kDragTooSmall});
  EXPECT_EQ(scene.view.extent.XMin, visible.XMin);
}

}  // namespace
}  // namespace oru
