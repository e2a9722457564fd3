#include "plot/drawing.h"

#include <cmath>
#include <limits>

#include "numbertext/c_number_format.h"
#include "geodesy/datum.h"
#include "geodesy/geod_base.h"

namespace oru {
namespace {

// The canvas seen through the pen's position and colour, so that moves and
// lines to the pixel the pen is on, and colour changes that change
// nothing, do not reach the canvas.
class Pen {
 public:
  Pen(Canvas& canvas, DrawMemo* memo) : canvas_(canvas), memo_(memo) {}

  void Move(Pixel p) {
    if (known_ && p == at_) return;
    canvas_.MoveTo(p.x, p.y);
    at_ = p;
    known_ = true;
  }
  void Line(Pixel p) {
    if (known_ && p == at_) return;  // a line ending where it starts draws nothing
    canvas_.LineTo(p.x, p.y);
    at_ = p;
    known_ = true;
  }
  void Colour(Rgb c) {
    if (colour_known_ && c == colour_) return;
    canvas_.SetPenColor(c);
    colour_ = c;
    colour_known_ = true;
  }
  // A circle in the box (px - 2, py + 2) - (px + 2, py - 2), outlined in the
  // pen's colour and filled with the brush; the pen does not move.
  void Marker(Pixel p) {
    if (memo_ != nullptr && !memo_->FirstMarker(p.x, p.y, colour_)) return;
    canvas_.Ellipse(p.x - 2, p.y + 2, p.x + 2, p.y - 2);
  }
  // The label with its top-left corner 3 pixels right of and below the
  // point; the pen then moves back to the point.
  void Label(Pixel p, const std::string* label) {
    if (label == nullptr) return;
    canvas_.TextOut(p.x + 3, p.y + 3, *label);
    canvas_.MoveTo(p.x, p.y);
    at_ = p;
    known_ = true;
  }
  Canvas& canvas() { return canvas_; }

