#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plot/tracks_handoff.h"
#include "run/processing_run.h"

class QAction;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace oru {

class Launcher;
class RadioGroup;
class RunWorker;
class TAboutBox1;
class TPlotForm;
class UserDialogs;

// The main window: the choices of a run, the two file names, the selection
// value, the buttons that start a run and show its output, and the figures
// of the last run. Controls carry their long-standing names as object names
// (BitBtn3 is "Go!"), and the handlers their names as slots.
//
// A run, reading and writing included, works on a worker thread; the window
// shows its figures as they come and its messages when it has ended, and
// stays usable meanwhile. "Go!" is "Stop" while a run works (Esc does the
// same); the controls that could start another run or change the running
// one are disabled. Closing the window during a run stops it first.
// The result of a run of a GIS or navigation file (or into one): its
// tracks for the plot, and each track's rows for "Tracks of the Last Run".
struct GisRunResult {
  std::vector<PlotTrack> plotted;
  std::string tracks_text;
};

class TForm1 final : public QMainWindow {
  Q_OBJECT

 public:
  TForm1(UserDialogs& dialogs, Launcher& launcher, QWidget* parent = nullptr);
  ~TForm1() override;

  const QString& StartDirectory() const { return start_directory_; }
  // The choices in force for the last run that was started.
  const RunChoices& LastRunChoices() const { return last_run_choices_; }
  // Lines counted by the last run, 0 when it stopped before counting.
  std::int64_t LineCount() const { return line_count_; }
  bool RunUnderWay() const { return run_under_way_; }
  // Asks a run under way to stop (the "Stop" button and Esc).
  void StopRun();
  TAboutBox1* AboutBox() const { return AboutBox1; }
  TPlotForm* PlotForm() const { return PlotForm1; }

  // How often a run shows its figures (RunWorker::SetProgressInterval).
  void SetProgressInterval(std::chrono::milliseconds interval);

 public slots:
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtnPlotClick();
  void Tracks1Click();
  void RadioGroup3Click();
  void RadioGroup4Click();
  void RadioGroup5Click();
  void Open1Click();
  void Save1Click();
  void PrintScreen1Click();
  void Exit1Click();
  void Index1Click();
  void About1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  void FormCreate();
  void FormClose();
  RunChoices ChosenChoices() const;
  std::array<RadioGroup*, 5> RadioGroups() const;
  void ShowPreview(double value);
  void SavePreview(const SelectionResult& selection, double value);
  void DisableForRun();
  void EnableAfterRun();
  // "Go!" with the GIS item as the input or the output format.
  void StartGisRun();
  // The formats that the names of the chosen files say: the GIS item for
  // the extension of a GIS or navigation format.
  void FollowExtension(RadioGroup* group, const QString& file, bool input);
  // The datum and the CRS field, as the input and output formats ask.
  void EnableDatumAndCrs();
  // Enables the buttons and their menu items from the one state they follow.
  void UpdateControls();
  void ShowStatistics(const StatisticsTexts& texts);
  void RunEnded(const std::vector<std::string>& messages);
  // A message box; the focus then goes back to the selection value.
  void Tell(const QString& text);

  UserDialogs& dialogs_;
  Launcher& launcher_;

  QString start_directory_;
  QString input_file_name_;
  QString output_file_name_;
  RunChoices last_run_choices_;
  std::int64_t line_count_ = 0;
  // What "Plot" shows: the files, choices and quality figures of the last
  // run that wrote its output.
  struct PlottableRun {
    QString input;
    QString output;
    RunChoices choices;
    std::optional<QualityTexts> quality;
    // The selection value, and the record or the input that the plot's
    // preview reads the selection for other values from.
    std::string value;
    std::shared_ptr<const SelectionRecord> record;
    std::shared_ptr<const SelectionInput> track;
    // A run of a GIS or navigation file: its tracks and their rows.
    std::shared_ptr<const GisRunResult> gis;
  };
  std::shared_ptr<GisRunResult> gis_run_;  // filled by a GIS run under way
  QDialog* tracks_view_ = nullptr;          // "Tracks of the Last Run", once opened
  std::optional<PlottableRun> last_completed_;
  PlottableRun running_;                  // the run under way, as started
  std::shared_ptr<RunOutcome> outcome_;  // filled by the run under way

  RunWorker* worker_;
  bool run_under_way_ = false;
  bool run_ended_once_ = false;  // "Check" and "Plot" are usable from then on
  bool close_requested_ = false;
  // Whether each radio group (1 to 5) was enabled when the run started.
  std::array<bool, 5> group_enabled_{};
  QPointer<QWidget> focus_before_run_;

  RadioGroup* RadioGroup1;
  RadioGroup* RadioGroup2;
  RadioGroup* RadioGroup3;
  RadioGroup* RadioGroup4;
  RadioGroup* RadioGroup5;
  QGroupBox* RadioGroup6;
  QLineEdit* Edit1;
  QLabel* StaticText3;
  // The projected CRS of X, Y tracks written to GIS and route files.
  QLineEdit* EditCrs;
  QPushButton* BitBtn1;
  QLabel* StaticText1;
  QPushButton* BitBtn2;
  QLabel* StaticText2;
  QPushButton* BitBtn3;
  QLineEdit* Edit2;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QLineEdit* Edit5;
  QLineEdit* Edit6;
  QLineEdit* Edit7;
  QLineEdit* Edit8;
  QPushButton* BitBtn4;
  QPushButton* BitBtnPlot;
  QPushButton* BitBtn5;
  QAction* Open1;
  QAction* Save1;
  QAction* Tracks1;
  QAction* PrintScreen1;
  QAction* Exit1;
  QAction* Index1;
  QAction* About1;
  // Options: the optimal selection instead of Douglas-Peucker, for the next run.
  QAction* Optimal1;
  TAboutBox1* AboutBox1;
  TPlotForm* PlotForm1;
};

}  // namespace oru
