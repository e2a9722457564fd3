#pragma once

#include <cstdint>

#include "plot/plot_files.h"

namespace oru {

// The rectangle of plot metres that the plot window shows.
struct PlotExtent {
  double XMax = 0.0;
  double XMin = 0.0;
  double YMax = 0.0;
  double YMin = 0.0;
};

inline PlotExtent ToExtent(const Rect& r) { return {r.XMax, r.XMin, r.YMax, r.YMin}; }

struct Pixel {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Pixel&) const = default;
};

struct PlotPoint {
  double x = 0.0;
  double y = 0.0;
};

// The fixed views of "&100%", plot metres: the North Sea and the world
// (Mercator on WGS84 up to about 85 degrees north and 80 south).
inline constexpr PlotExtent kNorthSeaExtent{1092786.0, -185.0, 7477434.0, 6454420.0};
inline constexpr PlotExtent kWorldExtent{20037508.0, -20037508.0, 19929239.0, -15496670.0};

// The viewport: the extent, the drawing area (width W, height Hp in pixels)
// and the mapping between them. Fitting gives one scale in both directions
// (pixels per plot metre) and centres the extent:
//   Scale = min(W / (XMax - XMin), Hp / (YMax - YMin))
//   OffsetX = W/2 - (XMax - XMin)/2 Scale, OffsetY = Hp/2 - (YMax - YMin)/2 Scale
//   px = floor((x - XMin) Scale + OffsetX), py = floor(Hp - (y - YMin) Scale - OffsetY)
// Every navigation action changes the extent only; the caller fits again
// before drawing (each repaint does).
class PlotViewport {
 public:
  PlotExtent extent;
  double ScaleX = 1.0;
  double ScaleY = 1.0;
  double OffsetX = 0.0;
  double OffsetY = 0.0;
  std::int32_t W = 1;
  std::int32_t Hp = 1;

  // Sets the drawing area (pixels) and fits the extent to it.
  void SetArea(std::int32_t width, std::int32_t height);
  void Fit();

  Pixel ToPixel(double x, double y) const;
  PlotPoint ToPlot(double px, double py) const;
  // The plot rectangle covered by the whole drawing area: the extent and
  // the margins that fitting it to the area's shape leaves.
  PlotExtent Visible() const;

  // Buttons: pan by an eighth of the extent's width or height; zoom in
  // (each side an eighth inwards) and out (an eighth outwards).
  void PanWest();
  void PanEast();
  void PanNorth();
  void PanSouth();
  void ZoomIn();
  void ZoomOut();
  // Right click and key press: 1.5 times as wide and high, centred on the
  // plot point (cx, cy).
  void ZoomOutAround(double cx, double cy);
  // Zoom to the rectangle dragged between two plot points, in any
  // direction, given the shape of the drawing area (the longer side kept,
  // the other grown to the area's proportions). Returns false, and shows
  // the visible extent instead, when the rectangle is below 1 m wide or
  // high.
  bool ZoomToDrag(double x0, double y0, double x1, double y1);
  // "&100%": the North Sea or the world rectangle shaped to the area: the
  // height becomes Hp dX / W when dX < dY, else the width W dY / Hp, the
  // change shared equally by both sides.
  void ShowFixed(bool north_sea);
};

inline constexpr const char* kDragTooSmall =
    "The dragged rectangle is smaller than 1 m.; the zoom has not been carried out!";

}  // namespace oru
