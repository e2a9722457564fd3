#include "plot/plot_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QPushButton>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "plot/handoff.h"
#include "plot/preview_panel.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

void WaitWhileBusy(const PreviewPanel& panel) {
  QElapsedTimer waited;
  waited.start();
  while (panel.Busy() && waited.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  ASSERT_FALSE(panel.Busy());
}

class PlotFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TPlotForm>();
    // A folder per test: ctest runs the cases side by side.
    dir = fs::temp_directory_path() /
          ("oru_plot_form_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "in.txt") << "565000 5983000\n566000 5984000\n567000 5983500\n";
    std::ofstream(dir / "out.txt") << "565000 5983000\n567000 5983500\n";
    form->SetMessageBox([this](QWidget*, const QString& t) { messages.push_back(t.toStdString()); });
    form->resize(900, 700);
  }
  void TearDown() override {
    form.reset();
    fs::remove_all(dir);
  }
  QString Path(const char* name) { return QString::fromStdString((dir / name).string()); }

  fs::path dir;
  std::unique_ptr<TPlotForm> form;
  std::vector<std::string> messages;
  RunChoices xy{CalculationType::Planar, DatumChoice::Wgs84, Criterion::NumberOfPoints,
                InputFormat::AsciiXY, OutputFormat::Ascii};
};

TEST_F(PlotFormTest, PlotWritesTheHandoffAndShowsTheTrack) {
  EXPECT_FALSE(form->PlotRun(Path(""), Path("missing.txt"), Path("out.txt"), xy));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("File fout: " + (dir / "missing.txt").string(), 0), 0u) << messages[0];
  EXPECT_FALSE(form->isVisible());

  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  EXPECT_TRUE(fs::exists(dir / kAllPointsFile));
  EXPECT_TRUE(form->isVisible());
  form->Redraw();
  EXPECT_EQ(form->Scene().StaticText3, kNoBackgroundText);
  // The whole track, widened by a twentieth of its 2 km width, in true
  // metres: no datum in the title, X and Y in the read-out.
  EXPECT_EQ(form->Scene().view.extent.XMin, 565000.0 - 100.0);
  EXPECT_EQ(form->Scene().view.extent.YMax, 5984000.0 + 100.0);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Plot of X, Y coordinates in metres"));
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("X, Y:"));

  // The buttons move the view and fix it: east then west returns.
  const PlotExtent before = form->Scene().view.extent;
  form->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
  EXPECT_TRUE(form->Scene().ExtentFixed);
  EXPECT_GT(form->Scene().view.extent.XMin, before.XMin);
  form->findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
  EXPECT_NEAR(form->Scene().view.extent.XMin, before.XMin, 1e-6);
  form->close();
}

// The preview under the plot: each value typed or slid to draws that
// selection's kept points over the same base picture and shows its
// figures; "Save" hands over the previewed selection; a new plot ends it.
TEST_F(PlotFormTest, PreviewFollowsTheValueAndSavesIt) {
  std::vector<double> x, y;
  std::ofstream in(dir / "in.txt");
  for (int i = 0; i < 300; ++i) {
    x.push_back(565000.0 + 20.0 * i);
    y.push_back(5983000.0 + (i % 40 < 20 ? i % 40 : 40 - i % 40) * 15.0 + (i % 7) * 2.0);
    in << x.back() << ' ' << y.back() << '\n';
  }
  in.close();
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  s.wanted_count = 300;
  auto kept = std::make_shared<ResumableSelection>(x, y, s);
  kept->Select(0.0, 10, nullptr);
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  std::vector<std::int64_t> saved;
  form->ShowPreview(PreviewModel(kept, Criterion::NumberOfPoints, 300), 10.0,
                    [&](const SelectionResult& r, double) { saved.push_back(r.statistics.count); });
  form->Redraw();
  PreviewPanel* panel = form->Preview();
  ASSERT_TRUE(panel->isVisible());
  QImage before;
  for (const int points : {4, 25, 300}) {
    panel->Field()->setText(QString::number(points));
    emit panel->Field()->editingFinished();
    // Beyond the run's 10 points the selection is taken further off the
    // window's thread, unless the record got there first.
    WaitWhileBusy(*panel);
    // A resize that came meanwhile leaves the drawing to the next paint.
    QCoreApplication::processEvents();
    // Straight stretches end a run early: the points kept are the run's.
    const std::int64_t kept = SelectPoints(x, y, [&] {
      SelectionSettings wanted = s;
      wanted.wanted_count = points;
      return wanted;
    }(), nullptr).statistics.count;
    ASSERT_TRUE(form->Scene().preview);
    EXPECT_EQ(form->Scene().preview->lines.size(), static_cast<std::size_t>(kept));
    EXPECT_TRUE(panel->Figures()->text().contains(QStringLiteral(" %1 of 300 points").arg(kept)))
        << panel->Figures()->text().toStdString();
    EXPECT_NE(form->Picture(), before);
    before = form->Picture();
  }
  panel->Slider()->setValue(0);
  EXPECT_EQ(panel->Current().statistics.count, 3);
  form->findChild<QPushButton*>(QStringLiteral("PreviewSave"))->click();
  EXPECT_EQ(saved, std::vector<std::int64_t>{3});
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  EXPECT_FALSE(form->Scene().preview);
  EXPECT_FALSE(panel->isVisible());
  form->close();
}

