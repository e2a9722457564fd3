#include "plot/preview_panel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <exception>
#include <utility>

#include "run/selection_value.h"
#include "plot/plot_image.h"
#include "plot/qpainter_canvas.h"
#include "track/vector_state.h"

namespace oru {
namespace {

// How long after a value shown at once the work nobody waits for (quality
// figures, the selection taken further) starts, milliseconds: the plot
// draws a million points in a few tenths of a second, on a core that the
// work would otherwise share.
constexpr int kQuietWorkDelay = 400;

}  // namespace

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
  QPainterCanvas canvas(painter, Qt::white);
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
  busy_ = new QLabel(QStringLiteral("Selecting ..."), this);
  busy_->setObjectName(QStringLiteral("PreviewBusy"));
  busy_->setStyleSheet(QStringLiteral("color: #800000"));
  busy_->hide();
  value_row->addWidget(new QLabel(QStringLiteral("Preview:"), this));
  value_row->addWidget(slider_, 1);
  value_row->addWidget(field_);
  value_row->addWidget(unit_);
  value_row->addWidget(save_);
  controls->addLayout(value_row);
  controls->addWidget(figures_);
  controls->addWidget(busy_);
  controls->addStretch(1);
  chart_ = new CurveView(this);
  row->addLayout(controls, 1);
  row->addWidget(chart_);

  connect(slider_, &QSlider::valueChanged, this, &PreviewPanel::SliderMoved);
  connect(field_, &QLineEdit::editingFinished, this, &PreviewPanel::FieldEdited);
  connect(save_, &QPushButton::clicked, this, &PreviewPanel::saveRequested);
}

PreviewPanel::~PreviewPanel() { StopBackground(); }

void PreviewPanel::Start(PreviewModel model, double run_value) {
  StopBackground();
  busy_->hide();
  save_->setEnabled(true);
  chart_->SetCurve(model.Curve());
  curve_end_ = model.CurveEnd();
  chart_->setVisible(curve_end_ > 0);
  unit_->setText(model.criterion() == Criterion::NumberOfPoints ? QStringLiteral("points")
                                                               : QStringLiteral("m."));
  model_.emplace(std::move(model));
  Preview(run_value);
}

void PreviewPanel::End() {
  StopBackground();
  model_.reset();
  busy_->hide();
}

bool PreviewPanel::Busy() const { return !busy_->isHidden(); }

std::string PreviewPanel::ValueText() const {
  return model_ ? model_->ValueText(value_) : std::string();
}

void PreviewPanel::Preview(double value) {
  StopBackground();
  value_ = value;
  {
    const QSignalBlocker block(slider_);
    slider_->setValue(model_->PositionOf(value));
  }
  field_->setText(QString::fromStdString(model_->ValueText(value)));
  if (std::optional<SelectionResult> known = model_->Known(value)) {
    busy_->hide();
    save_->setEnabled(true);
    Show(*known);
    // Nobody waits for the rest: the window draws first.
    QTimer::singleShot(kQuietWorkDelay, this, [this, value, mine = latest_->load()] {
      if (model_ && latest_->load() == mine) WorkInBackground(value, false);
    });
    return;
  }
  busy_->show();
  save_->setEnabled(false);
  ShowQuality(std::nullopt);
  WorkInBackground(value, true);
}

void PreviewPanel::Show(const SelectionResult& result) {
  current_ = result;
  const StatisticsTexts t = FormatStatistics(current_.statistics);
  figures_->setText(QString::fromStdString("Largest deviation " + t.max_deviation + " m, " +
                                           t.points_after + " of " + t.points_before +
                                           " points, length " + t.length_after + " m."));
  chart_->Mark(current_.statistics.count);
  emit previewed();
  const bool measured = measured_ && measured_->source == model_->Source() &&
                        measured_->selected == current_.selected;
  ShowQuality(measured ? std::optional(measured_->quality) : std::nullopt);
}

void PreviewPanel::ShowCurve(std::vector<CurvePoint> curve) {
  curve_end_ = curve.empty() ? 0 : curve.back().count;
  chart_->SetCurve(std::move(curve));
  chart_->update();
}

void PreviewPanel::ShowQuality(std::optional<QualityTexts> quality) {
  quality_ = std::move(quality);
  emit qualityChanged();
}

namespace {

// Stops the work under way as soon as a newer value is asked for.
class Superseded final : public SelectionObserver {
 public:
  Superseded(std::shared_ptr<std::atomic<std::uint64_t>> latest, std::uint64_t mine)
      : latest_(std::move(latest)), mine_(mine) {}
  bool ProgressDue() override { return false; }
  void OnProgress(const SelectionStatistics&) override {}
  bool StopRequested() override { return latest_->load() != mine_; }

 private:
  std::shared_ptr<std::atomic<std::uint64_t>> latest_;
  std::uint64_t mine_;
};

}  // namespace

// The work runs on the panel's thread with copies of what it needs; its
// results come back as queued calls, taken only when no newer value was
// asked for meanwhile, and the record is only read on this thread while
// the work may add to it: the curve comes back as a copy. Save waits for
// the selection (the button is off), not for the rest.
void PreviewPanel::WorkInBackground(double value, bool select) {
  const std::uint64_t mine = latest_->load();
  SelectionResult shown = select ? SelectionResult{} : current_;
  const bool measured = !select && quality_.has_value();
  worker_ = std::thread([this, model = *model_, latest = latest_, mine, value, select, measured,
                         curve_end = curve_end_, shown = std::move(shown)]() mutable {
    ClearUpperVectorState();
    Superseded observer(latest, mine);
    auto post = [&](auto show) {
      QMetaObject::invokeMethod(
          this,
          [latest, mine, show = std::move(show)]() mutable {
            if (latest->load() == mine) show();
          },
          Qt::QueuedConnection);
      ClearUpperVectorState();  // after the toolkit's code, before the work's
    };
    auto post_curve = [&] {
      if (model.CurveEnd() == curve_end) return;
      curve_end = model.CurveEnd();
      post([this, curve = model.Curve()]() mutable { ShowCurve(std::move(curve)); });
    };
    try {
      if (select) {
        shown = model.ResultFor(value, &observer);
        post_curve();
        post([this, result = shown] {
          busy_->hide();
          save_->setEnabled(true);
          Show(result);
        });
      }
      if (!measured) {
        const QualityTexts quality = FormatQuality(model.Quality(shown, &observer));
        post([this, source = model.Source(), selected = std::move(shown.selected), quality] {
          measured_ = Measured{source, selected, quality};
          if (selected == current_.selected) ShowQuality(quality);
        });
      }
      // Towards every point, the curve shown at each doubling.
      while (model.RecordFurther(2 * model.CurveEnd(), &observer)) post_curve();
    } catch (const SelectionStopped&) {
      // A newer value took over.
    } catch (const std::exception&) {
      // Out of memory or a measure refused: the figures stay as they were.
    }
  });
}

// Stops the work under way, if any, and waits for its thread: the next
// request, or the panel's end, finds none running.
void PreviewPanel::StopBackground() {
  ++*latest_;
  if (worker_.joinable()) worker_.join();
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
