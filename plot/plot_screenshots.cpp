// Renders the README's pictures of the plot window: the whole North Sea
// after thinning the sample track to 25 points and plotting it, and a zoom on the track with the block
// numbers. Usage: oru-plot-screenshots SOURCE_DIR OUTPUT_DIR
// (scripts/screenshots.sh style: offscreen or under Xvfb).

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
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
  request.quality_figures = true;
  const oru::RunOutcome run = oru::ProcessRun(request, quiet);
  if (!run.completed) return 1;
  oru::TPlotForm form;
  form.SetMessageBox([](QWidget*, const QString& t) { std::cerr << t.toStdString() << '\n'; });
  QDir::setCurrent(work);
  form.resize(1280, 800);
  oru::RunChoices choices;
  if (!form.PlotRun(work, input, output, choices, run.quality)) return 1;
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
