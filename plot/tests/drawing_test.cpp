#include "plot/drawing.h"

#include <gtest/gtest.h>


#include "plot/handoff.h"

namespace oru {
namespace {

using Calls = std::vector<std::string>;

// 1 pixel per 10 m: the extent 0..1000 x 0..1000 m on 100 x 100 pixels.
PlotViewport Square() {
  PlotViewport v;
  v.extent = {1000.0, 0.0, 1000.0, 0.0};
  v.SetArea(100, 100);
  return v;
}

TEST(BorderCrossings, OrderAndLimits) {
  const PlotExtent e{1000.0, 0.0, 1000.0, 0.0};
  PlotPoint c[2];
  struct Row {
    double x0, y0, x1, y1;
    int wanted, found;
    PlotPoint first;
  };
  const Row rows[] = {
      {500, 500, 1500, 500, 1, 1, {1000, 500}},    // leaves through XMax
      {-500, 500, 500, 500, 1, 1, {0, 500}},       // enters through XMin
      {-500, 500, 1500, 500, 2, 2, {0, 500}},      // passes: XMin first
      {500, 1500, 500, -500, 2, 2, {500, 0}},      // vertical: YMin before YMax
      {-500, 1200, 1500, 1300, 2, 0, {0, 0}},      // passes above
      {999.995, 500, 1000.005, 500, 1, 0, {0, 0}}, // below 0.01 m: not tried
      {1000, 500, 1200, 700, 1, 1, {1000, 500}},   // on the border: counts
  };
  for (const Row& r : rows) {
    EXPECT_EQ(BorderCrossings(r.x0, r.y0, r.x1, r.y1, e, c, r.wanted), r.found);
    if (r.found > 0) {
      EXPECT_DOUBLE_EQ(c[0].x, r.first.x);
      EXPECT_DOUBLE_EQ(c[0].y, r.first.y);
    }
  }
}

TEST(DrawCoastline, CutsAtTheBorderAndStartsLinesAtCodeThree) {
  struct Row {
    const char* file;
    Calls lines;  // the moves and lines drawn
  };
  const Row rows[] = {
      // Corners, then one line inside.
      {"3 0 0\n3 1000 1000\n3 100 100\n2 200 100\n2 200 300\n",
       {"move 100 0", "move 10 90", "line 20 90", "line 20 70"}},
      // A line leaving the extent is drawn to the border.
      {"3 0 0\n3 1000 1000\n3 500 500\n2 1500 500\n", {"move 100 0", "move 50 50", "line 100 50"}},
      // Entering, then passing through without a point inside.
      {"3 0 0\n3 1000 1000\n3 -500 500\n2 500 500\n3 -100 200\n2 1100 200\n",
       {"move 0 50", "line 50 50", "move 0 80", "line 100 80"}},
      // Outside without crossing; code 3 outside draws nothing.
      {"3 0 0\n3 1000 1000\n3 -500 -500\n2 -100 -900\n3 2000 2000\n", {}},
      // Lines without three values are passed over.
      {"3 0 0\n3 1000 1000\n3 100 100\nnoise\n2 100\n2 300 100\n", {"move 100 0", "move 10 90", "line 30 90"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.file);
    RecordingCanvas canvas;
    DrawCoastline(ParseCoastFile(r.file), Square(), canvas);
    EXPECT_EQ(canvas.calls.front(), "pen 32768");  // green
    Calls drawn;
    for (const auto& c : canvas.calls) {
      if (c.rfind("move", 0) == 0 || c.rfind("line", 0) == 0) drawn.push_back(c);
    }
    EXPECT_EQ(drawn, r.lines);
  }
}

TrackPoint2D P(double x, double y, Rgb c = kBlack, const std::string* label = nullptr) {
  return {x, y, c, label};
}

TEST(DrawPlotSegment, MarkersLinesColoursAndLabels) {
  const std::string label = "K7";
  struct Row {
    const char* name;
    TrackPoint2D p0, p1;
    std::int32_t mode;
    bool pen_up;
    Calls calls;
  };
  const Row rows[] = {
      {"first segment marks both", P(100, 100), P(200, 100), 2, true,
       {"pen 0", "move 10 90", "ellipse 8 92 12 88", "line 20 90", "ellipse 18 92 22 88"}},
      {"first point marked also in mode 0", P(100, 100), P(200, 100), 0, true,
       {"pen 0", "move 10 90", "ellipse 8 92 12 88", "line 20 90"}},
      {"mode 3 moves", P(100, 100), P(200, 100), 3, false,
       {"pen 0", "move 10 90", "move 20 90", "ellipse 18 92 22 88"}},
      {"colours differ: no line", P(100, 100), P(200, 100, kRed), 2, false,
       {"pen 0", "move 10 90", "pen 255", "move 20 90", "ellipse 18 92 22 88"}},
      {"labels beside the points", P(100, 100), P(200, 100, kBlack, &label), 2, false,
       {"pen 0", "line 10 90", "line 20 90", "ellipse 18 92 22 88", "text 23 93 K7", "move 20 90"}},
      {"leaving: marker at the border", P(500, 500), P(1500, 500), 2, false,
       {"pen 0", "move 50 50", "ellipse 48 52 52 48", "line 100 50", "ellipse 98 52 102 48"}},
      {"entering", P(-500, 500), P(500, 500), 2, false,
       {"pen 0", "move 0 50", "line 50 50", "ellipse 48 52 52 48"}},
      {"passing: no markers", P(-500, 500), P(1500, 500), 2, false, {"pen 0", "move 0 50", "line 100 50"}},
      {"outside", P(-500, -500), P(-100, -900), 2, false, {"pen 0"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    RecordingCanvas canvas;
    std::int32_t mode = r.mode;
    DrawPlotSegment(r.p0, r.p1, mode, r.pen_up, Square(), canvas);
    EXPECT_EQ(canvas.calls, r.calls);
  }
}

TEST(DrawPlotFile, DefaultsAndTheZeroCoordinateMend) {
  // Only X and Y: mode 2 in the file's colour. A point at X = 0 of the
  // selection was neither joined nor marked; it is drawn like any other.
  RecordingCanvas canvas;
  DrawPlotFile(ParsePlotFile("0 500\n500 500\n500 0\n"), kRed, Square(), canvas, nullptr);
  EXPECT_EQ(canvas.Only("ellipse").size(), 3u);
  EXPECT_EQ(canvas.Only("line"), (Calls{"line 50 50", "line 50 100"}));
  EXPECT_EQ(canvas.Only("pen"), (Calls{"pen 255"}));
}

TEST(DrawMemo, SkipsRepeatedMarkersOnAPixelButNotOtherColours) {
  // 1000 points within one pixel, then one red point on it.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += std::to_string(500 + i * 0.001) + " 500\n";
  text += "500 500 255 2\n";
  RecordingCanvas canvas;
  DrawMemo memo(100, 100);
  DrawPlotFile(ParsePlotFile(text), kBlack, Square(), canvas, &memo);
  EXPECT_EQ(canvas.Only("ellipse").size(), 2u);
  EXPECT_EQ(canvas.Only("line").size(), 0u);
}

TEST(ScaleBar, LengthChoice) {
  struct Row {
    double scale;
    int width;
    double length;
  };
  const Row rows[] = {
      {0.01, 800, 10000.0},   // 100 pixels
      {0.01, 807, 10000.0},   // 807 / 8 = 100 pixels: 10000 m still reaches it
      {0.01, 808, 20000.0},
      {1.0, 800, 100.0},
      {0.0019, 1920, 200000.0},
      {1e-9, 800, 9000000.0},  // past the last length tried
  };
  for (const Row& r : rows) EXPECT_DOUBLE_EQ(ChooseScaleBar(r.scale, r.width).length, r.length) << r.scale;
}

TEST(ScaleBar, BarAndGeodesicLabel) {
  // 0.01 pixels per metre on the equator: a bar of 10000 m (100 pixels),
  // whose 10 x 100 pixel diagonal is 1000 m north by 10000 m east.
  PlotViewport v;
  v.extent = {80000.0, 0.0, 40000.0, -20000.0};
  v.SetArea(800, 600);
  RecordingCanvas canvas;
  int error = -1;
  const ScaleBarChoice c = DrawScaleBar(v, canvas, error);
  EXPECT_EQ(error, 0);
  EXPECT_DOUBLE_EQ(c.length, 10000.0);
  const Calls rect = canvas.Only("rect");
  ASSERT_EQ(rect.size(), 1u);
  EXPECT_EQ(rect[0], "rect 580 581 680 591");
  EXPECT_TRUE(canvas.Only("text").empty()) << "the label comes last, on its own";
  DrawScaleBarLabel(c, canvas);
  const Calls text = canvas.Only("label");
  ASSERT_EQ(text.size(), 1u);
  // On the equator Mercator northing and meridian arc grow alike (both
  // a (1 - e2) dphi), so the diagonal is sqrt(10000^2 + 1000^2) = 10049.9 m.
  EXPECT_TRUE(text[0] == "label 690 580 10049 meter" || text[0] == "label 690 580 10048 meter") << text[0];

  v.SetArea(8000, 600);  // a bar of 100000 m: none, and no label
  RecordingCanvas wide;
  const ScaleBarChoice none = DrawScaleBar(v, wide, error);
  EXPECT_GE(none.length, kScaleBarLimit);
  DrawScaleBarLabel(none, wide);
  EXPECT_TRUE(wide.Only("rect").empty());
  EXPECT_TRUE(wide.Only("label").empty());
}

TEST(BlockLabels, ConditionsAndPlacement) {
  EXPECT_TRUE(BlockLabelsWanted(true, 40000.0, "/usr/share/oru/NorthSea.cst"));
  EXPECT_FALSE(BlockLabelsWanted(true, 50000.0, "NorthSea.cst"));
  EXPECT_FALSE(BlockLabelsWanted(false, 400.0, "NorthSea.cst"));
  EXPECT_FALSE(BlockLabelsWanted(true, 400.0, "World.cst"));
  RecordingCanvas canvas;
  DrawBlockLabels(ParseBlockFile("1 500 500 A\n2 1000 0 B\n3 1000.5 0 C\n"), Square(), canvas);
  EXPECT_EQ(canvas.Only("text"), (Calls{"text 45 40 A", "text 95 90 B"}));
}

TEST(CursorReadOut, DegreesMinutesSecondsOnWgs84) {
  struct Row {
    DmsPosition p;
    const char* lat;
    const char* lon;
  };
  const Row rows[] = {
      {{52, 4, 30.125, 'N', 4, 30, 0.0, 'E'}, " 52 4 30.125 N", " 4 30 0.000 E"},
      {{33, 55, 1.5, 'S', 70, 0, 59.25, 'W'}, " 33 55 1.500 S", " 70 0 59.250 W"},
  };
  PlotProjector projector(DatumChoice::Wgs84);
  for (const Row& r : rows) {
    double x = 0.0, y = 0.0;
    ASSERT_EQ(projector.ToPlot(r.p, x, y), 0);
    const CursorTexts t = CursorReadOut(x, y);
    EXPECT_EQ(t.latitude, r.lat);
    EXPECT_EQ(t.longitude, r.lon);
  }
}

}  // namespace
}  // namespace oru
