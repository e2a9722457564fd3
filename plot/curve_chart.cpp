#include "plot/curve_chart.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "numbertext/c_number_format.h"

namespace oru {
namespace {

// Room for the labels: decade labels left of the y axis and below the x
// axis, the axis titles above and below (pixels; the plot font is 11 px).
constexpr std::int32_t kLeftMargin = 48;
constexpr std::int32_t kRightMargin = 24;
constexpr std::int32_t kTopMargin = 20;
constexpr std::int32_t kBottomMargin = 34;
constexpr std::int32_t kTick = 4;

double Log10Clamped(double v, double floor) { return std::log10(std::max(v, floor)); }

}  // namespace

std::string DecadeLabel(int decade) {
  if (decade < -3 || decade > 6) return "1E" + std::string(decade < 0 ? "-" : "+") +
                                        std::to_string(std::abs(decade));
  std::string text;
  cfmt::Fixed(text, std::pow(10.0, decade), 0, decade < 0 ? -decade : 0);
  return text;
}

CurveChartScale::CurveChartScale(const std::vector<CurvePoint>& curve, const ChartBox& box)
    : left_(box.left + kLeftMargin),
      right_(box.left + box.width - kRightMargin),
      top_(box.top + kTopMargin),
      bottom_(box.top + box.height - kBottomMargin) {
  double last_count = 3.0;
  double lowest = std::numeric_limits<double>::infinity(), highest = 0.0;
  for (const CurvePoint& c : curve) {
    last_count = std::max(last_count, static_cast<double>(c.count));
    if (c.largest_deviation > 0.0 && std::isfinite(c.largest_deviation)) {
      lowest = std::min(lowest, c.largest_deviation);
      highest = std::max(highest, c.largest_deviation);
    }
  }
  if (!(highest > 0.0)) lowest = highest = 1.0;  // nothing deviates: one decade around 1 m
  x_decade_[0] = 0;
  x_decade_[1] = std::max(1, static_cast<int>(std::ceil(std::log10(last_count))));
  y_decade_[0] = static_cast<int>(std::floor(std::log10(lowest)));
  y_decade_[1] = std::max(y_decade_[0] + 1, static_cast<int>(std::ceil(std::log10(highest))));
  right_ = std::max(right_, left_ + 1);
  bottom_ = std::max(bottom_, top_ + 1);
}

std::int32_t CurveChartScale::X(double count) const {
  const double f = (Log10Clamped(count, 1.0) - x_decade_[0]) / (x_decade_[1] - x_decade_[0]);
  return left_ + static_cast<std::int32_t>(std::lround(f * (right_ - left_)));
}

std::int32_t CurveChartScale::Y(double deviation) const {
  const double floor = std::pow(10.0, y_decade_[0]);
  const double f = (Log10Clamped(deviation, floor) - y_decade_[0]) / (y_decade_[1] - y_decade_[0]);
  return bottom_ - static_cast<std::int32_t>(std::lround(std::min(f, 1.0) * (bottom_ - top_)));
}

void DrawCurveChart(const std::vector<CurvePoint>& curve, std::int64_t chosen_count,
                    const ChartBox& box, Canvas& canvas) {
  const CurveChartScale s(curve, box);
  canvas.SetPenMode(PenMode::Copy);
  canvas.SetPenWidth(1);
  canvas.SetPenColor(kBlack);
  canvas.MoveTo(s.Left(), s.Top());
  canvas.LineTo(s.Left(), s.Bottom());
  canvas.LineTo(s.Right(), s.Bottom());
  for (int d = s.XDecadeFirst(); d <= s.XDecadeLast(); ++d) {
    const std::int32_t x = s.X(std::pow(10.0, d));
    canvas.MoveTo(x, s.Bottom());
    canvas.LineTo(x, s.Bottom() + kTick);
    // Centred under the tick, kept inside the box (about 7 px a digit).
    const std::string label = DecadeLabel(d);
    const auto digits = static_cast<std::int32_t>(label.size());
    canvas.TextOut(std::min(x - 3 * digits, box.left + box.width - 7 * digits),
                   s.Bottom() + kTick + 1, label);
  }
  for (int d = s.YDecadeFirst(); d <= s.YDecadeLast(); ++d) {
    const std::int32_t y = s.Y(std::pow(10.0, d));
    canvas.MoveTo(s.Left() - kTick, y);
    canvas.LineTo(s.Left(), y);
    canvas.TextOut(box.left + 2, y - 6, DecadeLabel(d));
  }
  canvas.TextOut(s.Left(), box.top + 3, "Largest deviation (m)");
  canvas.TextOut((s.Left() + s.Right()) / 2 - 30, box.top + box.height - 15, "Points kept");

  // One vertical stroke per pixel column: from where the curve enters the
  // column over its lowest and highest pixel to where it leaves, so that a
  // curve of a million counts costs a few calls per column and no spike is
  // lost.
  canvas.SetPenColor(kNavy);
  std::int32_t column = INT32_MIN, low = 0, high = 0, exit = 0;
  auto flush = [&] {
    if (column == INT32_MIN) return;
    canvas.LineTo(column, low);
    canvas.LineTo(column, high);
    canvas.LineTo(column, exit);
  };
  for (const CurvePoint& c : curve) {
    const std::int32_t x = s.X(static_cast<double>(c.count));
    const std::int32_t y = s.Y(c.largest_deviation);
    if (x != column) {
      flush();
      if (column == INT32_MIN) canvas.MoveTo(x, y);
      canvas.LineTo(x, y);
      column = x;
      low = high = y;
    }
    low = std::min(low, y);
    high = std::max(high, y);
    exit = y;
  }
  flush();

  const auto chosen = std::find_if(curve.begin(), curve.end(),
                                   [&](const CurvePoint& c) { return c.count == chosen_count; });
  if (chosen == curve.end()) return;
  const std::int32_t x = s.X(static_cast<double>(chosen->count));
  const std::int32_t y = s.Y(chosen->largest_deviation);
  canvas.SetPenColor(kRed);
  canvas.MoveTo(x, s.Top());
  canvas.LineTo(x, s.Bottom());
  canvas.SetBrushColor(kRed);
  canvas.Ellipse(x - 3, y - 3, x + 4, y + 4);
  std::string label;
  cfmt::Int(label, chosen->count);
  label += " points, ";
  cfmt::Fixed(label, chosen->largest_deviation, 0, 3);
  label += " m";
  // Beside the line, on the side with room.
  const std::int32_t label_x = x < (s.Left() + s.Right()) / 2 ? x + 6 : x - 6 - 7 * static_cast<std::int32_t>(label.size());
  canvas.TextOut(label_x, s.Top() + 2, label);
}

}  // namespace oru
