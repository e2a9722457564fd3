#include "plot/preview_panel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <utility>

#include "app/selection_value.h"
#include "plot/plot_image.h"
#include "plot/qpainter_canvas.h"

namespace oru {

CurveView::CurveView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CurveView"));
  setFixedSize(280, 150);
}

void CurveView::Mark(std::int64_t count) {
  marked_ = count;
  update();
}

void CurveView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setFont(PlotFont());
  QPainterCanvas canvas(painter);
  DrawCurveChart(curve_, marked_, {0, 0, width(), height()}, canvas);
}

PreviewPanel::PreviewPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("PreviewPanel"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(9, 2, 9, 2);
  auto* controls = new QVBoxLayout;
  auto* value_row = new QHBoxLayout;
  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QStringLiteral("PreviewSlider"));
  slider_->setRange(0, PreviewModel::kPositions);
  field_ = new QLineEdit(this);
  field_->setObjectName(QStringLiteral("PreviewValue"));
  field_->setFixedWidth(90);
  unit_ = new QLabel(this);
  save_ = new QPushButton(QStringLiteral("Save"), this);
  save_->setObjectName(QStringLiteral("PreviewSave"));
  save_->setToolTip(QStringLiteral("Write this selection to the output file"));
  figures_ = new QLabel(this);
  figures_->setObjectName(QStringLiteral("PreviewFigures"));
  value_row->addWidget(new QLabel(QStringLiteral("Preview:"), this));
  value_row->addWidget(slider_, 1);
  value_row->addWidget(field_);
  value_row->addWidget(unit_);
  value_row->addWidget(save_);
  controls->addLayout(value_row);
  controls->addWidget(figures_);
  controls->addStretch(1);
  chart_ = new CurveView(this);
  row->addLayout(controls, 1);
  row->addWidget(chart_);

  connect(slider_, &QSlider::valueChanged, this, &PreviewPanel::SliderMoved);
  connect(field_, &QLineEdit::editingFinished, this, &PreviewPanel::FieldEdited);
  connect(save_, &QPushButton::clicked, this, &PreviewPanel::saveRequested);
}

void PreviewPanel::Start(std::shared_ptr<const SelectionRecord> record, Criterion criterion,
                         std::int64_t line_count, double run_value) {
  chart_->SetCurve(record->Curve());
  model_.emplace(std::move(record), criterion, line_count);
  unit_->setText(criterion == Criterion::NumberOfPoints ? QStringLiteral("points")
                                                        : QStringLiteral("m."));
  Preview(run_value);
}

void PreviewPanel::Preview(double value) {
  value_ = value;
  current_ = model_->ResultFor(value);
  {
    const QSignalBlocker block(slider_);
    slider_->setValue(model_->PositionOf(value));
  }
  field_->setText(QString::fromStdString(model_->ValueText(value)));
  const StatisticsTexts t = FormatStatistics(current_.statistics);
  figures_->setText(QString::fromStdString("Largest deviation " + t.max_deviation + " m, " +
                                           t.points_after + " of " + t.points_before +
                                           " points, length " + t.length_after + " m."));
  chart_->Mark(current_.statistics.count);
  emit previewed();
}

void PreviewPanel::SliderMoved(int position) {
  if (model_) Preview(model_->ValueAt(position));
}

// A value typed as the main window's field takes it; one it would refuse
// puts the previewed value back.
void PreviewPanel::FieldEdited() {
  if (!model_) return;
  const std::string text = field_->text().toStdString();
  std::optional<double> value;
  if (model_->criterion() == Criterion::NumberOfPoints) {
    if (const auto points = ParseNumberOfPoints(text)) value = static_cast<double>(*points);
  } else {
    value = ParseMaximumDeviation(text);
  }
  if (value) {
    Preview(*value);
  } else {
    Preview(model_->ValueAt(slider_->value()));
  }
}

}  // namespace oru
