#include "plot/viewport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace oru {
namespace {

// floor() of a pixel coordinate as a 32-bit integer; far outside the area
// (a zoom deep into a long segment) it saturates rather than overflows.
std::int32_t PixelFloor(double v) {
  const double f = std::floor(v);
  if (!(f > -1.0e9)) return -1000000000;
  if (f > 1.0e9) return 1000000000;
  return static_cast<std::int32_t>(f);
}

}  // namespace

void PlotViewport::SetArea(std::int32_t width, std::int32_t height) {
  W = std::max<std::int32_t>(width, 1);
  Hp = std::max<std::int32_t>(height, 1);
  Fit();
}

void PlotViewport::Fit() {
  const double dx = extent.XMax - extent.XMin;
  const double dy = extent.YMax - extent.YMin;
  const double sx = W / dx;
  const double sy = Hp / dy;
  double s = std::min(sx, sy);
  if (!(s > 0.0) || !std::isfinite(s)) s = 1.0;  // an empty extent: no scale to fit
  ScaleX = ScaleY = s;
  OffsetX = W / 2.0 - dx / 2.0 * ScaleX;
  OffsetY = Hp / 2.0 - dy / 2.0 * ScaleY;
}

Pixel PlotViewport::ToPixel(double x, double y) const {
  return {PixelFloor((x - extent.XMin) * ScaleX + OffsetX),
          PixelFloor(Hp - (y - extent.YMin) * ScaleY - OffsetY)};
}

PlotPoint PlotViewport::ToPlot(double px, double py) const {
  return {(px - OffsetX) / ScaleX + extent.XMin, extent.YMin - (py - Hp + OffsetY) / ScaleY};
}

PlotExtent PlotViewport::Visible() const {
  PlotExtent v;
  v.XMin = extent.XMin - OffsetX / ScaleX;
  v.XMax = extent.XMin + (W - OffsetX) / ScaleX;
  v.YMin = extent.YMin - OffsetY / ScaleY;
  v.YMax = extent.YMin + (Hp - OffsetY) / ScaleY;
  return v;
}

void PlotViewport::PanWest() {
  const double d = (extent.XMax - extent.XMin) / 8.0;
  extent.XMin -= d;
  extent.XMax -= d;
}

void PlotViewport::PanEast() {
  const double d = (extent.XMax - extent.XMin) / 8.0;
  extent.XMin += d;
  extent.XMax += d;
}

void PlotViewport::PanNorth() {
  const double d = (extent.YMax - extent.YMin) / 8.0;
  extent.YMin += d;
  extent.YMax += d;
}

void PlotViewport::PanSouth() {
  const double d = (extent.YMax - extent.YMin) / 8.0;
  extent.YMin -= d;
  extent.YMax -= d;
}

void PlotViewport::ZoomIn() {
  const double dx = (extent.XMax - extent.XMin) / 8.0;
  const double dy = (extent.YMax - extent.YMin) / 8.0;
  extent.XMin += dx;
  extent.XMax -= dx;
  extent.YMin += dy;
  extent.YMax -= dy;
}

void PlotViewport::ZoomOut() {
  const double dx = (extent.XMax - extent.XMin) / 8.0;
  const double dy = (extent.YMax - extent.YMin) / 8.0;
  extent.XMin -= dx;
  extent.XMax += dx;
  extent.YMin -= dy;
  extent.YMax += dy;
}

void PlotViewport::ZoomOutAround(double cx, double cy) {
  const double half_x = 1.5 * (extent.XMax - extent.XMin) / 2.0;
  const double half_y = 1.5 * (extent.YMax - extent.YMin) / 2.0;
  extent = {cx + half_x, cx - half_x, cy + half_y, cy - half_y};
}

bool PlotViewport::ZoomToDrag(double x0, double y0, double x1, double y1) {
  const PlotExtent vis = Visible();
  const double xmin = std::min(x0, x1);
  const double xmax = std::max(x0, x1);
  const double ymin = std::min(y0, y1);
  const double ymax = std::max(y0, y1);
  double dx = xmax - xmin;
  double dy = ymax - ymin;
  const double cx = (xmin + xmax) / 2.0;
  const double cy = (ymin + ymax) / 2.0;
  if (dx > dy) {
    dy = dx * (vis.YMax - vis.YMin) / (vis.XMax - vis.XMin);
  } else {
    dx = dy * (vis.XMax - vis.XMin) / (vis.YMax - vis.YMin);
  }
  if (!(dx >= 1.0 && dy >= 1.0)) {
    extent = vis;
    return false;
  }
  extent = {cx + dx / 2.0, cx - dx / 2.0, cy + dy / 2.0, cy - dy / 2.0};
  return true;
}

void PlotViewport::ShowFixed(bool north_sea) {
  extent = north_sea ? kNorthSeaExtent : kWorldExtent;
  const double dx = extent.XMax - extent.XMin;
  const double dy = extent.YMax - extent.YMin;
  if (dx < dy) {
    const double grow = (static_cast<double>(Hp) * dx / W - dy) / 2.0;
    extent.YMin -= grow;
    extent.YMax += grow;
  } else {
    const double grow = (static_cast<double>(W) * dy / Hp - dx) / 2.0;
    extent.XMin -= grow;
    extent.XMax += grow;
  }
}

}  // namespace oru
