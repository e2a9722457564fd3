// The dialog of navigation files to routes: a run on its worker thread, the
// cap, and the message after the run.
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "app/nav_route_dialog.h"
#include "app/tests/window_fixture.h"

namespace oru::testing {
namespace {

TEST(NavRouteDialog, ThinsALogIntoACappedRouteAndSaysWhatItDid) {
  TempDir dir;
  ScriptedDialogs dialogs;
  NavRouteDialog dialog(dialogs);
  const std::filesystem::path log =
      std::filesystem::path(ORU_TEST_SOURCE_DIR) / "cli/tests/nav/ship.nmea";
  const std::filesystem::path route = dir.path() / "ship.rtz";
  dialogs.open_answers.push_back(Q(log));
  dialogs.save_answers.push_back(Q(route));
  dialog.findChild<QPushButton*>(QStringLiteral("Open"))->click();
  dialog.findChild<QPushButton*>(QStringLiteral("Save"))->click();
  dialog.findChild<QLineEdit*>(QStringLiteral("Value"))->setText(QStringLiteral("0.01"));
  dialog.findChild<QSpinBox*>(QStringLiteral("MaxWaypoints"))->setValue(3);
  bool ended = false;
  QObject::connect(&dialog, &NavRouteDialog::RunEnded, [&ended] { ended = true; });
  dialog.findChild<QPushButton*>(QStringLiteral("Go"))->click();
  EXPECT_TRUE(dialog.RunUnderWay());
  EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("Close"))->isEnabled());
  while (!ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_FALSE(dialog.RunUnderWay());
  ASSERT_EQ(dialogs.messages.size(), 1);
  // In the dialog's words: the lines passed over by number, the cap by the
  // name of its field; nothing of the command line's.
  EXPECT_TRUE(dialogs.messages[0].startsWith(
      "2 lines of " + Q(log) + " are no valid NMEA sentences and were passed over: lines 7 and "
      "13.\n"))
      << dialogs.messages[0].toStdString();
  EXPECT_TRUE(dialogs.messages[0].contains(
      QStringLiteral("Capped at 3 points by \"Maximum waypoints\": the maximum distance")));
  EXPECT_FALSE(dialogs.messages[0].contains(QStringLiteral("--")));
  EXPECT_TRUE(std::filesystem::exists(route));

  // Two waypoints cannot be a thinned route: said before any run.
  dialog.findChild<QSpinBox*>(QStringLiteral("MaxWaypoints"))->setValue(2);
  dialog.findChild<QPushButton*>(QStringLiteral("Go"))->click();
  EXPECT_FALSE(dialog.RunUnderWay());
  EXPECT_EQ(dialogs.messages.back(), QStringLiteral("A route keeps at least 3 waypoints."));
}

}  // namespace
}  // namespace oru::testing