 private:
  Canvas& canvas_;
  DrawMemo* memo_;
  Pixel at_;
  bool known_ = false;
  Rgb colour_ = 0;
  bool colour_known_ = false;
};

void CoastSegment(const CoastRecord& p0, const CoastRecord& p1, bool pen_up,
                  const PlotViewport& view, Pen& pen) {
  const bool in0 = view.Inside(p0.x, p0.y);
  const bool in1 = view.Inside(p1.x, p1.y);
  PlotPoint c[2];
  if (in0 && in1) {
    if (pen_up) {
      if (p0.code == 3) {
        pen.Move(view.ToPixel(p0.x, p0.y));
      } else if (p0.code <= 2) {
        pen.Line(view.ToPixel(p0.x, p0.y));
      }
    }
    if (p1.code == 3) {
      pen.Move(view.ToPixel(p1.x, p1.y));
    } else if (p1.code <= 2) {
      pen.Line(view.ToPixel(p1.x, p1.y));
    }
  } else if (in0) {
    if (p1.code == 3) return;
    if (BorderCrossings(p0.x, p0.y, p1.x, p1.y, view.extent, c, 1) == 1) {
      pen.Move(view.ToPixel(p0.x, p0.y));
      pen.Line(view.ToPixel(c[0].x, c[0].y));
    }
  } else if (in1) {
    if (p1.code == 3) {
      pen.Move(view.ToPixel(p1.x, p1.y));
      return;
    }
    if (BorderCrossings(p0.x, p0.y, p1.x, p1.y, view.extent, c, 1) == 1) {
      pen.Move(view.ToPixel(c[0].x, c[0].y));
      pen.Line(view.ToPixel(p1.x, p1.y));
    }
  } else {
    if (p1.code == 3) return;
    if (BorderCrossings(p0.x, p0.y, p1.x, p1.y, view.extent, c, 2) == 2) {
      pen.Move(view.ToPixel(c[0].x, c[0].y));
      pen.Line(view.ToPixel(c[1].x, c[1].y));
    }
  }
}

// Takes the values a record gives over `slot`, the way a partial read
// leaves the others.
void Apply(const CoastRecord& r, CoastRecord& slot) {
  if (r.fields >= 1) slot.code = r.code;
  if (r.fields >= 2) slot.x = r.x;
  if (r.fields >= 3) slot.y = r.y;
}

void PlotSegment(const TrackPoint2D& p0, const TrackPoint2D& p1, std::int32_t& mode, bool pen_up,
                 const PlotViewport& view, Pen& pen) {
  pen.Colour(p0.colour);
  if (p0.colour != p1.colour) mode = 3;
  const bool in0 = view.Inside(p0.x, p0.y);
  const bool in1 = view.Inside(p1.x, p1.y);
  // Line to a point for modes 0 to 2, a move for mode 3, nothing above.
  auto reach = [&](Pixel p) {
    if (mode <= 2) {
      pen.Line(p);
    } else if (mode == 3) {
      pen.Move(p);
    }
  };
  PlotPoint c[2];
  if (in0 && in1) {
    const Pixel a = view.ToPixel(p0.x, p0.y);
    if (pen_up) {
      pen.Move(a);
      pen.Marker(a);
    } else {
      reach(a);
    }
    pen.Label(a, p0.label);
    const Pixel b = view.ToPixel(p1.x, p1.y);
    pen.Colour(p1.colour);
    reach(b);
    if (mode >= 2) pen.Marker(b);
    pen.Label(b, p1.label);
  } else if (in0) {
    if (BorderCrossings(p0.x, p0.y, p1.x, p1.y, view.extent, c, 1) != 1) return;
    const Pixel a = view.ToPixel(p0.x, p0.y);
    pen.Move(a);
    if (mode >= 2) pen.Marker(a);
    pen.Label(a, p0.label);
    pen.Colour(p1.colour);
    const Pixel b = view.ToPixel(c[0].x, c[0].y);
    reach(b);
    if (mode >= 2) pen.Marker(b);
  } else if (in1) {
    if (BorderCrossings(p0.x, p0.y, p1.x, p1.y, view.extent, c, 1) != 1) return;
    pen.Move(view.ToPixel(c[0].x, c[0].y));
    pen.Colour(p1.colour);
    const Pixel b = view.ToPixel(p1.x, p1.y);
    reach(b);
    if (mode >= 2) pen.Marker(b);
    pen.Label(b, p1.label);
  } else {
    if (BorderCrossings(p0.x, p0.y, p1.x, p1.y, view.extent, c, 2) != 2) return;
    pen.Move(view.ToPixel(c[0].x, c[0].y));
    pen.Colour(p1.colour);
    reach(view.ToPixel(c[1].x, c[1].y));
  }
}

void ApplyLine(const PlotLine& line, const PlotFileData& file, Rgb default_colour,
               TrackPoint2D& slot, std::int32_t& mode) {
  if (line.fields >= 1) slot.x = line.x;
  if (line.fields >= 2) slot.y = line.y;
  if (line.fields == 2) {
    slot.colour = default_colour;
    mode = 2;
  }
  if (line.fields >= 3) slot.colour = static_cast<Rgb>(line.colour);
  if (line.fields >= 4) mode = line.mode;
  slot.label = line.fields == 5 ? &file.labels[static_cast<std::size_t>(line.label)] : nullptr;
}

std::int32_t ClampPixels(double v) {
  if (!(v < 1.0e9)) return 1000000000;
  if (!(v > -1.0e9)) return -1000000000;
  return static_cast<std::int32_t>(std::floor(v));
}

}  // namespace

int BorderCrossings(double x0, double y0, double x1, double y1, const PlotExtent& e,
                    PlotPoint out[2], int wanted) {
  int found = 0;
  auto between = [](double v, double a, double b) {
    return (v >= a && v <= b) || (v >= b && v <= a);
  };
  auto try_x = [&](double xb) {
    if (found >= wanted || !(std::fabs(x1 - x0) > 0.01)) return;
    const double y = (xb - x0) * (y1 - y0) / (x1 - x0) + y0;
    if (y >= e.YMin && y <= e.YMax && between(xb, x0, x1)) out[found++] = {xb, y};
  };
  auto try_y = [&](double yb) {
    if (found >= wanted || !(std::fabs(y1 - y0) > 0.01)) return;
    const double x = (yb - y0) * (x1 - x0) / (y1 - y0) + x0;
    if (x >= e.XMin && x <= e.XMax && between(yb, y0, y1)) out[found++] = {x, yb};
  };
  try_x(e.XMin);
  try_x(e.XMax);
  try_y(e.YMin);
  try_y(e.YMax);
  return found;
}

DrawMemo::DrawMemo(std::int32_t width, std::int32_t height)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      marker_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0u) {}

