#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace oru {

class RunWorker;
class UserDialogs;

// Thins the tracks of an NMEA 0183 log or a UKOOA P1/90 file (or a GIS file)
// into routes for the bridge: an RTZ or GPX file, or line features, by the
// output's extension, with at most "Maximum waypoints" points a track. The
// run (run/pipeline.h) works on the windows' worker thread; the dialog shows
// its figures, the lines passed over and any failure in a message when it
// ends. The main window's survey formats are not touched.
class NavRouteDialog final : public QDialog {
  Q_OBJECT

 public:
  NavRouteDialog(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~NavRouteDialog() override;

  bool RunUnderWay() const { return running_; }

 public slots:
  void ChooseInput();
  void ChooseOutput();
  void Go();

 signals:
  // The run has ended and its message was shown.
  void RunEnded();

 protected:
  void reject() override;  // not while a run works: it owns the dialog's data

 private:
  void SetRunning(bool running);
  void RunFinished(const std::vector<std::string>& messages);

  UserDialogs& dialogs_;
  QString input_;
  QString output_;
  bool running_ = false;
  std::shared_ptr<std::string> report_;  // of the last run, in the dialog's words
  RunWorker* worker_;
  QLabel* input_name_;
  QLabel* output_name_;
  QRadioButton* by_deviation_;
  QRadioButton* planar_;
  QLineEdit* value_;
  QSpinBox* max_waypoints_;
  QCheckBox* p190_grid_;
  QPushButton* open_;
  QPushButton* save_;
  QPushButton* go_;
  QPushButton* close_;
};

}  // namespace oru
