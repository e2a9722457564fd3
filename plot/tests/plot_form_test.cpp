#include "plot/plot_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <memory>

#include "plot/handoff.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

class PlotFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TPlotForm>();
    dir = fs::temp_directory_path() / "oru_plot_form_test";
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
  // The selection's rectangle widened by 50 km is shown.
  EXPECT_EQ(form->Scene().view.extent.XMin, 565000.0 - 50000.0);

  // The buttons move the view and fix it: east then west returns.
  const PlotExtent before = form->Scene().view.extent;
  form->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
  EXPECT_TRUE(form->Scene().ExtentFixed);
  EXPECT_GT(form->Scene().view.extent.XMin, before.XMin);
  form->findChild<QPushButton*>(QStringLiteral("BitBtn5"))->click();
  EXPECT_NEAR(form->Scene().view.extent.XMin, before.XMin, 1e-6);
  form->close();
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
