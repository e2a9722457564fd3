// oru: the desktop program. Shows the splash window, then the main window,
// and ends when the main window closes.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <exception>

#include "app/artwork.h"
#include "app/main_window.h"
#include "app/platform.h"
#include "app/product_texts.h"
#include "app/splash_window.h"
#include "app/user_dialogs.h"
#include "trackio/temporary_files.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // A run's temporary files go with the program on SIGINT, SIGTERM, SIGHUP.
  oru::InstallTemporaryFileCleanup();
  QApplication::setApplicationName(QStringLiteral("oru"));
  QApplication::setApplicationVersion(QStringLiteral("3.4.1"));
  QApplication::setDesktopFileName(QStringLiteral("oru"));
  QApplication::setWindowIcon(oru::ApplicationIcon());

  // The splash window is seen, painted, before anything else is made; it
  // frees itself when its timer closes it.
  QPointer<oru::TAboutBox> splash = new oru::TAboutBox;
  splash->show();
  splash->repaint();
  QApplication::processEvents();

  oru::QtUserDialogs dialogs;
  oru::DesktopLauncher launcher;
  oru::TForm1 form(dialogs, launcher);
  form.show();
  if (splash) splash->raise();

  try {
    QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QString::fromLatin1(oru::texts::kApplicationTitle),
                          QString::fromUtf8(error.what()));
  }
  delete splash.data();
  return 0;
}
