#pragma once

#include <cstdint>
#include <vector>

#include "plot/canvas.h"
#include "track/selection_record.h"

namespace oru {

// Where a chart goes on the canvas: the whole box, axes and labels included.
struct ChartBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The pixel mapping of a log-log chart of the curve: points kept along x
// from 2 to the last count, largest deviation (metres) along y from the
// smallest deviation above 0 to the largest, both on decades that enclose
// them. Deviations of 0 have no place on a logarithmic axis: they sit on
// the bottom of the plot area.
class CurveChartScale {
 public:
  CurveChartScale(const std::vector<CurvePoint>& curve, const ChartBox& box);
  std::int32_t X(double count) const;
  std::int32_t Y(double deviation) const;
  // The plot area inside the axes, pixels.
  std::int32_t Left() const { return left_; }
  std::int32_t Right() const { return right_; }
  std::int32_t Top() const { return top_; }
  std::int32_t Bottom() const { return bottom_; }
  // Decades of each axis: log10 of the first and the last.
  int XDecadeFirst() const { return x_decade_[0]; }
  int XDecadeLast() const { return x_decade_[1]; }
  int YDecadeFirst() const { return y_decade_[0]; }
  int YDecadeLast() const { return y_decade_[1]; }

 private:
  std::int32_t left_, right_, top_, bottom_;
  int x_decade_[2];
  int y_decade_[2];
};

// The curve of deviation against points kept, log-log, in `box`: the axes
// with a tick and a label at every decade, the axis titles "Points kept"
// and "Largest deviation (m)", the curve in navy (one vertical stroke per
// pixel column however long the curve), and the chosen count marked in red
// by a vertical line and a dot with its figures beside it.
void DrawCurveChart(const std::vector<CurvePoint>& curve, std::int64_t chosen_count,
                    const ChartBox& box, Canvas& canvas);

// A decade's label: "0.001", "0.1", "1", "1000", "1E+6" (beyond 6 digits
// or 3 decimals, exponent notation).
std::string DecadeLabel(int decade);

}  // namespace oru