bool DrawMemo::FirstMarker(std::int32_t x, std::int32_t y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return true;
  std::uint32_t& cell = marker_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                static_cast<std::size_t>(x)];
  const std::uint32_t tag = colour + 1u;
  if (cell == tag) return false;
  cell = tag;
  return true;
}

void DrawCoastline(const CoastData& coast, const PlotViewport& view, Canvas& canvas) {
  Pen pen(canvas, nullptr);
  pen.Colour(kGreen);
  const std::vector<CoastRecord>& r = coast.records;
  if (r.empty()) return;
  CoastRecord prev;
  Apply(r[0], prev);
  CoastRecord cur = prev;
  bool pen_up = true;
  for (std::size_t i = 1; i < r.size(); ++i) {
    Apply(r[i], cur);
    if (r[i].fields < 3) continue;
    if (cur.code == 3) {
      // A new line: the point becomes the start, and the next record,
      // whatever it gives, is drawn from it.
      pen_up = true;
      prev = cur;
      if (++i >= r.size()) break;
      Apply(r[i], cur);
    }
    CoastSegment(prev, cur, pen_up, view, pen);
    pen_up = false;
    prev = cur;
  }
}

void DrawPlotSegment(const TrackPoint2D& p0, const TrackPoint2D& p1, std::int32_t& mode,
                     bool pen_up, const PlotViewport& view, Canvas& canvas, DrawMemo* memo) {
  Pen pen(canvas, memo);
  PlotSegment(p0, p1, mode, pen_up, view, pen);
}

void DrawPlotFile(const PlotFileData& file, Rgb default_colour, const PlotViewport& view,
                  Canvas& canvas, DrawMemo* memo) {
  if (file.lines.empty()) return;
  canvas.SetBrushColor(kSilver);
  Pen pen(canvas, memo);
  std::int32_t mode = 0;
  TrackPoint2D prev;
  ApplyLine(file.lines[0], file, default_colour, prev, mode);
  TrackPoint2D cur = prev;
  bool pen_up = true;
  for (std::size_t i = 1; i < file.lines.size(); ++i) {
    ApplyLine(file.lines[i], file, default_colour, cur, mode);
    PlotSegment(prev, cur, mode, pen_up, view, pen);
    pen_up = false;
    prev = cur;
  }
}

ScaleBarChoice ChooseScaleBar(double scale, std::int32_t client_width) {
  ScaleBarChoice choice;
  const double wanted = static_cast<double>(client_width / 8);
  double k = 0.0;
  double u = 1.0;
  for (;;) {
    k += 1.0;
    if (k > 9.0) {
      k = 1.0;
      u *= 10.0;
    }
    if (u > 500000.0) break;
    choice.length = 10.0 * k * u;
    choice.pixels = choice.length * scale;
    if (choice.pixels >= wanted) break;
  }
  return choice;
}

int PlotToGeographic(double x, double y, LatLon& out) {
  DatumParams wgs84;
  wgs84.text = kWgs84DatumString;
  MercParams merc{};
  merc.map_scale = 1.0;  // x, y in millimetres of the ground
  merc.x = x * 1000.0;
  merc.y = y * 1000.0;
  LatLon start{};
  start.lat_hemi = 'N';
  start.lon_hemi = 'E';
  GeodBase position(wgs84, merc, start);
  const int code = position.Merc_To_Geo();
  if (code == 0) out = position.position;
  return code;
}

