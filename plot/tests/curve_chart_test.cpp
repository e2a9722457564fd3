#include "plot/curve_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <cstdio>
#include <string>
#include <vector>

#include "track/tests/track_shapes.h"

namespace oru {
namespace {

TEST(DecadeLabel, PlainWithinSixDigitsAndThreeDecimals) {
  const std::pair<int, const char*> rows[] = {{-4, "1E-4"}, {-3, "0.001"}, {-1, "0.1"}, {0, "1"},
                                              {3, "1000"},  {6, "1000000"}, {7, "1E+7"}};
  for (const auto& [decade, text] : rows) EXPECT_EQ(DecadeLabel(decade), text) << decade;
}

std::vector<CurvePoint> CurveOf(const testing::TrackShape& t) {
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  s.wanted_count = static_cast<std::int64_t>(t.first.size());
  return RecordSelection(t.first, t.second, s, nullptr).Curve();
}

// A curve of a million counts whose deviation jumps every count: drawn with
// a few strokes per pixel column, every spike kept.
std::vector<CurvePoint> JaggedCurve() {
  std::vector<CurvePoint> curve;
  for (std::int64_t c = 2; c <= 1000000; ++c) {
    curve.push_back({c, c % 2 == 0 ? 1e4 / static_cast<double>(c) : 0.0, 0.0});
  }
  return curve;
}

// Everything the chart draws stays in its box; the curve costs a bounded
// number of calls; the chosen count is marked where the scale puts it, its
// figures beside it within the plot area wherever it lies (they ran over
// the y axis's decade labels when the count lay right of the middle).
TEST(DrawCurveChart, StaysInItsBoxAndMarksTheChosenCount) {
  std::vector<std::vector<CurvePoint>> curves;
  for (const testing::TrackShape& t : testing::ManoeuvringTracks()) curves.push_back(CurveOf(t));
  curves.push_back(JaggedCurve());
  const ChartBox box{30, 40, 320, 200};
  for (const std::vector<CurvePoint>& curve : curves) {
    const CurveChartScale s(curve, box);
    // Left of the middle, just right of it, and at the right end.
    const auto middle = std::find_if(curve.begin(), curve.end(), [&](const CurvePoint& c) {
      return s.X(static_cast<double>(c.count)) > (s.Left() + s.Right()) / 2;
    });
    for (const CurvePoint& chosen : {curve[1], *middle, curve.back()}) {
      RecordingCanvas canvas;
      DrawCurveChart(curve, chosen.count, box, canvas);
      for (const std::string& call : canvas.calls) {
        int x = 0, y = 0;
        if (std::sscanf(call.c_str(), "%*s %d %d", &x, &y) != 2 || call.rfind("pen", 0) == 0 ||
            call.rfind("brush", 0) == 0) {
          continue;
        }
        EXPECT_TRUE(x >= box.left && x <= box.left + box.width && y >= box.top &&
                    y <= box.top + box.height)
            << call;
      }
      EXPECT_LE(canvas.Only("line").size(), static_cast<std::size_t>(4 * box.width + 64));
      const std::int32_t x = s.X(static_cast<double>(chosen.count));
      const std::int32_t y = s.Y(chosen.largest_deviation);
      const std::vector<std::string> marks = canvas.Only("ellipse");
      ASSERT_EQ(marks.size(), 1u);
      char expected[64];
      std::snprintf(expected, sizeof expected, "ellipse %d %d %d %d", x - 3, y - 3, x + 4, y + 4);
      EXPECT_EQ(marks[0], expected);
      const std::vector<std::string> texts = canvas.Only("text");
      const auto figures = std::find_if(texts.begin(), texts.end(), [](const std::string& t) {
        return t.find(" points, ") != std::string::npos;
      });
      ASSERT_NE(figures, texts.end());
      int label_x = 0;
      ASSERT_EQ(std::sscanf(figures->c_str(), "text %d", &label_x), 1);
      EXPECT_GT(label_x, s.Left()) << *figures;
      // The highest spike reaches the top of its column.
      double highest = 0.0;
      for (const CurvePoint& c : curve) highest = std::max(highest, c.largest_deviation);
      char top[16];
      std::snprintf(top, sizeof top, " %d", s.Y(highest));
      bool reached = false;
      for (const std::string& line : canvas.Only("line")) reached |= line.ends_with(top);
      EXPECT_TRUE(reached);
    }
  }
}

// More points to the right, more deviation upwards; a deviation of 0 sits
// on the bottom of the plot area.
TEST(CurveChartScale, LogarithmicBothWays) {
  const std::vector<CurvePoint> curve = {{2, 50.0, 0.0}, {10, 0.5, 0.0}, {1000, 0.0, 0.0}};
  const CurveChartScale s(curve, {0, 0, 400, 300});
  EXPECT_EQ(s.XDecadeLast(), 3);
  EXPECT_EQ(s.YDecadeFirst(), -1);
  EXPECT_EQ(s.YDecadeLast(), 2);
  EXPECT_LT(s.X(2), s.X(10));
  EXPECT_NEAR(s.X(10) - s.X(1), s.X(100) - s.X(10), 1);  // decades equally wide, to the pixel
  EXPECT_LT(s.Y(50.0), s.Y(0.5));
  EXPECT_EQ(s.Y(0.0), s.Bottom());
  EXPECT_EQ(s.Y(100.0), s.Top());
}

}  // namespace
}  // namespace oru
