#include "run/track_thinning.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

#include "geodesy/datum.h"
#include "numbertext/c_number_format.h"

namespace oru {
namespace {

// Metres to the millimetre, as "0.840".
std::string Millimetres(double metres) {
  std::string text;
  cfmt::Fixed(text, metres, 0, 3);
  return text;
}

// The optimal method's note on a "Number of points" run (TrackThinning::note).
std::string OptimalNote(const SelectionResult& selection, std::int64_t wanted) {
  const std::string kept = std::to_string(selection.statistics.count);
  const std::string most = std::to_string(std::max<std::int64_t>(wanted, 2));
  if (selection.bracket && !selection.bracket->exact) {
    const std::string lower = Millimetres(selection.bracket->lower);
    const std::string upper = Millimetres(selection.bracket->upper);
    // Ends that round to one millimetre round the least deviation between
    // them to it too (a straight line whose points deviate by rounding
    // noise): "between 0.000 and 0.000 m" would tell the user nothing.
    if (lower == upper) {
      return "The smallest largest deviation for at most " + most + " points is " + upper +
             " m to the millimetre; these " + kept + " points reach it.";
    }
    return "The smallest largest deviation for at most " + most + " points lies between " + lower +
           " and " + upper + " m; these " + kept + " points reach " + upper + " m.";
  }
  if (selection.statistics.count < wanted && selection.statistics.count < selection.statistics.n) {
    return kept + " points reach the smallest largest deviation for at most " + most +
           " points (" + Millimetres(selection.max_deviation) + " m); more would not lower it.";
  }
  return "";
}

SelectionSettings EngineSettings(bool geographic, DatumChoice datum, const ThinChoices& choices) {
  SelectionSettings settings;
  if (geographic) {
    settings.input_format = InputFormat::OruKvl;
    settings.calculation = choices.calculation;
    settings.datum.text = DatumString(datum);
    Read_Datum(settings.datum);
  } else {
    // Metres are never measured as degrees: plane tracks are always planar.
    settings.input_format = InputFormat::AsciiXY;
    settings.calculation = CalculationType::Planar;
  }
  settings.method = choices.method;
  settings.quality_figures = choices.quality_figures;
  return settings;
}

// The Douglas-Peucker selection kept as it goes: the run's own selection,
// as SelectPoints makes it, its quality figures measured with the same
// measure set, then, when asked for, the record to the end with its
// figures not shown.
TrackThinning Resumable(std::vector<double> first, std::vector<double> second,
                        const SelectionSettings& settings, const ThinChoices& choices,
                        SelectionObserver* observer) {
  const auto n = static_cast<std::int64_t>(first.size());
  auto kept =
      std::make_shared<ResumableSelection>(std::move(first), std::move(second), settings, observer);
  SelectionResult selection = kept->Select(settings.threshold, settings.wanted_count, observer);
  if (settings.quality_figures) selection.quality = kept->Quality(selection.selected, observer);
  TrackThinning thinned;
  if (choices.record) {
    StopOnly quiet(observer);
    kept->Select(-std::numeric_limits<double>::infinity(), n, &quiet);
    thinned.record = std::make_shared<const SelectionRecord>(
        choices.keep_selection ? kept->Record() : std::move(*kept).Record());
  }
  if (choices.keep_selection) thinned.selection = std::move(kept);
  thinned.selected = std::move(selection.selected);
  thinned.statistics = selection.statistics;
  thinned.quality = selection.quality;
  return thinned;
}

}  // namespace

TrackThinning ThinTrack(std::vector<double> first, std::vector<double> second, bool geographic,
                        DatumChoice datum, const ThinChoices& choices,
                        SelectionObserver* observer) {
  SelectionSettings settings = EngineSettings(geographic, datum, choices);
  const auto n = static_cast<std::int64_t>(first.size());
  const bool by_deviation = choices.criterion == Criterion::MaximumDeviation;
  const std::int64_t wanted = by_deviation ? n : choices.wanted_count;
  const bool limited = choices.max_points > 0 && wanted > choices.max_points;
  if ((choices.record || choices.keep_selection) &&
      choices.method == SelectionMethod::DouglasPeucker) {
    settings.threshold = by_deviation ? choices.threshold : 0.0;
    settings.wanted_count = wanted;
    return Resumable(std::move(first), std::move(second), settings, choices, observer);
  }

  TrackThinning thinned;
  // The last selection takes the coordinates; one that may be followed by
  // another works on copies.
  auto select = [&](double threshold, std::int64_t count, bool last) {
    settings.threshold = threshold;
    settings.wanted_count = count;
    if (choices.keep_selection) {
      thinned.input = std::make_shared<const SelectionInput>(SelectionInput{first, second, settings});
    }
    return last ? SelectPoints(std::move(first), std::move(second), settings, observer)
                : SelectPoints(first, second, settings, observer);
  };
  SelectionResult result;
  if (choices.method == SelectionMethod::Optimal) {
    // The optimal search takes one criterion: the tolerance, then, if that
    // needs more points than the limit allows, the limit as the count.
    if (by_deviation) {
      result = select(choices.threshold, n, !limited);
      thinned.capped = limited && result.statistics.count > choices.max_points;
      if (thinned.capped) result = select(0.0, choices.max_points, true);
    } else {
      thinned.capped = limited;
      result = select(0.0, limited ? choices.max_points : wanted, true);
      thinned.note = OptimalNote(result, settings.wanted_count);
    }
  } else {
    result = select(by_deviation ? choices.threshold : 0.0, limited ? choices.max_points : wanted,
                    true);
    // By deviation the limit decided only when the threshold was not
    // reached with the points it allowed.
    const SelectionStatistics& s = result.statistics;
    thinned.capped = limited && s.count == choices.max_points && s.count < s.n &&
                     (!by_deviation || s.largest_deviation > choices.threshold);
  }
  thinned.selected = std::move(result.selected);
  thinned.statistics = result.statistics;
  thinned.quality = result.quality;
  return thinned;
}

}  // namespace oru
