#pragma once

#include <QFrame>
#include <QWidget>
#include <memory>
#include <optional>

#include "plot/preview_model.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace oru {

// The small chart of the curve beside the slider, the previewed count
// marked.
class CurveView final : public QWidget {
 public:
  explicit CurveView(QWidget* parent);
  void SetCurve(std::vector<CurvePoint> curve) { curve_ = std::move(curve); }
  void Mark(std::int64_t count);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<CurvePoint> curve_;
  std::int64_t marked_ = 0;
};

// The preview under the plot: a slider and a value field in points or
// metres (the run's criterion), the figures of the previewed selection
// (largest deviation, points, length), the curve with the value marked,
// and "Save". Every change is read from the run's record, never selected
// again.
class PreviewPanel final : public QFrame {
  Q_OBJECT

 public:
  explicit PreviewPanel(QWidget* parent);

  // Previews a run's record, starting at the run's own value.
  void Start(std::shared_ptr<const SelectionRecord> record, Criterion criterion,
             std::int64_t line_count, double run_value);
  // The previewed selection.
  const SelectionResult& Current() const { return current_; }
  double Value() const { return value_; }  // points or metres

  QSlider* Slider() const { return slider_; }
  QLineEdit* Field() const { return field_; }
  QLabel* Figures() const { return figures_; }

 signals:
  void previewed();      // the previewed selection changed
  void saveRequested();  // "Save" was pressed

 private:
  void Preview(double value);
  void SliderMoved(int position);
  void FieldEdited();

  std::optional<PreviewModel> model_;
  SelectionResult current_;
  double value_ = 0.0;
  QSlider* slider_;
  QLineEdit* field_;
  QLabel* unit_;
  QLabel* figures_;
  CurveView* chart_;
  QPushButton* save_;
};

}  // namespace oru
