#include "track/resumable_selection.h"

#include <utility>

#include "track/douglas_peucker_run.h"
#include "track/segment_measure.h"

namespace oru {

// Appends every addition of the run to the record.
class ResumableSelection::Recorder final : public AdditionSink {
 public:
  explicit Recorder(SelectionRecord& record) : record_(record) {}
  void OnAddition(const Addition& addition) override { record_.Append(addition); }

 private:
  SelectionRecord& record_;
};

ResumableSelection::ResumableSelection(std::vector<double> first, std::vector<double> second,
                                       const SelectionSettings& settings,
                                       SelectionObserver* observer) {
  const auto n = static_cast<std::int64_t>(first.size());
  measure_ = MakeMeasureSet(std::move(first), std::move(second), settings, observer);
  record_ = SelectionRecord(n, measure_->TrackLength());
  // The queue is sorted by the first selection's tolerance, as SelectPoints
  // sorts it for that selection.
  if (n > 2) run_ = std::make_unique<DouglasPeuckerRun>(*measure_, n, settings.threshold);
}

ResumableSelection::~ResumableSelection() = default;

std::optional<SelectionResult> ResumableSelection::Recorded(double threshold,
                                                            std::int64_t wanted_count) const {
  const std::optional<std::int64_t> k = record_.StopIteration(threshold, wanted_count);
  if (!k) return std::nullopt;
  return record_.ResultAfter(*k);
}

SelectionResult ResumableSelection::Select(double threshold, std::int64_t wanted_count,
                                           SelectionObserver* observer) {
  if (std::optional<SelectionResult> read = Recorded(threshold, wanted_count)) return *read;
  Recorder recorder(record_);
  run_->RunTo(threshold, wanted_count, observer, &recorder);
  return run_->Result();
}

DeviationQuality ResumableSelection::Quality(const std::vector<std::int64_t>& point_numbers,
                                             SelectionObserver* observer) {
  return MeasureQuality(*measure_, point_numbers, observer);
}

}  // namespace oru
