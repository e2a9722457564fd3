// The plot window's repaint: the North Sea coastline, a 1,000,000-point
// survey track and its 10,000 kept points, the scale bar and the block
// numbers, drawn into a 1920 x 1080 image as the window and oru-cli
// --plot-image draw it. Also the parse of the hand-off files (done once
// per changed file, not per repaint), a zoomed repaint and the preview's
// redraw of the kept points.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "numbertext/c_number_format.h"
#include "plot/handoff.h"
#include "plot/plot_image.h"
#include "plot/preview_model.h"

namespace {

namespace fs = std::filesystem;

// A lawnmower survey off the Dutch coast in plot metres: 100 lines of
// 100 km, 1 km apart, a point every 10 m with a metre of noise.
struct Survey {
  Survey() {
    dir = fs::temp_directory_path() / "oru_plot_bench";
    fs::create_directories(dir);
    std::string all;
    std::string kept;
    all.reserve(40u << 20);
    const double x0 = 350000.0;  // about 3.1 E
    const double y0 = 6900000.0;  // about 52.6 N
    std::uint32_t seed = 12345;
    auto noise = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return (seed >> 8) / 16777216.0 - 0.5;
    };
    for (int i = 0; i < 1000000; ++i) {
      const int line = i / 10000;
      const int step = i % 10000;
      const double along = (line % 2 == 0 ? step : 9999 - step) * 10.0;
      const double x = x0 + along + noise();
      const double y = y0 + line * 1000.0 + noise();
      std::string row;
      oru::cfmt::Fixed(row, x, 0, 6);
      row += ' ';
      oru::cfmt::Fixed(row, y, 0, 6);
      all += row + " 0 2\n";
      xs.push_back(x);
      ys.push_back(y);
      if (i % 100 == 0) kept += row + " 255 2\n";
    }
    std::ofstream(dir / oru::kAllPointsFile) << all;
    std::ofstream(dir / oru::kSelectedPointsFile) << kept;
    setup.handoff_dir = dir;
    setup.places.application_dir = QCoreApplication::applicationDirPath().toStdString();
  }
  fs::path dir;
  oru::PaintSetup setup;
  std::vector<double> xs, ys;  // the survey's points, plot metres
};

Survey& TheSurvey() {
  oru::EnsureGuiApplication();
  static Survey survey;
  return survey;
}

void BM_RepaintFullNorthSea(benchmark::State& state) {
  Survey& s = TheSurvey();
  oru::PlotScene scene;
  QImage image(1920, 1080, QImage::Format_RGB32);
  oru::RenderScene(scene, s.setup, image, oru::PlotBackgroundColour(), {});  // reads the files once
  for (auto _ : state) {
    oru::RenderScene(scene, s.setup, image, oru::PlotBackgroundColour(), {});
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_RepaintFullNorthSea)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_RepaintZoomedWithBlocks(benchmark::State& state) {
  Survey& s = TheSurvey();
  oru::PlotScene scene;
  QImage image(1920, 1080, QImage::Format_RGB32);
  oru::RenderScene(scene, s.setup, image, oru::PlotBackgroundColour(), {});
  scene.view.extent = {420000.0, 330000.0, 6960000.0, 6890000.0};  // the survey's corner
  scene.ExtentFixed = true;
  for (auto _ : state) {
    oru::RenderScene(scene, s.setup, image, oru::PlotBackgroundColour(), {});
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_RepaintZoomedWithBlocks)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The preview in the plot window: a value read from the record of the
// survey's selection (the figures and the kept points), the kept points
// drawn over a copy of the base picture (coastline and all points), as the
// window does when the slider moves. range(0): points kept.
std::shared_ptr<const oru::SelectionRecord> SurveyRecord() {
  Survey& s = TheSurvey();
  static const auto record = [&] {
    oru::SelectionSettings settings;
    settings.calculation = oru::CalculationType::Planar;
    settings.input_format = oru::InputFormat::AsciiXY;
    settings.wanted_count = static_cast<std::int64_t>(s.xs.size());
    return std::make_shared<const oru::SelectionRecord>(
        oru::RecordSelection(s.xs, s.ys, settings, nullptr));
  }();
  return record;
}

// Only the selection and figures read from the record.
void BM_PreviewRead(benchmark::State& state) {
  const oru::PreviewModel model(SurveyRecord(), oru::Criterion::NumberOfPoints, 1000000);
  for (auto _ : state) {
    const oru::SelectionResult result = model.ResultFor(static_cast<double>(state.range(0)));
    benchmark::DoNotOptimize(result.selected.data());
  }
}
BENCHMARK(BM_PreviewRead)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PreviewRedraw(benchmark::State& state) {
  Survey& s = TheSurvey();
  const auto record = SurveyRecord();
  const oru::PreviewModel model(record, oru::Criterion::NumberOfPoints, record->n());
  oru::PlotScene scene;
  QImage base(1920, 1080, QImage::Format_RGB32);
  oru::RenderSceneBase(scene, s.setup, base, oru::PlotBackgroundColour(), {});
  const auto all = scene.AllPoints(s.setup);
  QImage picture;
  std::int64_t kept = 0;
  for (auto _ : state) {
    const oru::SelectionResult result = model.ResultFor(static_cast<double>(state.range(0)));
    const oru::StatisticsTexts texts = oru::FormatStatistics(result.statistics);
    oru::KeptLine(*all, result, record->n(), scene.preview);
    picture = base;
    oru::RenderSceneTop(scene, s.setup, picture, oru::PlotBackgroundColour(), {});
    kept = result.statistics.count;
    benchmark::DoNotOptimize(picture.constBits());
    benchmark::DoNotOptimize(texts.length_after.data());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_PreviewRedraw)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_ParseAllPoints(benchmark::State& state) {
  Survey& s = TheSurvey();
  std::ifstream in(s.dir / oru::kAllPointsFile);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  for (auto _ : state) benchmark::DoNotOptimize(oru::ParsePlotFile(text).lines.size());
}
BENCHMARK(BM_ParseAllPoints)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  oru::EnsureGuiApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
