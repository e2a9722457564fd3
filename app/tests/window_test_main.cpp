// The window tests need an application object and no display: they draw
// off screen unless told otherwise.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  // Closing a window under test must not end the application.
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
