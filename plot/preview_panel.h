#pragma once

#include <QFrame>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

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
// and "Save". After a Douglas-Peucker run every change is read from its
// record at once; with the optimal method the selection is made again on a
// thread of the panel's own, a busy marker showing meanwhile, and a newer
// value stops the one before.
class PreviewPanel final : public QFrame {
  Q_OBJECT

 public:
  explicit PreviewPanel(QWidget* parent);
  ~PreviewPanel() override;

  // Previews from the run's own value on.
  void Start(PreviewModel model, double run_value);
  // True while a selection is being made again.
  bool Busy() const;
  // The previewed selection.
  const SelectionResult& Current() const { return current_; }
  double Value() const { return value_; }  // points or metres

  QSlider* Slider() const { return slider_; }
  QLineEdit* Field() const { return field_; }
  QLabel* Figures() const { return figures_; }
  QLabel* BusyMarker() const { return busy_; }

 signals:
  void previewed();      // the previewed selection changed
  void saveRequested();  // "Save" was pressed

 private:
  void Preview(double value);
  void Show(const SelectionResult& result);
  void SelectInBackground(double value);
  void StopBackground();
  void SliderMoved(int position);
  void FieldEdited();

  std::optional<PreviewModel> model_;
  SelectionResult current_;
  double value_ = 0.0;
  QSlider* slider_;
  QLineEdit* field_;
  QLabel* unit_;
  QLabel* figures_;
  QLabel* busy_;
  CurveView* chart_;
  QPushButton* save_;
  // The optimal method's selection under way: its thread and the number of
  // the latest request, which older ones compare with to stop.
  std::thread worker_;
  std::shared_ptr<std::atomic<std::uint64_t>> latest_ =
      std::make_shared<std::atomic<std::uint64_t>>(0);
};

}  // namespace oru