// With the optimal method each value is selected again on the panel's
// thread: busy meanwhile, Save off; a newer value supersedes the one
// under way, and only the newest one's figures are shown.
TEST(PreviewPanelOptimal, SelectsAgainOffTheWindowsThread) {
  auto input = std::make_shared<SelectionInput>();
  for (int i = 0; i < 400; ++i) {
    input->first.push_back(10.0 * i);
    input->second.push_back(40.0 * std::sin(i * 0.11) + 7.0 * std::sin(i * 1.3));
  }
  input->settings.method = SelectionMethod::Optimal;
  input->settings.calculation = CalculationType::Planar;
  input->settings.input_format = InputFormat::AsciiXY;
  PreviewPanel panel(nullptr);
  int shown = 0;
  QObject::connect(&panel, &PreviewPanel::previewed, [&] { ++shown; });
  panel.Start(PreviewModel(input, Criterion::NumberOfPoints, 400), 12.0);
  EXPECT_TRUE(panel.Busy());
  for (const int points : {20, 31}) {
    panel.Field()->setText(QString::number(points));
    emit panel.Field()->editingFinished();
  }
  EXPECT_FALSE(panel.findChild<QPushButton*>(QStringLiteral("PreviewSave"))->isEnabled());
  WaitWhileBusy(panel);
  EXPECT_EQ(shown, 1);
  SelectionSettings settings = input->settings;
  settings.wanted_count = 31;
  const SelectionResult fresh = SelectPoints(input->first, input->second, settings, nullptr);
  EXPECT_EQ(panel.Current().selected, fresh.selected);
  EXPECT_TRUE(panel.findChild<QPushButton*>(QStringLiteral("PreviewSave"))->isEnabled());
}

// Plotting another track kept the view of the last, so the new track lay
// off screen (geographic then X, Y, or the reverse).
TEST_F(PlotFormTest, AnotherTrackOpensOnItselfTheSameTrackKeepsTheView) {
  std::ofstream(dir / "geo.txt") << "52.0N,  4.0E\n52.5N,  4.5E\n";
  std::ofstream(dir / "geo_out.txt") << "52.000000N,  4.000000E\n52.500000N,  4.500000E\n";
  const RunChoices geo;
  auto shows = [this](double x, double y) {
    form->Redraw();
    const PlotExtent v = form->Scene().view.Visible();
    return x >= v.XMin && x <= v.XMax && y >= v.YMin && y <= v.YMax;
  };
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  EXPECT_TRUE(shows(566000.0, 5984000.0));
  form->findChild<QPushButton*>(QStringLiteral("BitBtn6"))->click();  // zoom in
  const PlotExtent zoomed = form->Scene().view.extent;
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  form->Redraw();
  EXPECT_EQ(form->Scene().view.extent.XMin, zoomed.XMin) << "the same track keeps the view";

  ASSERT_TRUE(form->PlotRun(Path(""), Path("geo.txt"), Path("geo_out.txt"), geo));
  EXPECT_TRUE(shows(445277.96, 6800125.45)) << "4E 52N in plot metres";
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Plot with datum WGS84 in Mercator-projection"));
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  EXPECT_TRUE(shows(566000.0, 5984000.0));
  EXPECT_EQ(form->Scene().view.extent.XMin, 565000.0 - 100.0);
  // "Whole background" of an X, Y track is the track, not a fixed box.
  form->findChild<QPushButton*>(QStringLiteral("BitBtn6"))->click();
  form->findChild<QPushButton*>(QStringLiteral("BitBtn8"))->click();
  EXPECT_EQ(form->Scene().view.extent.XMin, 565000.0 - 100.0);
  EXPECT_EQ(form->Scene().view.extent.XMax, 567000.0 + 100.0);
}

