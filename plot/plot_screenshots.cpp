// Renders the README's pictures of the plot window: the whole North Sea
// after thinning the sample track to 25 points and plotting it, a zoom on
// the track with the block numbers, and a transit of the Suez Canal,
// outside the North Sea file's area (the preview is rendered through the
// main window by oru-screenshots).
// Usage: oru-plot-screenshots SOURCE_DIR OUTPUT_DIR
// (scripts/screenshots.sh style: offscreen or under Xvfb).

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <cmath>
#include <fstream>
#include <iostream>
#include <string>

#include "plot/handoff.h"
#include "plot/plot_form.h"

namespace {

// A transit of the Suez Canal from Port Tewfik to Port Said through the
// Bitter Lakes and Lake Timsah: a fix every 100 m or so between the
// waypoints (latitude, longitude in degrees), weaving 15 m either side.
void WriteSuezTransit(const std::string& path) {
  const double waypoints[][2] = {{29.935, 32.563}, {29.985, 32.578}, {30.105, 32.575},
                                 {30.200, 32.500}, {30.330, 32.385}, {30.420, 32.350},
                                 {30.545, 32.310}, {30.590, 32.290}, {30.660, 32.330},
                                 {30.800, 32.312}, {30.870, 32.320}, {31.265, 32.312},
                                 {31.340, 32.335}};
  std::ofstream out(path);
  int fix = 0;
  for (std::size_t w = 0; w + 1 < std::size(waypoints); ++w) {
    const double dlat = waypoints[w + 1][0] - waypoints[w][0];
    const double dlon = waypoints[w + 1][1] - waypoints[w][1];
    const int steps = static_cast<int>(std::hypot(dlat, dlon * 0.86) * 111000.0 / 100.0);
    for (int i = 0; i < steps; ++i, ++fix) {
      const double f = static_cast<double>(i) / steps;
      const double weave = 15.0 / 111000.0 * std::sin(fix * 0.05);
      out << std::to_string(waypoints[w][0] + f * dlat + weave) << "N, "
          << std::to_string(waypoints[w][1] + f * dlon + weave) << "E\n";
    }
  }
  out << std::to_string(waypoints[std::size(waypoints) - 1][0]) << "N, "
      << std::to_string(waypoints[std::size(waypoints) - 1][1]) << "E\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: oru-plot-screenshots SOURCE_DIR OUTPUT_DIR\n";
    return 2;
  }
  QApplication app(argc, argv);
  const QString source = QString::fromLocal8Bit(argv[1]);
  const QString out = QString::fromLocal8Bit(argv[2]);
  const QString work = QDir::temp().filePath(QStringLiteral("oru-plot-screenshots"));
  QDir().mkpath(work);
  // The sample track thinned to 25 points on the ellipsoid, as "Go!" does.
  const QString input = source + QStringLiteral("/data/samples/survey_line_oru.txt");
  const QString output = work + QStringLiteral("/kept.txt");
  struct Quiet final : oru::RunObserver {
    void ShowMessage(const std::string& text) override { std::cerr << text << '\n'; }
    void ShowStatistics(const oru::StatisticsTexts&) override {}
  } quiet;
  oru::RunRequest request;
  request.input = input.toStdString();
  request.output = output.toStdString();
  request.selection_value = "25";
  const oru::RunOutcome run = oru::ProcessRun(request, quiet);
  if (!run.completed) return 1;
  oru::TPlotForm form;
  form.SetMessageBox([](QWidget*, const QString& t) { std::cerr << t.toStdString() << '\n'; });
  QDir::setCurrent(work);
  form.resize(1280, 800);
  oru::RunChoices choices;
  if (!form.PlotRun(work, input, output, choices)) return 1;
  form.showNormal();
  form.resize(1280, 800);
  auto* area = form.findChild<QWidget*>(QStringLiteral("PlotArea"));
  auto hover = [&](QPoint p) {
    QMouseEvent move(QEvent::MouseMove, p, area->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(area, &move);
  };
  app.processEvents();
  form.Redraw();
  hover(QPoint(area->width() / 2, area->height() / 2));
  app.processEvents();
  if (!form.grab().save(out + QStringLiteral("/plot_full.png"))) return 1;

  // About 150 km around the track (54 N, 4 E): the scale bar below 50 km,
  // so the block numbers are drawn.
  oru::PlotScene& scene = form.Scene();
  double cx = 0.0, cy = 0.0;
  oru::PlotProjector projector(oru::DatumChoice::Wgs84);
  if (projector.ToPlot({54, 0, 0.0, 'N', 4, 0, 0.0, 'E'}, cx, cy) != 0) return 1;
  scene.ZoomToDrag({cx - 75000.0, cy - 50000.0}, {cx + 75000.0, cy + 50000.0}, nullptr);
  form.Redraw();
  area->update();
  app.processEvents();
  const oru::Pixel track = scene.view.ToPixel(cx, cy);
  hover(QPoint(track.x, track.y));
  app.processEvents();
  if (!form.grab().save(out + QStringLiteral("/plot_zoom.png"))) return 1;

  // The Suez Canal in a new plot window: it opens on the track, with the
  // world coastline.
  const QString suez = work + QStringLiteral("/suez.txt");
  WriteSuezTransit(suez.toStdString());
  request.input = suez.toStdString();
  request.selection_value = "30";
  const oru::RunOutcome transit = oru::ProcessRun(request, quiet);
  if (!transit.completed) return 1;
  oru::TPlotForm canal;
  canal.SetMessageBox([](QWidget*, const QString& t) { std::cerr << t.toStdString() << '\n'; });
  canal.resize(1280, 800);
  if (!canal.PlotRun(work, suez, output, choices)) return 1;
  canal.showNormal();
  canal.resize(1280, 800);
  app.processEvents();
  canal.Redraw();
  app.processEvents();
  if (!canal.grab().save(out + QStringLiteral("/plot_suez.png"))) return 1;
  return 0;
}
