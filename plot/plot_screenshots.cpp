// Renders the README's pictures of the plot window: the whole North Sea
// after plotting the sample track, and a zoom on the track with the block
// numbers. Usage: oru-plot-screenshots SOURCE_DIR OUTPUT_DIR
// (scripts/screenshots.sh style: offscreen or under Xvfb).

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <fstream>
#include <iostream>
#include <string>

#include "plot/handoff.h"
#include "plot/plot_form.h"

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
  // The sample track, and every tenth point standing in for a thinned track.
  const QString input = source + QStringLiteral("/data/samples/survey_line_oru.txt");
  const QString output = work + QStringLiteral("/kept.txt");
  {
    std::ifstream in(input.toStdString());
    std::ofstream kept(output.toStdString());
    std::string line;
    for (int i = 0; std::getline(in, line); ++i) {
      if (i % 10 == 0) kept << line << '\n';
    }
  }
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
  return 0;
}
