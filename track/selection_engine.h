#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/statistics.h"

namespace oru {

// Receives the figures of a running selection, and may stop it. The engine
// asks whether figures are due once per iteration and also inside long
// measuring loops (every few thousand points, so that a long first iteration
// counts up too), and computes them, exactly, only when they are: the
// figures of the last completed iteration. It asks whether to stop as often.
// All calls come from the thread that runs SelectPoints.
class SelectionObserver {
 public:
  virtual ~SelectionObserver() = default;
  virtual bool ProgressDue() = 0;
  virtual void OnProgress(const SelectionStatistics& figures) = 0;
  // True to end the selection: SelectPoints then throws SelectionStopped.
  virtual bool StopRequested() { return false; }
  // The selection is made, and every point's deviation from it is measured
  // next, for the quality figures.
  virtual void OnMeasuringDeviations() {}
};

// Passes on only the stop requests of `observer` (may be null) and shows no
// figures: for selections taken beyond the one a user watches.
class StopOnly final : public SelectionObserver {
 public:
  explicit StopOnly(SelectionObserver* observer) : observer_(observer) {}
  bool ProgressDue() override { return false; }
  void OnProgress(const SelectionStatistics&) override {}
  bool StopRequested() override { return observer_ != nullptr && observer_->StopRequested(); }

 private:
  SelectionObserver* observer_;
};

// Thrown by SelectPoints when its observer asked it to stop.
class SelectionStopped : public std::runtime_error {
 public:
  SelectionStopped() : std::runtime_error("the selection was stopped") {}
};

// A poll function for a measure set's long loops (SegmentMeasure::SetPoll)
// that only asks `observer` (may be null) whether to stop, and throws
// SelectionStopped when it should.
std::function<void()> StopPoll(SelectionObserver* observer);

// Where the optimal method's search for "Number of points" ended: the
// smallest largest deviation of a selection of at most the wanted count lies
// above `lower` (a tolerance shown to need more points; 0 when that smallest
// deviation is 0) and at or below `upper`, the largest deviation of the
// selection found.
struct ToleranceBracket {
  double lower = 0.0;  // metres
  double upper = 0.0;  // metres
  // True when the search proved that no selection of at most the wanted
  // count has a smaller largest deviation than `upper`, to the last bit.
  bool exact = false;
};

struct SelectionResult {
  std::vector<std::int64_t> selected;  // 1-based point numbers, ascending; first 1, last n
  double max_deviation = 0.0;          // metres: largest deviation left, as the statistics'
  SelectionStatistics statistics;      // figures after the last iteration
  // Every point's deviation from the new line, summarised; only when the
  // settings ask for the quality figures.
  std::optional<DeviationQuality> quality;
  // The optimal method with "Number of points" only.
  std::optional<ToleranceBracket> bracket;
};

// One point added by a Douglas-Peucker selection, with what the addition
// did to the simplified line: enough to replay the selection to any count.
struct Addition {
  std::int64_t point = 0;           // 0-based store index of the point added
  double deviation = 0.0;           // metres: as SelectionStatistics::added_deviation
  double largest_deviation = 0.0;   // metres: the largest deviation left after it
  double split_length = 0.0;        // metres: length of the segment the point split
  double left_length = 0.0;         // metres: length of the new segment ending at the point
  double right_length = 0.0;        // metres: length of the new segment starting at it
};

// Receives every addition of a selection, in order, on the selecting thread.
class AdditionSink {
 public:
  virtual ~AdditionSink() = default;
  virtual void OnAddition(const Addition& addition) = 0;
};

// A selection's input kept to select again later (a preview with other
// values): the coordinates as SelectPoints takes them, and the settings.
struct SelectionInput {
  std::vector<double> first;
  std::vector<double> second;
  SelectionSettings settings;
};

// Iterative Douglas-Peucker selection (Douglas & Peucker 1973, in the form
// that adds one point per iteration): starting from the line through the
// first and the last point, it adds the point farthest from the current
// simplified line until the tolerance is honoured, the wanted count is
// reached or every point is selected.
//
// Selection rule of an iteration: the largest deviation strictly above 0.0
// wins; among equal deviations the lowest point number; a NaN never wins.
// When no remaining point deviates by more than 0.0 the lowest-numbered
// remaining point is taken with deviation 0.0, and the last remaining point is
// always taken with deviation 0.0. Stop rules, after each added point:
//  1. the point just added lay within `settings.threshold` (or its deviation
//     does not compare) and no remaining point lies farther than the
//     threshold from the new line. A deviation is not monotone: the points
//     of a split segment can lie farther from the shorter segments than from
//     the one they replace, so the added point alone does not prove the
//     tolerance;
//  2. count >= wanted count;
//  3. count >= n.
// The figures reported after an iteration (and in the result) carry the
// largest deviation left, the true distance of the original line to the new
// one. Tracks of one or two points are kept whole.
//
// first/second: the engine's own copies of the coordinates (latitude and
// longitude in degrees, or X and Y in metres). "ellipsoidic" measures
// geodesics on the datum's ellipsoid (EllipsoidalSegmentMeasure, on two
// threads); "planar" measures in the plane, after ProjectTrackToPlane for
// geographic input. Geographic coordinates must lie within +-90 and +-180
// degrees (the run checks them). `observer` may be null. The figures of the
// last iteration are always in the result, whether or not they were due.
//
// With settings.method Optimal the selection is SelectOptimal's
// (track/optimal_selection.h) over the same measure set.
//
// `additions`, when given, receives every point that the Douglas-Peucker
// selection adds (not used by the optimal method).
//
// Throws std::invalid_argument for sequences of different lengths and for
// the ellipsoidal calculation of X, Y metres.
SelectionResult SelectPoints(std::vector<double> first, std::vector<double> second,
                             const SelectionSettings& settings, SelectionObserver* observer,
                             AdditionSink* additions = nullptr);

// The quality figures of a selection (`selected`: 1-based point numbers,
// ascending, the first 1 and the last n) over the track: every point's
// deviation from its segment of the new line, measured with the measure
// set of `settings` as SelectPoints measures it, summarised. `observer`
// (may be null) is only asked whether to stop (SelectionStopped). Throws
// as SelectPoints does.
DeviationQuality SelectionQuality(std::vector<double> first, std::vector<double> second,
                                  const SelectionSettings& settings,
                                  const std::vector<std::int64_t>& selected,
                                  SelectionObserver* observer = nullptr);

class SegmentMeasure;

// The measure set that SelectPoints measures with for `settings`, built
// over the track: the ellipsoidal one on two threads, or the planar one,
// after ProjectTrackToPlane for geographic input. `observer` (may be null)
// is asked whether to stop while the ellipsoidal set solves the track's
// steps (SelectionStopped). Throws as SelectPoints does.
std::unique_ptr<SegmentMeasure> MakeMeasureSet(std::vector<double> first,
                                               std::vector<double> second,
                                               const SelectionSettings& settings,
                                               SelectionObserver* observer);

// The quality figures of a selection (1-based point numbers, as
// SelectionResult::selected) measured with a set already built; `observer`
// as SelectionQuality's.
DeviationQuality MeasureQuality(SegmentMeasure& measure,
                                const std::vector<std::int64_t>& point_numbers,
                                SelectionObserver* observer);

// The Douglas-Peucker selection above over a measure set already built for
// the n points of a track (settings.method is not looked at).
SelectionResult DouglasPeucker(SegmentMeasure& measure, std::int64_t n,
                               const SelectionSettings& settings, SelectionObserver* observer,
                               AdditionSink* additions = nullptr);

}  // namespace oru
