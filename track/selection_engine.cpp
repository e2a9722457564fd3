#include "track/selection_engine.h"

#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>

#include "track/douglas_peucker_run.h"
#include "track/ellipsoidal_segment_measure.h"
#include "track/ellipsoidal_shortcuts.h"
#include "track/optimal_selection.h"
#include "track/planar_projection.h"
#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/segment_measure.h"

namespace oru {

std::function<void()> StopPoll(SelectionObserver* observer) {
  return [observer] {
    if (observer != nullptr && observer->StopRequested()) throw SelectionStopped();
  };
}

DeviationQuality MeasureQuality(SegmentMeasure& measure,
                                const std::vector<std::int64_t>& point_numbers,
                                SelectionObserver* observer) {
  std::vector<std::int64_t> selected(point_numbers.size());
  for (std::size_t k = 0; k < selected.size(); ++k) selected[k] = point_numbers[k] - 1;
  if (observer != nullptr) observer->OnMeasuringDeviations();
  measure.SetPoll(StopPoll(observer));
  struct ClearPoll {
    SegmentMeasure& measure;
    ~ClearPoll() { measure.SetPoll({}); }
  } clear{measure};
  return SummariseDeviations(measure.LineDeviations(selected));
}

namespace {

SelectionResult SelectWhole(SegmentMeasure& measure, std::int64_t n,
                            const SelectionSettings& settings) {
  SelectionResult result;
  for (std::int64_t k = 1; k <= n; ++k) result.selected.push_back(k);
  result.statistics.n = n;
  result.statistics.count = n;
  result.statistics.full_length = measure.TrackLength();
  result.statistics.new_length = result.statistics.full_length;
  if (settings.quality_figures) result.quality = DeviationQuality{};
  return result;
}

SelectionResult Select(SegmentMeasure& measure, std::int64_t n, const SelectionSettings& settings,
                       SelectionObserver* observer, AdditionSink* additions) {
  if (n <= 2) return SelectWhole(measure, n, settings);
  DouglasPeuckerRun run(measure, n, settings.threshold);
  run.RunTo(settings.threshold, settings.wanted_count, observer, additions);
  SelectionResult result = run.Result();
  if (settings.quality_figures) result.quality = MeasureQuality(measure, result.selected, observer);
  return result;
}

}  // namespace

SelectionResult DouglasPeucker(SegmentMeasure& measure, std::int64_t n,
                               const SelectionSettings& settings, SelectionObserver* observer,
                               AdditionSink* additions) {
  return Select(measure, n, settings, observer, additions);
}

std::unique_ptr<SegmentMeasure> MakeMeasureSet(std::vector<double> first,
                                               std::vector<double> second,
                                               const SelectionSettings& settings,
                                               SelectionObserver* observer) {
  if (first.size() != second.size()) {
    throw std::invalid_argument("SelectPoints: coordinate sequences of different lengths");
  }
  const auto n = static_cast<std::int64_t>(first.size());
  // The measure's helper thread pays on long tracks only: on a short one,
  // starting it and handing it halves of tiny sweeps costs more than the
  // track's measures (bench/ellipsoidal_bench, BM_ShortTracks). Tracks are
  // thinned the same on one thread as on two.
  constexpr std::int64_t kTwoThreadPoints = 1024;
  const int threads = std::thread::hardware_concurrency() >= 2 && n >= kTwoThreadPoints ? 2 : 1;
  if (settings.calculation == CalculationType::Ellipsoidic) {
    if (!IsGeographic(settings.input_format)) {
      throw std::invalid_argument("SelectPoints: X, Y metres are measured in the plane only");
    }
    return std::make_unique<EllipsoidalSegmentMeasure>(std::move(first), std::move(second),
                                                       settings.datum, threads, true,
                                                       StopPoll(observer));
  }
  if (IsGeographic(settings.input_format)) {
    ProjectTrackToPlane(first, second, n, settings.datum, threads);
  }
  return std::make_unique<PlanarSegmentMeasure>(std::move(first), std::move(second));
}

SelectionResult SelectPoints(std::vector<double> first, std::vector<double> second,
                             const SelectionSettings& settings, SelectionObserver* observer,
                             AdditionSink* additions) {
  const auto n = static_cast<std::int64_t>(first.size());
  const std::unique_ptr<SegmentMeasure> measure =
      MakeMeasureSet(std::move(first), std::move(second), settings, observer);
  if (settings.method == SelectionMethod::Optimal) {
    if (auto* ellipsoidal = dynamic_cast<EllipsoidalSegmentMeasure*>(measure.get())) {
      EllipsoidalShortcuts shortcuts(*ellipsoidal, settings.datum);
      return SelectOptimal(shortcuts, n, settings, observer);
    }
    PlanarShortcuts shortcuts(static_cast<PlanarSegmentMeasure&>(*measure));
    return SelectOptimal(shortcuts, n, settings, observer);
  }
  return Select(*measure, n, settings, observer, additions);
}

DeviationQuality SelectionQuality(std::vector<double> first, std::vector<double> second,
                                  const SelectionSettings& settings,
                                  const std::vector<std::int64_t>& selected,
                                  SelectionObserver* observer) {
  const std::unique_ptr<SegmentMeasure> measure =
      MakeMeasureSet(std::move(first), std::move(second), settings, observer);
  return MeasureQuality(*measure, selected, observer);
}

}  // namespace oru
