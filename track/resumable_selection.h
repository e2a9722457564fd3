#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "track/selection_engine.h"
#include "track/selection_record.h"

namespace oru {

class DouglasPeuckerRun;
class SegmentMeasure;

// A Douglas-Peucker selection that is kept when it stops, to be read or
// taken further for other tolerances and counts later: the measure set built
// over the track, the state of the selection (DouglasPeuckerRun) and the
// record of every point added so far. A selection that stopped earlier than
// a new one is read from the record at once; one that stops later costs
// only the iterations beyond the last. Either way the answer is what a
// fresh SelectPoints run with the Douglas-Peucker method gives, to the last
// bit.
//
// Not for two threads at once.
class ResumableSelection {
 public:
  // Builds the measure set of `settings` over the track (MakeMeasureSet;
  // settings.method, threshold and wanted count are not looked at).
  // `observer` (may be null) may stop the building (SelectionStopped).
  // Throws as SelectPoints does.
  ResumableSelection(std::vector<double> first, std::vector<double> second,
                     const SelectionSettings& settings, SelectionObserver* observer = nullptr);
  ~ResumableSelection();

  std::int64_t n() const { return record_.n(); }

  // The selection by `threshold` (metres) and `wanted_count`, by
  // SelectPoints' stop rules, without the quality figures: read from the
  // record when the selection has already passed its stop, else taken
  // further until it stops there, the observer (may be null) shown the
  // figures as SelectPoints shows them. A stop the observer asks for
  // (SelectionStopped) leaves the selection at its last completed
  // iteration, the record holding every iteration up to there.
  SelectionResult Select(double threshold, std::int64_t wanted_count,
                         SelectionObserver* observer);

  // The same when it can be read from the record, else nothing.
  std::optional<SelectionResult> Recorded(double threshold, std::int64_t wanted_count) const;

  // Every iteration so far.
  const SelectionRecord& Record() const& { return record_; }
  SelectionRecord Record() && { return std::move(record_); }

  // The quality figures of a selection (1-based point numbers, as
  // SelectionResult::selected) measured with the set's measure, as
  // SelectionQuality measures them; `observer` is asked whether to stop.
  DeviationQuality Quality(const std::vector<std::int64_t>& point_numbers,
                           SelectionObserver* observer);

 private:
  class Recorder;

  std::unique_ptr<SegmentMeasure> measure_;
  std::unique_ptr<DouglasPeuckerRun> run_;  // null for a track of one or two points
  SelectionRecord record_;
};

}  // namespace oru
