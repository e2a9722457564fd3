// Draws the help's picture of the two selection methods: one X, Y track
// thinned to one tolerance by the Douglas-Peucker selection and by the
// optimal one (the program's own engine), side by side, as a PNG:
//   draw_methods INPUT METRES OUTPUT.png [FIRST LAST]
// INPUT is an X, Y track; FIRST and LAST (1-based) pick a stretch of it.
// Built with the desktop program (target draw_methods).

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "track/selection_engine.h"
#include "track/track_store.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"

namespace {

constexpr double kPanelWidth = 440.0, kPanelHeight = 330.0, kMargin = 16.0, kTitle = 26.0,
                 kFooter = 20.0;

struct View {
  double min_x, min_y, scale;
  double left;  // pixels: the panel's left edge
  QPointF At(double x, double y) const {
    return {left + kMargin + (x - min_x) * scale,
            kTitle + kPanelHeight - kMargin - (y - min_y) * scale};
  }
};

// Every point in black on the track in grey, the kept line in red with a
// ring at each kept point, and the panel's title.
void Panel(QPainter& p, const View& v, const std::vector<double>& x, const std::vector<double>& y,
           const oru::SelectionResult& r, const char* title) {
  char text[160];
  std::snprintf(text, sizeof text, "%s: %zu points, largest deviation %.2f m", title,
                r.selected.size(), r.max_deviation);
  p.setPen(Qt::black);
  p.drawText(QPointF(v.left + kMargin, 18.0), QString::fromUtf8(text));
  QPainterPath track, kept;
  for (std::size_t i = 0; i < x.size(); ++i) {
    i == 0 ? track.moveTo(v.At(x[i], y[i])) : track.lineTo(v.At(x[i], y[i]));
  }
  for (std::size_t k = 0; k < r.selected.size(); ++k) {
    const auto i = static_cast<std::size_t>(r.selected[k] - 1);
    k == 0 ? kept.moveTo(v.At(x[i], y[i])) : kept.lineTo(v.At(x[i], y[i]));
  }
  p.setPen(QPen(QColor(150, 150, 150), 1.0));
  p.drawPath(track);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  for (std::size_t i = 0; i < x.size(); ++i) p.drawEllipse(v.At(x[i], y[i]), 1.3, 1.3);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(200, 0, 0), 1.6));
  p.drawPath(kept);
  for (const std::int64_t n : r.selected) {
    const auto i = static_cast<std::size_t>(n - 1);
    p.drawEllipse(v.At(x[i], y[i]), 3.5, 3.5);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 6) {
    std::fprintf(stderr, "usage: draw_methods INPUT METRES OUTPUT.png [FIRST LAST]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);  // for the fonts
  std::string text;
  if (!oru::LoadFile(argv[1], text)) {
    std::fprintf(stderr, "draw_methods: cannot read %s\n", argv[1]);
    return 1;
  }
  oru::TrackStore store(static_cast<std::size_t>(oru::CountTrackLines(text)));
  const oru::ReadOutcome read = oru::ReadTrack(text, oru::InputFormat::AsciiXY, store);
  if (read.bad_line != 0 || read.points < 3) {
    std::fprintf(stderr, "draw_methods: %s is no X, Y track of 3 points or more\n", argv[1]);
    return 1;
  }
  std::int64_t first = 1, last = read.points;
  if (argc == 6) {
    first = std::max<std::int64_t>(1, std::atoll(argv[4]));
    last = std::min<std::int64_t>(read.points, std::atoll(argv[5]));
  }
  const std::vector<double> x(store.first.begin() + first - 1, store.first.begin() + last);
  const std::vector<double> y(store.second.begin() + first - 1, store.second.begin() + last);

  oru::SelectionSettings s;
  s.calculation = oru::CalculationType::Planar;
  s.input_format = oru::InputFormat::AsciiXY;
  s.threshold = std::atof(argv[2]);
  s.wanted_count = static_cast<std::int64_t>(x.size());
  const oru::SelectionResult dp = oru::SelectPoints(x, y, s, nullptr);
  s.method = oru::SelectionMethod::Optimal;
  const oru::SelectionResult optimal = oru::SelectPoints(x, y, s, nullptr);

  const auto [min_x, max_x] = std::minmax_element(x.begin(), x.end());
  const auto [min_y, max_y] = std::minmax_element(y.begin(), y.end());
  const double scale = std::min((kPanelWidth - 2 * kMargin) / (*max_x - *min_x),
                                (kPanelHeight - 2 * kMargin) / (*max_y - *min_y));
  QImage image(static_cast<int>(2 * kPanelWidth),
               static_cast<int>(kTitle + kPanelHeight + kFooter), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Panel(p, {*min_x, *min_y, scale, 0.0}, x, y, dp, "Douglas-Peucker");
    Panel(p, {*min_x, *min_y, scale, kPanelWidth}, x, y, optimal, "Fewest points (optimal)");
    // The tolerance as a bar, for scale.
    const double right = 2 * kPanelWidth - kMargin, base = kTitle + kPanelHeight + 10.0;
    p.setPen(QPen(Qt::black, 3.0));
    p.drawLine(QPointF(right - s.threshold * scale, base), QPointF(right, base));
    char text[64];
    std::snprintf(text, sizeof text, "%g m, the tolerance", s.threshold);
    p.setPen(Qt::black);
    p.drawText(QPointF(right - s.threshold * scale - 130.0, base + 4.0), QString::fromUtf8(text));
  }
  if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "draw_methods: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
