#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/processing_run.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace oru {

class Launcher;
class RadioGroup;
class TAboutBox1;
class TPlotForm;
class UserDialogs;

// The main window: the choices of a run, the two file names, the selection
// value, the buttons that start a run and show its output, and the figures
// of the last run. Controls carry their long-standing names as object names
// (BitBtn3 is "Go!"), and the handlers their names as slots.
//
// A run works on the GUI thread. While it works the window handles its
// pending events now and then, so that the figures count up and the menus
// stay usable; the controls that could start another run or change the
// running one are disabled meanwhile.
class TForm1 final : public QMainWindow, public RunObserver {
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
  TAboutBox1* AboutBox() const { return AboutBox1; }
  TPlotForm* PlotForm() const { return PlotForm1; }

  // How often a run shows its figures and handles pending events. Every
  // showing costs the engine an exact count of the figures and the window a
  // repaint, so a few dozen a second are plenty.
  void SetProgressInterval(std::chrono::milliseconds interval) { progress_interval_ = interval; }

  // RunObserver: how a run shows itself in this window.
  void ShowMessage(const std::string& text) override;
  void ShowStatistics(const StatisticsTexts& texts) override;
  bool ProgressDue() override;
  void ProcessMessages() override;

 public slots:
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void BitBtn4Click();
  void BitBtnPlotClick();
  void RadioGroup3Click();
  void RadioGroup4Click();
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
  std::array<QWidget*, 6> RunControls() const;
  std::array<RadioGroup*, 5> RadioGroups() const;
  void ShowPreview(double value);
  void SavePreview(const SelectionResult& selection, double value);
  void DisableForRun();
  void EnableAfterRun();

  UserDialogs& dialogs_;
  Launcher& launcher_;

  QString start_directory_;
  QString input_file_name_;
  QString output_file_name_;
  RunChoices last_run_choices_;
  std::optional<QualityTexts> last_quality_;  // of the last completed run
  std::int64_t line_count_ = 0;
  // The last completed run's request and its record or input, for the
  // plot's preview.
  RunRequest last_request_;
  std::shared_ptr<const SelectionRecord> last_record_;
  std::shared_ptr<const SelectionInput> last_input_;

  bool run_under_way_ = false;
  bool close_requested_ = false;
  // Whether each radio group (1 to 5) was enabled when the run started.
  std::array<bool, 5> group_enabled_{};
  std::chrono::milliseconds progress_interval_{40};
  QElapsedTimer since_events_;
  bool handle_events_after_figures_ = false;
  QPointer<QWidget> focus_before_run_;

  RadioGroup* RadioGroup1;
  RadioGroup* RadioGroup2;
  RadioGroup* RadioGroup3;
  RadioGroup* RadioGroup4;
  RadioGroup* RadioGroup5;
  QGroupBox* RadioGroup6;
  QLineEdit* Edit1;
  QLabel* StaticText3;
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
