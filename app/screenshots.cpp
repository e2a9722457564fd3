// oru-screenshots: renders the README's pictures of the windows. Thins a
// track to 25 points through the main window as a user would (open, save
// as, Go!), then saves the main window, the About dialog and the splash
// window as PNG.
//   oru-screenshots INPUT OUTPUT_TRACK PICTURE_DIRECTORY

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <optional>

#include "app/about_box.h"
#include "app/main_window.h"
#include "app/platform.h"
#include "app/splash_window.h"
#include "app/user_dialogs.h"

namespace {

// Answers the file dialogs with the given names; a message is an error here.
class AnsweringDialogs final : public oru::UserDialogs {
 public:
  AnsweringDialogs(QString input, QString output)
      : input_(std::move(input)), output_(std::move(output)) {}
  std::optional<QString> AskOpenFile(QWidget*) override { return input_; }
  std::optional<QString> AskSaveFile(QWidget*) override { return output_; }
  void ShowMessage(QWidget*, const QString& text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    failed = true;
  }
  bool ChoosePrinter(QWidget*, QPrinter&) override { return false; }
  bool failed = false;

 private:
  QString input_;
  QString output_;
};

class NoLauncher final : public oru::Launcher {
 public:
  bool ShowTextFile(const QString&) override { return true; }
  bool ShowHelp(const QString&) override { return true; }
};

bool Save(QWidget& widget, const QDir& directory, const char* name) {
  QApplication::processEvents();
  const QString file = directory.filePath(QLatin1String(name));
  if (!widget.grab().save(file, "PNG")) {
    std::fprintf(stderr, "could not write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

template <typename T>
T* Find(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QLatin1String(name));
  if (found == nullptr) std::fprintf(stderr, "no control %s\n", name);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: oru-screenshots INPUT OUTPUT_TRACK PICTURE_DIRECTORY\n");
    return 2;
  }
  const QDir pictures(QString::fromLocal8Bit(argv[3]));
  AnsweringDialogs dialogs(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath(),
                           QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath());
  NoLauncher launcher;
  oru::TForm1 form(dialogs, launcher);
  form.show();

  auto* xy = Find<QRadioButton>(form, "RadioGroup4Item2");
  auto* open = Find<QPushButton>(form, "BitBtn1");
  auto* save = Find<QPushButton>(form, "BitBtn2");
  auto* go = Find<QPushButton>(form, "BitBtn3");
  auto* value = Find<QLineEdit>(form, "Edit1");
  if (!xy || !open || !save || !go || !value) return 1;
  xy->click();
  value->setText(QStringLiteral("25"));
  open->click();
  save->click();
  go->click();
  if (dialogs.failed || !Save(form, pictures, "main_window.png")) return 1;

  form.AboutBox()->show();
  if (!Save(*form.AboutBox(), pictures, "about_box.png")) return 1;
  form.AboutBox()->hide();

  // The splash window frees itself when its timer closes it.
  QPointer<oru::TAboutBox> splash = new oru::TAboutBox;
  splash->show();
  const bool saved = Save(*splash, pictures, "splash_window.png");
  delete splash.data();
  return saved ? 0 : 1;
}
