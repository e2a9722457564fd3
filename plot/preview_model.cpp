#include "plot/preview_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "numbertext/c_number_format.h"
#include "plot/handoff.h"

namespace oru {

PreviewModel::PreviewModel(std::shared_ptr<const SelectionRecord> record, Criterion criterion,
                           std::int64_t line_count)
    : record_(std::move(record)), criterion_(criterion), line_count_(line_count) {
  if (criterion_ == Criterion::NumberOfPoints) {
    low_ = 3.0;
    high_ = std::max(3.0, static_cast<double>(record_->n()));
    return;
  }
  // A run stops at the first iteration at which the point added and every
  // point left lie within the tolerance: the larger of the two deviations
  // is the least tolerance that stops there. Above the first iteration's
  // nothing changes; below the smallest above 0, only 0 would.
  double lowest = std::numeric_limits<double>::infinity(), highest = 0.0;
  for (const Addition& a : record_->Additions()) {
    const double stop = std::max(a.deviation, a.largest_deviation);
    if (stop > 0.0 && std::isfinite(stop)) lowest = std::min(lowest, stop);
  }
  if (!record_->Additions().empty()) {
    const Addition& first = record_->Additions().front();
    highest = std::max(first.deviation, first.largest_deviation);
  }
  if (highest > 0.0 && std::isfinite(highest) && lowest <= highest) {
    low_ = lowest;
    high_ = highest;
  }
}

PreviewModel::PreviewModel(std::shared_ptr<const SelectionInput> input, Criterion criterion,
                           std::int64_t line_count)
    : input_(std::move(input)), criterion_(criterion), line_count_(line_count) {
  const auto n = static_cast<double>(input_->first.size());
  low_ = criterion_ == Criterion::NumberOfPoints ? 3.0 : 0.001;
  high_ = criterion_ == Criterion::NumberOfPoints ? std::max(3.0, n) : 10000.0;
}

std::vector<CurvePoint> PreviewModel::Curve() const {
  return record_ ? record_->Curve() : std::vector<CurvePoint>{};
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

SelectionResult PreviewModel::ResultFor(double value, SelectionObserver* observer) const {
  double threshold = 0.0;
  std::int64_t wanted = line_count_;
  if (criterion_ == Criterion::NumberOfPoints) {
    wanted = static_cast<std::int64_t>(std::clamp(value, 0.0, high_));
  } else {
    threshold = value;
  }
  if (input_) {
    SelectionSettings settings = input_->settings;
    settings.threshold = threshold;
    settings.wanted_count = wanted;
    return SelectPoints(input_->first, input_->second, settings, observer);
  }
  // The record runs to the end, so every value is answered.
  const std::int64_t k = record_->StopIteration(threshold, wanted).value_or(record_->Iterations());
  return record_->ResultAfter(k);
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
