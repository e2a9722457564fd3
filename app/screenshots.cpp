// oru-screenshots: renders the README's pictures of the windows. Starts a
// run on a long geographic track and saves the main window while its
// figures count up ("Stop" shown), then stops it; thins a plane track to 25
// points through the main window as a user would (open, save as, Go!), then
// saves the main window; thins the lines of a navigation file and saves
// their plot; thins a geographic sample to 25 points, previews 6 in the
// plot and saves them there, and saves the plot; then the About dialog and
// the splash window, as PNG.
//   oru-screenshots INPUT OUTPUT_TRACK PICTURE_DIRECTORY LONG_GEOGRAPHIC_TRACK
//                   NAVIGATION_FILE NAVIGATION_OUTPUT GEOGRAPHIC_SAMPLE SAMPLE_OUTPUT

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <optional>

#include "app/about_box.h"
#include "app/main_window.h"
#include "plot/plot_form.h"
#include "plot/preview_panel.h"
#include "app/platform.h"
#include "app/splash_window.h"
#include "app/user_dialogs.h"

namespace {

// Answers the file dialogs with the names set; a message is an error here.
class AnsweringDialogs final : public oru::UserDialogs {
 public:
  std::optional<QString> AskOpenFile(QWidget*, const oru::FileTypes&) override { return input; }
  std::optional<QString> AskSaveFile(QWidget*, const oru::FileTypes&) override { return output; }
  void ShowMessage(QWidget*, const QString& text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    failed = true;
  }
  bool ChoosePrinter(QWidget*, QPrinter&) override { return false; }
  QString input;
  QString output;
  bool failed = false;
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

// Handles events until the run has ended (ten minutes at most).
bool WaitForRunEnd(const oru::TForm1& form) {
  const QDeadlineTimer deadline(600000);
  while (form.RunUnderWay() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return !form.RunUnderWay();
}

QString Absolute(const char* name) { return QFileInfo(QString::fromLocal8Bit(name)).absoluteFilePath(); }

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 9) {
    std::fprintf(stderr,
                 "usage: oru-screenshots INPUT OUTPUT_TRACK PICTURE_DIRECTORY "
                 "LONG_GEOGRAPHIC_TRACK NAVIGATION_FILE NAVIGATION_OUTPUT GEOGRAPHIC_SAMPLE "
                 "SAMPLE_OUTPUT\n");
    return 2;
  }
  const QDir pictures(QString::fromLocal8Bit(argv[3]));
  AnsweringDialogs dialogs;
  NoLauncher launcher;
  oru::TForm1 form(dialogs, launcher);
  form.show();

  auto* xy = Find<QRadioButton>(form, "RadioGroup4Item2");
  auto* open = Find<QPushButton>(form, "BitBtn1");
  auto* save = Find<QPushButton>(form, "BitBtn2");
  auto* go = Find<QPushButton>(form, "BitBtn3");
  auto* value = Find<QLineEdit>(form, "Edit1");
  auto* kept = Find<QLineEdit>(form, "Edit5");
  if (!xy || !open || !save || !go || !value || !kept) return 1;

  // A run in progress: 10,000 of the long track's points, ellipsoidic; the
  // picture is taken once a few thousand are kept, then the run is stopped.
  dialogs.input = Absolute(argv[4]);
  dialogs.output = dialogs.input.chopped(4) + QStringLiteral("_10000.txt");
  value->setText(QStringLiteral("10000"));
  open->click();
  save->click();
  bool running_saved = false;
  const auto counting = QObject::connect(kept, &QLineEdit::textChanged, [&](const QString& text) {
    if (running_saved || text.toInt() < 3000) return;
    running_saved = Save(form, pictures, "main_window_running.png");
    go->click();  // "Stop"
  });
  go->click();
  if (!WaitForRunEnd(form) || dialogs.failed || !running_saved) return 1;
  QObject::disconnect(counting);

  // A run to 25 points of the files `input` and `output` in `format`, and
  // the window's picture after it when `picture` is given.
  auto run_and_save = [&](QRadioButton* format, const char* input, const char* output,
                          const char* picture) {
    dialogs.input = Absolute(input);
    dialogs.output = Absolute(output);
    format->click();
    value->setText(QStringLiteral("25"));
    open->click();
    save->click();
    go->click();
    return WaitForRunEnd(form) && !dialogs.failed &&
           (picture == nullptr || Save(form, pictures, picture));
  };
  if (!run_and_save(xy, argv[1], argv[2], "main_window.png")) return 1;

  // Every line of a P1/90 file at once, and the plot of all of them.
  auto* gis = Find<QRadioButton>(form, "RadioGroup4Item3");
  auto* plot = Find<QPushButton>(form, "BitBtnPlot");
  if (!gis || !plot || !run_and_save(gis, argv[5], argv[6], "main_window_gis.png")) return 1;
  plot->click();
  oru::TPlotForm& plot_window = *form.PlotForm();
  plot_window.resize(900, 600);
  QCoreApplication::processEvents();
  // The plot opens on the whole North Sea; the picture shows the lines.
  oru::PlotScene& scene = plot_window.Scene();
  const auto all = scene.AllPoints(plot_window.Setup());
  const auto lines = all ? oru::TrackExtent(*all) : std::nullopt;
  if (!lines) return 1;
  scene.ZoomToDrag({lines->XMin, lines->YMin}, {lines->XMax, lines->YMax}, nullptr);
  plot_window.Redraw();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  if (dialogs.failed || !Save(plot_window, pictures, "plot_gis.png")) return 1;
  plot_window.hide();

  // The geographic sample to 25 points, its plot on the track, 6 points
  // previewed and saved: the plot then shows the saved selection and its
  // quality figures, the main window its figures and value.
  auto* oru_kvl = Find<QRadioButton>(form, "RadioGroup4Item0");
  if (!oru_kvl || !run_and_save(oru_kvl, argv[7], argv[8], nullptr)) return 1;
  plot->click();
  plot_window.resize(1280, 800);
  QCoreApplication::processEvents();
  const auto sample = scene.AllPoints(plot_window.Setup());
  const auto track = sample ? oru::TrackExtent(*sample) : std::nullopt;
  if (!track) return 1;
  scene.ZoomToDrag({track->XMin, track->YMin}, {track->XMax, track->YMax}, nullptr);
  oru::PreviewPanel* preview = plot_window.Preview();
  preview->Field()->setText(QStringLiteral("6"));
  emit preview->Field()->editingFinished();
  auto* save_preview = Find<QPushButton>(plot_window, "PreviewSave");
  auto* quality = Find<QLabel>(plot_window, "QualityText");
  if (!save_preview || !quality) return 1;
  save_preview->click();
  const QDeadlineTimer measured(60000);
  while (!quality->text().contains(QStringLiteral("mean")) && !measured.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  plot_window.Redraw();
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  if (dialogs.failed || !Save(plot_window, pictures, "plot_preview.png")) return 1;
  plot_window.hide();

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
