#include "plot/preview_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "numbertext/c_number_format.h"
#include "plot/handoff.h"

namespace oru {

// The lowest tolerance that a selection not yet taken to its end may be
// previewed with, metres.
constexpr double kLowestUnrecordedTolerance = 0.001;

PreviewModel::PreviewModel(std::shared_ptr<ResumableSelection> selection, Criterion criterion,
                           std::int64_t line_count)
    : selection_(std::move(selection)), criterion_(criterion), line_count_(line_count) {
  const SelectionRecord& record = selection_->Record();
  if (criterion_ == Criterion::NumberOfPoints) {
    low_ = 3.0;
    high_ = std::max(3.0, static_cast<double>(record.n()));
    return;
  }
  // A run stops at the first iteration at which the point added and every
  // point left lie within the tolerance: the larger of the two deviations
  // is the least tolerance that stops there. Above the first iteration's
  // nothing changes; below the smallest above 0, only 0 would. Where the
  // record ends early, smaller tolerances down to a millimetre take the
  // selection further.
  double lowest = std::numeric_limits<double>::infinity(), highest = 0.0;
  for (const Addition& a : record.Additions()) {
    const double stop = std::max(a.deviation, a.largest_deviation);
    if (stop > 0.0 && std::isfinite(stop)) lowest = std::min(lowest, stop);
  }
  if (!record.Complete()) lowest = std::min(lowest, kLowestUnrecordedTolerance);
  if (!record.Additions().empty()) {
    const Addition& first = record.Additions().front();
    highest = std::max(first.deviation, first.largest_deviation);
  }
  if (highest > 0.0 && std::isfinite(highest) && lowest <= highest) {
    low_ = lowest;
    high_ = highest;
  }
}

PreviewModel::PreviewModel(std::shared_ptr<const SelectionInput> input, Criterion criterion,
                           std::int64_t line_count, std::shared_ptr<const SelectionResult> run,
                           double run_value)
    : input_(std::move(input)),
      run_(std::move(run)),
      run_value_(run_value),
      criterion_(criterion),
      line_count_(line_count) {
  const auto n = static_cast<double>(input_->first.size());
  low_ = criterion_ == Criterion::NumberOfPoints ? 3.0 : kLowestUnrecordedTolerance;
  high_ = criterion_ == Criterion::NumberOfPoints ? std::max(3.0, n) : 10000.0;
}

std::vector<CurvePoint> PreviewModel::Curve() const {
  return selection_ ? selection_->Record().Curve() : std::vector<CurvePoint>{};
}

std::int64_t PreviewModel::CurveEnd() const {
  return selection_ ? selection_->Record().Iterations() + 2 : 0;
}

bool PreviewModel::RecordFurther(std::int64_t count, SelectionObserver* observer) const {
  if (!selection_ || selection_->Record().Complete()) return false;
  selection_->Select(-std::numeric_limits<double>::infinity(), count, observer);
  return true;
}

const void* PreviewModel::Source() const {
  return selection_ ? static_cast<const void*>(selection_.get()) : input_.get();
}

double PreviewModel::ValueAt(int position) const {
  if (position >= kPositions) return high_;
  if (position <= 0) return low_;
  const double f = std::clamp(position, 0, kPositions) / static_cast<double>(kPositions);
  const double v = std::exp(std::log(low_) + f * (std::log(high_) - std::log(low_)));
  if (criterion_ == Criterion::NumberOfPoints) return std::clamp(std::round(v), low_, high_);
  return std::clamp(v, low_, high_);
}

int PreviewModel::PositionOf(double value) const {
  if (!(high_ > low_)) return 0;
  const double v = std::clamp(value, low_, high_);  // NaN stays NaN
  if (std::isnan(v)) return 0;
  const double f = (std::log(v) - std::log(low_)) / (std::log(high_) - std::log(low_));
  return static_cast<int>(std::lround(f * kPositions));
}

std::string PreviewModel::ValueText(double value) const {
  std::string text;
  if (criterion_ == Criterion::NumberOfPoints) {
    cfmt::Int(text, static_cast<std::int64_t>(value));
  } else {
    cfmt::Fixed(text, value, 0, 3);
  }
  return text;
}

double PreviewModel::Threshold(double value) const {
  return criterion_ == Criterion::NumberOfPoints ? 0.0 : value;
}

std::int64_t PreviewModel::Wanted(double value) const {
  if (criterion_ == Criterion::NumberOfPoints) {
    return static_cast<std::int64_t>(std::clamp(value, 0.0, high_));
  }
  return line_count_;
}

std::optional<SelectionResult> PreviewModel::Known(double value) const {
  if (selection_) return selection_->Recorded(Threshold(value), Wanted(value));
  if (run_ && value == run_value_) return *run_;
  return std::nullopt;
}

SelectionResult PreviewModel::ResultFor(double value, SelectionObserver* observer) const {
  if (selection_) return selection_->Select(Threshold(value), Wanted(value), observer);
  SelectionSettings settings = input_->settings;
  settings.threshold = Threshold(value);
  settings.wanted_count = Wanted(value);
  return SelectPoints(input_->first, input_->second, settings, observer);
}

DeviationQuality PreviewModel::Quality(const SelectionResult& result,
                                       SelectionObserver* observer) const {
  if (selection_) return selection_->Quality(result.selected, observer);
  return SelectionQuality(input_->first, input_->second, input_->settings, result.selected,
                          observer);
}

bool KeptLine(const PlotFileData& all, const SelectionResult& result, std::int64_t n,
              std::shared_ptr<PlotFileData>& kept) {
  if (static_cast<std::int64_t>(all.lines.size()) != n) {
    kept.reset();
    return false;
  }
  if (!kept) kept = std::make_shared<PlotFileData>();
  kept->lines.resize(result.selected.size());
  kept->labels.clear();
  for (std::size_t k = 0; k < result.selected.size(); ++k) {
    PlotLine& line = kept->lines[k];
    line = all.lines[static_cast<std::size_t>(result.selected[k] - 1)];
    line.colour = kSelectedPointsColour;
    line.mode = 2;
    line.label = -1;
    line.fields = 4;
  }
  kept->first_line_empty = kept->lines.empty();
  return true;
}

}  // namespace oru