ScaleBarChoice DrawScaleBar(const PlotViewport& view, Canvas& canvas, int& error, bool plane) {
  error = 0;
  ScaleBarChoice choice = ChooseScaleBar(view.ScaleX, view.W);
  const std::int32_t client_height = view.Hp + kPanelHeight;
  const std::int32_t length = ClampPixels(choice.pixels);
  const std::int32_t x1 = view.W - length - 120;
  const std::int32_t x2 = x1 + length;
  const std::int32_t y1 = client_height - 60;
  const std::int32_t y2 = client_height - 50;
  canvas.SetPenColor(kBlack);
  canvas.SetBrushColor(kBlack);
  if (choice.length < kScaleBarLimit) canvas.Rectangle(x1, y1, x2, y2);
  canvas.SetBrushHollow();
  if (!(choice.length < kScaleBarLimit)) return choice;
  choice.label_at = {x2 + 10, y1 - 1};

  if (plane) {
    const PlotPoint left = view.ToPlot(x1, y2);
    const PlotPoint right = view.ToPlot(x2, y2);
    cfmt::Int(choice.label, static_cast<std::int64_t>(std::trunc(std::hypot(right.x - left.x, right.y - left.y))));
    choice.label += " meter";
    return choice;
  }
  // The bar's diagonal, lower right to upper left, as a geodesic on WGS84.
  const PlotPoint lower_right = view.ToPlot(x2, y2);
  const PlotPoint upper_left = view.ToPlot(x1, y1);
  LatLon a{};
  LatLon b{};
  error = PlotToGeographic(lower_right.x, lower_right.y, a);
  if (error == 0) error = PlotToGeographic(upper_left.x, upper_left.y, b);
  if (error != 0) return choice;
  DatumParams wgs84;
  wgs84.text = kWgs84DatumString;
  Geo_Line line{};
  line.line_type = 'G';
  line.P1 = {a.lat_deg, a.lat_min, a.lat_sec, a.lat_hemi, a.lat_rad,
             a.lon_deg, a.lon_min, a.lon_sec, a.lon_hemi, a.lon_rad};
  line.P2 = {b.lat_deg, b.lat_min, b.lat_sec, b.lat_hemi, b.lat_rad,
             b.lon_deg, b.lon_min, b.lon_sec, b.lon_hemi, b.lon_rad};
  GeodBase geodesic(wgs84, line);
  error = geodesic.Pos_Pos();
  if (error != 0) return choice;
  cfmt::Int(choice.label, static_cast<std::int64_t>(std::trunc(geodesic.line.dist)));
  choice.label += " meter";
  return choice;
}

void DrawScaleBarLabel(const ScaleBarChoice& bar, Canvas& canvas) {
  if (bar.label.empty()) return;
  canvas.SetPenColor(kBlack);
  canvas.LabelOut(bar.label_at.x, bar.label_at.y, bar.label);
}

bool BlockLabelsWanted(bool background_on, double bar_length, const std::string& coast_file) {
  return background_on && bar_length < kScaleBarLimit &&
         coast_file.find("NorthSea") != std::string::npos;
}

void DrawBlockLabels(const BlockData& blocks, const PlotViewport& view, Canvas& canvas) {
  canvas.SetPenColor(kBlack);
  canvas.SetBrushHollow();
  for (const BlockLabel& b : blocks.labels) {
    if (!view.Inside(b.x, b.y)) continue;
    const Pixel p = view.ToPixel(b.x, b.y);
    canvas.TextOut(p.x - 5, p.y - 10, b.label);
  }
}

CursorTexts CursorReadOut(double x, double y) {
  LatLon p{};
  if (PlotToGeographic(x, y, p) != 0) return {"cursor is", "uit zone"};
  auto text = [](std::int32_t d, std::int32_t m, double s, char h) {
    std::string t = " ";
    cfmt::Int(t, d);
    t += ' ';
    cfmt::Int(t, m);
    t += ' ';
    cfmt::Fixed(t, s, 0, 3);
    t += ' ';
    t += h;
    return t;
  };
  return {text(p.lat_deg, p.lat_min, p.lat_sec, p.lat_hemi),
          text(p.lon_deg, p.lon_min, p.lon_sec, p.lon_hemi)};
}

CursorTexts PlaneReadOut(double x, double y) {
  CursorTexts t{" ", " "};
  cfmt::Fixed(t.latitude, x, 0, 2);
  cfmt::Fixed(t.longitude, y, 0, 2);
  return t;
}

}  // namespace oru
