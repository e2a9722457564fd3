#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "app/about_box.h"
#include "app/splash_window.h"
#include "app/tests/window_fixture.h"

namespace oru::testing {
namespace {

// The case tables' own PrintTo, found from gtest's printers.
using oru::testing::PrintTo;

QString LabelText(const QWidget& window, const char* name) {
  const auto* label = window.findChild<QLabel*>(QLatin1String(name));
  return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// ---- help lookup -----------------------------------------------------------

struct HelpCase {
  const char* name;
  std::vector<int> holding;  // which of the three directories hold the help
  int expected;              // the directory whose help is taken
};

class HelpLookupTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpLookupTest, FirstDirectoryHoldingTheHelpWins) {
  TempDir dir;
  const std::string names[] = {"start", "program", "installed"};
  QStringList directories;
  for (const std::string& name : names) {
    std::filesystem::create_directories(dir.path() / name);
    directories << Q(dir.path() / name);
  }
  for (int i : GetParam().holding) dir.Write(names[i] + "/ORU_help.html", "help");
  EXPECT_EQ(FindHelpFile(directories), directories[GetParam().expected] + "/ORU_help.html");
}

INSTANTIATE_TEST_SUITE_P(Help, HelpLookupTest,
                         ::testing::Values(HelpCase{"StartDirectory", {0, 1, 2}, 0},
                                           HelpCase{"ProgramDirectory", {1, 2}, 1},
                                           HelpCase{"Installed", {2}, 2},
                                           // The browser reports the missing file.
                                           HelpCase{"Nowhere", {}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Help, LooksInTheStartDirectoryThenBesideTheProgram) {
  QStringList directories = HelpDirectories(QStringLiteral("/data/tracks"));
  ASSERT_GE(directories.size(), 3);
  EXPECT_EQ(directories[0], QStringLiteral("/data/tracks"));
  EXPECT_EQ(directories[1], QCoreApplication::applicationDirPath());
  EXPECT_EQ(directories.removeDuplicates(), 0);
}

// ---- About -----------------------------------------------------------------

TEST(About, BuildLineHasTheCompilersDateAndTime) {
  static const QRegularExpression form(QStringLiteral(
      "^build: (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ( [1-9]|[12][0-9]|3[01]) "
      "20[0-9]{2} ([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$"));
  EXPECT_TRUE(form.match(BuildLine()).hasMatch()) << BuildLine().toStdString();
}

class AboutTest : public WindowTest {};

TEST_F(AboutTest, HelpAboutShowsTheFourLabelsUntilOk) {
  TAboutBox1* about = window_->AboutBox();
  // Labels are set anew at every showing.
  about->findChild<QLabel*>(QStringLiteral("Label4"))->setText(QStringLiteral("stale"));
  QStringList shown;
  bool modal = false;
  QTimer::singleShot(0, window_.get(), [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    modal = dialog == about;
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
      shown << LabelText(*dialog, name);
    }
    dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
  });
  Action("About1")->trigger();  // returns when the dialog has closed
  EXPECT_TRUE(modal);
  EXPECT_EQ(shown, (QStringList{QStringLiteral("Version: 3.4.1"), QStringLiteral("Example Harbour"),
                                QStringLiteral("February 2010"), BuildLine()}));
  EXPECT_EQ(about->result(), QDialog::Accepted);
  EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
  EXPECT_FALSE(about->isVisible());
}

// ---- splash window ---------------------------------------------------------

TEST(Splash, ShowsItsLabelsAndFreesItselfAfterASecond) {
  QPointer<TAboutBox> splash = new TAboutBox;
  QStringList labels;
  for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
    labels << LabelText(*splash, name);
  }
  EXPECT_EQ(labels,
            (QStringList{QStringLiteral("oru"), QStringLiteral("version:  3.4.1"),
                         QStringLiteral("Example Harbour"), QStringLiteral("February 2010")}));
  QElapsedTimer clock;
  clock.start();
  splash->show();
  QEventLoop loop;
  QObject::connect(splash, &QObject::destroyed, &loop, &QEventLoop::quit);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_TRUE(splash.isNull()) << "the splash window is still there after 10 s";
  EXPECT_GE(clock.elapsed(), 900);
  delete splash.data();
}

}  // namespace
}  // namespace oru::testing
