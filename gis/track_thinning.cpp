#include "gis/track_thinning.h"

#include <utility>

#include "geodesy/datum.h"
#include "track/selection_engine.h"

namespace oru {
namespace {

// Passes the choices' stop request to the engine; shows nothing.
class StopOnRequest final : public SelectionObserver {
 public:
  explicit StopOnRequest(const std::function<bool()>& stop) : stop_(stop) {}
  bool ProgressDue() override { return false; }
  void OnProgress(const SelectionStatistics&) override {}
  bool StopRequested() override { return stop_(); }

 private:
  const std::function<bool()>& stop_;
};

}  // namespace

TrackThinning ThinTrack(GisTrack& track, const ThinChoices& choices) {
  SelectionSettings settings;
  if (track.geographic) {
    settings.input_format = InputFormat::OruKvl;
    settings.calculation = choices.calculation;
    settings.datum.text = track.datum == DatumChoice::Ed50 ? kEd50DatumString : kWgs84DatumString;
    Read_Datum(settings.datum);
  } else {
    settings.input_format = InputFormat::AsciiXY;
    settings.calculation = CalculationType::Planar;
  }
  const bool by_deviation = choices.criterion == Criterion::MaximumDeviation;
  const std::int64_t wanted = by_deviation ? track.points : choices.wanted_count;
  const bool limited = choices.max_points > 0 && wanted > choices.max_points;
  settings.method = choices.method;
  settings.quality_figures = choices.quality_figures;
  auto select = [&](double threshold, std::int64_t count) {
    settings.threshold = threshold;
    settings.wanted_count = count;
    StopOnRequest observer(choices.stop_requested);
    return SelectPoints(track.first, track.second, settings,
                        choices.stop_requested ? &observer : nullptr);
  };
  SelectionResult result;
  bool capped = false;
  if (choices.method == SelectionMethod::Optimal) {
    // The optimal search takes one criterion: the tolerance, then, if that
    // needs more points than the limit allows, the limit as the count.
    if (by_deviation) {
      result = select(choices.threshold, track.points);
      capped = limited && result.statistics.count > choices.max_points;
      if (capped) result = select(0.0, choices.max_points);
    } else {
      capped = limited;
      result = select(0.0, limited ? choices.max_points : wanted);
    }
  } else {
    result = select(by_deviation ? choices.threshold : 0.0, limited ? choices.max_points : wanted);
    // By deviation the limit decided only when the threshold was not
    // reached with the points it allowed.
    const SelectionStatistics& s = result.statistics;
    capped = limited && s.count == choices.max_points && s.count < s.n &&
             (!by_deviation || s.largest_deviation > choices.threshold);
  }
  track.first = {};
  track.second = {};
  const SelectionStatistics& s = result.statistics;
  return {std::move(result.selected), s, result.quality, capped};
}

}  // namespace oru
