#include "app/nav_route_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "app/platform.h"
#include "app/run_messages.h"
#include "app/run_worker.h"
#include "app/user_dialogs.h"
#include "run/pipeline.h"

namespace oru {

namespace {

// Two exclusive choices side by side, the first checked.
QHBoxLayout* ChoiceRow(const char* first, const char* second, QWidget* parent,
                       QRadioButton*& a, QRadioButton*& b) {
  a = new QRadioButton(QLatin1String(first), parent);
  b = new QRadioButton(QLatin1String(second), parent);
  auto* group = new QButtonGroup(parent);
  group->addButton(a);
  group->addButton(b);
  a->setChecked(true);
  auto* row = new QHBoxLayout;
  row->addWidget(a);
  row->addWidget(b);
  row->addStretch();
  return row;
}

QLabel* FileName(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setMinimumWidth(320);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

NavRouteDialog::~NavRouteDialog() = default;

NavRouteDialog::NavRouteDialog(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("NavRouteDialog"));
  setWindowTitle(QStringLiteral("Navigation files to routes"));
  open_ = new QPushButton(QStringLiteral("Open ..."), this);
  save_ = new QPushButton(QStringLiteral("Save As ..."), this);
  input_name_ = FileName(this);
  output_name_ = FileName(this);
  QRadioButton* by_count = nullptr;
  QRadioButton* ellipsoidic = nullptr;
  QHBoxLayout* criterion =
      ChoiceRow("Maximum deviation", "Number of points", this, by_deviation_, by_count);
  QHBoxLayout* calculation = ChoiceRow("ellipsoidic", "planar", this, ellipsoidic, planar_);
  value_ = new QLineEdit(QStringLiteral("1"), this);
  max_waypoints_ = new QSpinBox(this);
  max_waypoints_->setRange(0, 999999999);
  max_waypoints_->setSpecialValueText(QStringLiteral("no limit"));
  max_waypoints_->setValue(500);
  p190_grid_ = new QCheckBox(QStringLiteral("P1/90 grid eastings and northings"), this);
  go_ = new QPushButton(QStringLiteral("Go!"), this);
  close_ = new QPushButton(QStringLiteral("Close"), this);
  for (auto [widget, name] : {std::pair<QWidget*, const char*>{open_, "Open"}, {save_, "Save"},
                              {value_, "Value"}, {max_waypoints_, "MaxWaypoints"},
                              {p190_grid_, "P190Grid"}, {planar_, "Planar"},
                              {by_deviation_, "MaximumDeviation"}, {go_, "Go"},
                              {close_, "Close"}, {input_name_, "InputName"},
                              {output_name_, "OutputName"}}) {
    widget->setObjectName(QLatin1String(name));
  }

  auto* form = new QFormLayout;
  form->addRow(open_, input_name_);
  form->addRow(save_, output_name_);
  form->addRow(QStringLiteral("Criterion"), criterion);
  form->addRow(QStringLiteral("Value (m or points)"), value_);
  form->addRow(QStringLiteral("Maximum waypoints"), max_waypoints_);
  form->addRow(QStringLiteral("Calculation type"), calculation);
  form->addRow(QString(), p190_grid_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(go_);
  buttons->addStretch();
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  go_->setEnabled(false);
  connect(open_, &QPushButton::clicked, this, &NavRouteDialog::ChooseInput);
  connect(save_, &QPushButton::clicked, this, &NavRouteDialog::ChooseOutput);
  connect(go_, &QPushButton::clicked, this, &NavRouteDialog::Go);
  worker_ = new RunWorker(this);
  connect(worker_, &RunWorker::Ended, this, &NavRouteDialog::RunFinished);
  connect(close_, &QPushButton::clicked, this, &NavRouteDialog::reject);
}

void NavRouteDialog::ChooseInput() {
  if (const auto chosen = dialogs_.AskOpenFile(this)) {
    input_ = *chosen;
    input_name_->setText(input_);
  }
  go_->setEnabled(!running_ && !input_.isEmpty() && !output_.isEmpty());
}

void NavRouteDialog::ChooseOutput() {
  if (const auto chosen = dialogs_.AskSaveFile(this)) {
    output_ = *chosen;
    output_name_->setText(output_);
  }
  go_->setEnabled(!running_ && !input_.isEmpty() && !output_.isEmpty());
}

void NavRouteDialog::Go() {
  if (running_) return;
  const int cap = max_waypoints_->value();
  if (cap == 1 || cap == 2) {
    dialogs_.ShowMessage(this, QStringLiteral("A route keeps at least 3 waypoints."));
    return;
  }
  PipelineSettings settings;
  settings.inputs = {ToPath(input_)};
  settings.output = ToPath(output_);
  settings.criterion =
      by_deviation_->isChecked() ? Criterion::MaximumDeviation : Criterion::NumberOfPoints;
  settings.calculation =
      planar_->isChecked() ? CalculationType::Planar : CalculationType::Ellipsoidic;
  settings.value = value_->text().toStdString();
  settings.max_points = cap;
  settings.p190_grid = p190_grid_->isChecked();

  // The run owns its settings; its report outlives the dialog.
  report_ = std::make_shared<std::string>();
  SetRunning(true);
  worker_->Start([settings, report = report_](RunObserver& observer) {
    const PipelineOutcome outcome = RunPipeline(settings, observer);
    for (const std::string& message : RunMessages(outcome)) *report += message + "\n\n";
    *report += TracksText(outcome);
  });
}

void NavRouteDialog::RunFinished(const std::vector<std::string>& messages) {
  SetRunning(false);
  std::string text = *report_;
  for (const std::string& message : messages) text += message + '\n';
  dialogs_.ShowMessage(this, QString::fromStdString(text).trimmed());
  emit RunEnded();
}

void NavRouteDialog::reject() {
  if (!running_) QDialog::reject();
}

void NavRouteDialog::SetRunning(bool running) {
  running_ = running;
  for (QWidget* control : {static_cast<QWidget*>(open_), static_cast<QWidget*>(save_),
                           static_cast<QWidget*>(value_), static_cast<QWidget*>(max_waypoints_),
                           static_cast<QWidget*>(p190_grid_), static_cast<QWidget*>(close_)}) {
    control->setEnabled(!running);
  }
  go_->setEnabled(!running && !input_.isEmpty() && !output_.isEmpty());
}

}  // namespace oru
