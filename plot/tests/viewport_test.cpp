#include "plot/viewport.h"

#include <gtest/gtest.h>

namespace oru {
namespace {

PlotViewport View(PlotExtent e, int w = 800, int h = 600) {
  PlotViewport v;
  v.extent = e;
  v.SetArea(w, h);
  return v;
}

void ExpectExtent(const PlotExtent& a, const PlotExtent& b, double tol) {
  EXPECT_NEAR(a.XMin, b.XMin, tol);
  EXPECT_NEAR(a.XMax, b.XMax, tol);
  EXPECT_NEAR(a.YMin, b.YMin, tol);
  EXPECT_NEAR(a.YMax, b.YMax, tol);
}

TEST(Viewport, FitsWholeAndCentred) {
  // Twice as wide as high in a square area: the width fills it, the height
  // is centred.
  const PlotViewport v = View({2000.0, 0.0, 1000.0, 0.0}, 500, 500);
  EXPECT_DOUBLE_EQ(v.ScaleX, 0.25);
  EXPECT_DOUBLE_EQ(v.ScaleY, 0.25);
  EXPECT_DOUBLE_EQ(v.OffsetX, 0.0);
  EXPECT_DOUBLE_EQ(v.OffsetY, 125.0);
  EXPECT_EQ(v.ToPixel(0.0, 0.0), (Pixel{0, 375}));
  EXPECT_EQ(v.ToPixel(2000.0, 1000.0), (Pixel{500, 125}));
  ExpectExtent(v.Visible(), {2000.0, 0.0, 1500.0, -500.0}, 1e-9);
}

TEST(Viewport, PixelAndPlotMappingsAreInverse) {
  const PlotViewport v = View({1092786.0, -185.0, 7477434.0, 6454420.0}, 1917, 1013);
  for (const auto& [px, py] : {std::pair{0, 0}, {1916, 1012}, {345, 678}, {1000, 3}}) {
    const PlotPoint p = v.ToPlot(px + 0.5, py + 0.5);
    EXPECT_EQ(v.ToPixel(p.x, p.y), (Pixel{px, py}));
  }
}

TEST(Viewport, PanThereAndBackAndZoomInOut) {
  const PlotExtent start{1092786.0, -185.0, 7477434.0, 6454420.0};
  PlotViewport v = View(start);
  for (int i = 0; i < 4; ++i) v.PanEast();
  for (int i = 0; i < 4; ++i) v.PanWest();
  for (int i = 0; i < 3; ++i) v.PanNorth();
  for (int i = 0; i < 3; ++i) v.PanSouth();
  ExpectExtent(v.extent, start, 1e-6);
  v.PanEast();
  EXPECT_NEAR(v.extent.XMin - start.XMin, (start.XMax - start.XMin) / 8.0, 1e-6);

  v.extent = start;
  v.ZoomIn();
  v.ZoomOut();
  // Each side in by 1/8, then out by 1/8 of the smaller extent: 15/16.
  const double w = start.XMax - start.XMin;
  const double h = start.YMax - start.YMin;
  EXPECT_NEAR(v.extent.XMax - v.extent.XMin, w * 15.0 / 16.0, 1e-6);
  EXPECT_NEAR(v.extent.YMax - v.extent.YMin, h * 15.0 / 16.0, 1e-6);
  EXPECT_NEAR(v.extent.XMin + v.extent.XMax, start.XMin + start.XMax, 1e-6);
  EXPECT_NEAR(v.extent.YMin + v.extent.YMax, start.YMin + start.YMax, 1e-6);
}

TEST(Viewport, ZoomOutAroundTheCursor) {
  PlotViewport v = View({1000.0, 0.0, 500.0, 0.0});
  v.ZoomOutAround(500.0, 250.0);
  ExpectExtent(v.extent, {1250.0, -250.0, 625.0, -125.0}, 1e-9);
  v.ZoomOutAround(0.0, 0.0);
  ExpectExtent(v.extent, {1125.0, -1125.0, 562.5, -562.5}, 1e-9);
}

TEST(Viewport, DragInAnyDirectionZoomsTheSame) {
  // Area 800 x 400: the visible extent is twice as wide as high.
  const PlotExtent start{8000.0, 0.0, 4000.0, 0.0};
  struct Row {
    double x0, y0, x1, y1;
    PlotExtent expected;
  };
  const Row rows[] = {
      // 1000 x 200 wide rectangle: the height grows to 500 about its centre.
      {1000.0, 1000.0, 2000.0, 1200.0, {2000.0, 1000.0, 1350.0, 850.0}},
      {2000.0, 1200.0, 1000.0, 1000.0, {2000.0, 1000.0, 1350.0, 850.0}},
      {1000.0, 1200.0, 2000.0, 1000.0, {2000.0, 1000.0, 1350.0, 850.0}},
      {2000.0, 1000.0, 1000.0, 1200.0, {2000.0, 1000.0, 1350.0, 850.0}},
      // 100 x 400 high rectangle: the width grows to 800.
      {3000.0, 0.0, 3100.0, 400.0, {3450.0, 2650.0, 400.0, 0.0}},
  };
  for (const Row& r : rows) {
    PlotViewport v = View(start, 800, 400);
    EXPECT_TRUE(v.ZoomToDrag(r.x0, r.y0, r.x1, r.y1));
    ExpectExtent(v.extent, r.expected, 1e-9);
  }
}

TEST(Viewport, DragBelowOneMetreKeepsTheView) {
  for (const auto& [x1, y1] : {std::pair{500.0, 500.0}, {500.5, 500.2}, {500.0, 500.9}}) {
    PlotViewport v = View({8000.0, 0.0, 4000.0, 0.0}, 800, 600);
    const PlotExtent visible = v.Visible();
    EXPECT_FALSE(v.ZoomToDrag(500.0, 500.0, x1, y1));
    ExpectExtent(v.extent, visible, 1e-9);
    v.Fit();
    ExpectExtent(v.Visible(), visible, 1e-6);  // the picture stays as it was
  }
}

TEST(Viewport, HundredPercentTakesTheAreaShape) {
  for (const auto& [w, h] : {std::pair{1600, 800}, {600, 900}}) {
    PlotViewport v = View({1.0, 0.0, 1.0, 0.0}, w, h);
    v.ShowFixed(true);
    const PlotExtent& e = v.extent;
    EXPECT_NEAR((e.XMax - e.XMin) / (e.YMax - e.YMin), static_cast<double>(w) / h, 1e-9);
    EXPECT_NEAR(e.XMin + e.XMax, kNorthSeaExtent.XMin + kNorthSeaExtent.XMax, 1e-6);
    EXPECT_NEAR(e.YMin + e.YMax, kNorthSeaExtent.YMin + kNorthSeaExtent.YMax, 1e-6);
  }
  PlotViewport world = View({1.0, 0.0, 1.0, 0.0}, 1000, 1000);
  world.ShowFixed(false);
  EXPECT_NEAR(world.extent.YMax - world.extent.YMin, world.extent.XMax - world.extent.XMin, 1e-6);
}

}  // namespace
}  // namespace oru
