#include "gis/track_thinning.h"

#include <utility>

#include "geodesy/datum.h"
#include "track/selection_engine.h"

namespace oru {

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
  settings.wanted_count = limited ? choices.max_points : wanted;
  if (by_deviation) settings.threshold = choices.threshold;
  settings.quality_figures = choices.quality_figures;
  SelectionResult result = SelectPoints(std::move(track.first), std::move(track.second),
                                        settings, nullptr);
  track.first = {};
  track.second = {};
  const SelectionStatistics& s = result.statistics;
  // By deviation the limit decided only when the threshold was not reached
  // with the points it allowed.
  const bool capped = limited && s.count == choices.max_points && s.count < s.n &&
                      (!by_deviation || s.largest_deviation > choices.threshold);
  return {std::move(result.selected), s, result.quality, capped};
}

}  // namespace oru
