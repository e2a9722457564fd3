#pragma once

#include <QFrame>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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
// and "Save". A value whose selection is known (a Douglas-Peucker run's
// record reaches it) is shown at once; any other is selected on a thread
// of the panel's own, further or again, a busy marker showing meanwhile,
// and a newer value stops the one before. Then, on the same thread, the
// previewed selection's quality figures are measured, and a Douglas-Peucker
// selection is taken further towards every point meanwhile, so that the
// curve fills and more values are known at once.
class PreviewPanel final : public QFrame {
  Q_OBJECT

 public:
  explicit PreviewPanel(QWidget* parent);
  ~PreviewPanel() override;

  // Previews from the run's own value on.
  void Start(PreviewModel model, double run_value);
  // Stops the selecting or measuring under way and forgets the model.
  void End();
  // True while a selection is being made.
  bool Busy() const;
  // The previewed selection.
  const SelectionResult& Current() const { return current_; }
  double Value() const { return value_; }  // points or metres
  // The value as the value field shows it.
  std::string ValueText() const;
  // The previewed selection's quality figures, once measured.
  const std::optional<QualityTexts>& Quality() const { return quality_; }

  QSlider* Slider() const { return slider_; }
  QLineEdit* Field() const { return field_; }
  QLabel* Figures() const { return figures_; }
  QLabel* BusyMarker() const { return busy_; }

 signals:
  void previewed();         // the previewed selection changed
  void qualityChanged();    // its quality figures are being measured or known
  void saveRequested();     // "Save" was pressed

 private:
  void Preview(double value);
  void Show(const SelectionResult& result);
  void ShowCurve(std::vector<CurvePoint> curve);
  void ShowQuality(std::optional<QualityTexts> quality);
  // On the panel's thread: the value's selection when `select`, then the
  // quality figures of the selection shown, then the record further.
  void WorkInBackground(double value, bool select);
  void StopBackground();
  void SliderMoved(int position);
  void FieldEdited();

  std::optional<PreviewModel> model_;
  SelectionResult current_;
  double value_ = 0.0;
  std::optional<QualityTexts> quality_;
  // The last quality figures measured: of which run's selection of which
  // points, so that showing the same selection again measures nothing.
  struct Measured {
    const void* source = nullptr;
    std::vector<std::int64_t> selected;
    QualityTexts quality;
  };
  std::optional<Measured> measured_;
  QSlider* slider_;
  QLineEdit* field_;
  QLabel* unit_;
  QLabel* figures_;
  QLabel* busy_;
  CurveView* chart_;
  std::int64_t curve_end_ = 0;  // the points the chart's curve reaches
  QPushButton* save_;
  // The work under way: its thread and the number of the latest request,
  // which older ones compare with to stop.
  std::thread worker_;
  std::shared_ptr<std::atomic<std::uint64_t>> latest_ =
      std::make_shared<std::atomic<std::uint64_t>>(0);
};

}  // namespace oru
