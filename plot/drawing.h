#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geodesy/records.h"
#include "plot/canvas.h"
#include "plot/plot_files.h"
#include "plot/viewport.h"

namespace oru {

// Crossings of the straight line through (x0, y0) and (x1, y1) with the
// border of `e`, tried in the order XMin, XMax, YMin, YMax. An X border is
// tried only when |x1 - x0| > 0.01 m, a Y border only when |y1 - y0| > 0.01
// m; a crossing counts when it lies on the border (ends included) and
// between the two points (ends included). Writes at most `wanted` (1 or 2)
// crossings to `out` and returns how many.
int BorderCrossings(double x0, double y0, double x1, double y1, const PlotExtent& e,
                    PlotPoint out[2], int wanted);

// Pixel bookkeeping of one repaint that lets huge tracks draw fast without
// changing the picture: a move or line to the pixel the pen is already on
// is left out (a line that ends where it starts draws nothing), and a
// marker of the same colour on a pixel that already has one is left out.
class DrawMemo {
 public:
  // `width` x `height` pixels; markers outside are always drawn.
  DrawMemo(std::int32_t width, std::int32_t height);
  // True the first time a marker of `colour` is asked for at (x, y) since a
  // marker of another colour was drawn there.
  bool FirstMarker(std::int32_t x, std::int32_t y, Rgb colour);

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::vector<std::uint32_t> marker_;  // colour + 1 of the last marker, 0 none
};

// The coastline: green lines through the records in file order. Code 3
// starts a line (the pen moves there), code 2 or less continues it (a line
// to the point), larger codes neither; segments are cut at the border of
// the drawing area (the extent fitted to it, with the margins of the fit:
// PlotViewport::Visible), and a segment that passes through the area
// without a point in it is drawn between its two crossings.
void DrawCoastline(const CoastData& coast, const PlotViewport& view, Canvas& canvas);

// A point of a plot file as the drawing sees it.
struct TrackPoint2D {
  double x = 0.0;
  double y = 0.0;
  Rgb colour = 0;
  const std::string* label = nullptr;  // set when the line had all five fields
};

// The points of one plot file. Each point is joined to the one before by a
// line in its colour and marked with a silver circle of radius 2 pixels, as
// its mode says: 0 or 1 line only, 2 line and marker, 3 marker only (the pen
// moves there), larger marker only (the pen stays). Two points of different
// colours are never joined. The first point is marked whatever its mode.
// A line that gives only X and Y is mode 2 in `default_colour`; values that
// a line does not give are those of the line before.
void DrawPlotFile(const PlotFileData& file, Rgb default_colour, const PlotViewport& view,
                  Canvas& canvas, DrawMemo* memo);

// The segment routine behind DrawPlotFile, for tests: draws from p0 to p1
// with the shared `mode` (set to 3 when the colours differ) and the pen-up
// flag of a file's first segment.
void DrawPlotSegment(const TrackPoint2D& p0, const TrackPoint2D& p1, std::int32_t& mode,
                     bool pen_up, const PlotViewport& view, Canvas& canvas,
                     DrawMemo* memo = nullptr);

// The scale bar's length: the first of 10, 20, ..., 90, 100, 200, ... 900,
// 1000, ... plot metres whose length in pixels (length x scale) reaches
// client_width / 8; past 9000000 m the last length tried stays.
struct ScaleBarChoice {
  double length = 0.0;  // plot metres
  double pixels = 0.0;  // its length in pixels
  std::string label;    // what DrawScaleBar measured, empty when nothing
  Pixel label_at;       // the label's top-left corner
};
ScaleBarChoice ChooseScaleBar(double scale, std::int32_t client_width);

// Lengths from here on draw neither bar nor label nor block numbers.
inline constexpr double kScaleBarLimit = 50000.0;  // plot metres

// Draws the scale bar for an area of `width` x `height` pixels: a black bar
// 10 pixels high whose right end lies 120 pixels from the right edge and
// whose bottom lies 50 pixels above the bottom edge of the client area (41
// of which are the button panel). Its label, in whole metres followed by
// " meter", is the geodesic length on WGS84 of the bar's diagonal for plot
// metres, and the plane distance between the ends of its lower edge for X, Y
// metres (`plane`), which are true metres already. Returns the choice with
// its label for DrawScaleBarLabel, and in `error` a geodesy error code of
// the conversion (0 when none).
ScaleBarChoice DrawScaleBar(const PlotViewport& view, Canvas& canvas, int& error,
                            bool plane = false);

// The scale bar's label, 10 pixels right of the bar, over a box of the
// background colour: drawn last, so that block labels never run into it.
void DrawScaleBarLabel(const ScaleBarChoice& bar, Canvas& canvas);

// The bottom panel's height below the drawing area, pixels.
inline constexpr std::int32_t kPanelHeight = 41;

// Whether the block numbers are drawn: with a background, a scale bar below
// 50000 m and a coastline file whose path contains "NorthSea".
bool BlockLabelsWanted(bool background_on, double bar_length, const std::string& coast_file);

// Each label whose point lies inside the drawing area (edges included), in black
// with its top-left corner 5 pixels left of and 10 above the point.
void DrawBlockLabels(const BlockData& blocks, const PlotViewport& view, Canvas& canvas);

// The cursor read-out of the plot point (x, y) in plot metres: latitude
// and longitude on WGS84 as " D M S.sss H" (" 52 4 30.125 N"), or "cursor
// is" and "uit zone" when the conversion fails.
struct CursorTexts {
  std::string latitude;
  std::string longitude;
};
CursorTexts CursorReadOut(double x, double y);
// The read-out of an X, Y plot: the plane coordinates in metres to the
// centimetre (" 123456.78").
CursorTexts PlaneReadOut(double x, double y);

// Geographic position of a plot point through GeodBase's Merc_To_Geo.
// Returns its error code.
int PlotToGeographic(double x, double y, LatLon& out);

}  // namespace oru