// The read-out stood still after a zoom under a resting cursor.
TEST_F(PlotFormTest, ReadOutFollowsAZoom) {
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  form->Redraw();
  QWidget* area = form->findChild<QWidget*>(QStringLiteral("PlotArea"));
  const QPointF at(area->width() / 4.0, area->height() / 4.0);
  QMouseEvent move(QEvent::MouseMove, at, area->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(area, &move);
  auto* x_text = form->findChild<QLabel*>(QStringLiteral("StaticText1"));
  const double before = x_text->text().toDouble();
  form->findChild<QPushButton*>(QStringLiteral("BitBtn6"))->click();
  form->Redraw();
  const double after = x_text->text().toDouble();
  EXPECT_NE(after, before);
  EXPECT_NEAR(after, form->Scene().view.ToPlot(at.x(), at.y()).x, 0.01);
}

// The world coastline was drawn only within the columns of the extent,
// whatever the drawing area showed beside it: on a tall narrow track (a
// transit of the Suez Canal, far from the world file's first area) the
// coast stopped at the same columns at every pan. Every visible part is
// drawn: green on both sides of those columns, before and after panning
// east and west.
TEST_F(PlotFormTest, CoastlineIsDrawnOverTheWholeArea) {
  std::ofstream(dir / "suez.txt") << "29.935N, 32.563E\n30.200N, 32.500E\n30.545N, 32.310E\n"
                                     "30.870N, 32.320E\n31.265N, 32.312E\n";
  std::ofstream(dir / "suez_out.txt") << "29.935N, 32.563E\n31.265N, 32.312E\n";
  ASSERT_TRUE(form->PlotRun(Path(""), Path("suez.txt"), Path("suez_out.txt"), RunChoices{}));
  auto green_beside_the_extent = [&](const char* button) {
    if (button != nullptr) form->findChild<QPushButton*>(QLatin1String(button))->click();
    form->Redraw();
    const PlotViewport& view = form->Scene().view;
    const int left = view.ToPixel(view.extent.XMin, view.extent.YMin).x;
    const int right = view.ToPixel(view.extent.XMax, view.extent.YMin).x;
    int beside_left = 0, beside_right = 0;
    const QImage& picture = form->Picture();
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        if (picture.pixel(x, y) != qRgb(0, 128, 0)) continue;
        beside_left += x < left - 2;
        beside_right += x > right + 2;
      }
    }
    return std::pair{beside_left, beside_right};
  };
  for (const char* pan : {static_cast<const char*>(nullptr), "BitBtn2", "BitBtn5", "BitBtn5"}) {
    const auto [left, right] = green_beside_the_extent(pan);
    EXPECT_GT(left, 50) << (pan ? pan : "on the track");
    EXPECT_GT(right, 50) << (pan ? pan : "on the track");
  }
}

// Keys typed in the preview's value field (Ctrl, Ctrl+A, Enter) reached the
// plot, whose rule is that any key zooms out: confirming a value threw the
// zoom away. Keys belong to the widget with the focus; on the drawing area
// any key still zooms out.
TEST_F(PlotFormTest, KeysInThePreviewFieldLeaveTheView) {
  std::vector<double> x, y;
  std::ofstream in(dir / "in.txt");
  for (int i = 0; i < 50; ++i) {
    x.push_back(565000.0 + 20.0 * i);
    y.push_back(5983000.0 + (i % 7) * 30.0);
    in << x.back() << ' ' << y.back() << '\n';
  }
  in.close();
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  auto kept = std::make_shared<ResumableSelection>(x, y, s);
  kept->Select(0.0, 10, nullptr);
  ASSERT_TRUE(form->PlotRun(Path(""), Path("in.txt"), Path("out.txt"), xy));
  form->ShowPreview(PreviewModel(kept, Criterion::NumberOfPoints, 50), 10.0, nullptr);
  form->Redraw();
  const PlotExtent before = form->Scene().view.extent;
  QLineEdit* field = form->Preview()->Field();
  field->setFocus();
  for (const auto& [key, modifiers] : {std::pair{Qt::Key_Control, Qt::ControlModifier},
                                       std::pair{Qt::Key_A, Qt::ControlModifier},
                                       std::pair{Qt::Key_Return, Qt::NoModifier}}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(field, &press);
  }
  EXPECT_EQ(form->Scene().view.extent.XMin, before.XMin);
  EXPECT_EQ(form->Scene().view.extent.XMax, before.XMax);
  QWidget* area = form->findChild<QWidget*>(QStringLiteral("PlotArea"));
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
  QApplication::sendEvent(area, &key);
  EXPECT_LT(form->Scene().view.extent.XMin, before.XMin);
}

}  // namespace
}  // namespace oru

// The widgets need a QApplication before any test runs; the tests run on
// the offscreen platform (no display).
int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
