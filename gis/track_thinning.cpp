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
  if (choices.criterion == Criterion::MaximumDeviation) {
    settings.threshold = choices.threshold;
    settings.wanted_count = track.points;
  } else {
    settings.wanted_count = choices.wanted_count;
  }
  settings.quality_figures = choices.quality_figures;
  SelectionResult result = SelectPoints(std::move(track.first), std::move(track.second),
                                        settings, nullptr);
  track.first = {};
  track.second = {};
  return {std::move(result.selected), result.statistics, result.quality};
}

}  // namespace oru
