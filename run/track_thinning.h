#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/selection_engine.h"
#include "track/selection_record.h"
#include "track/statistics.h"

namespace oru {

// The run's choices that apply to every track.
struct ThinChoices {
  SelectionMethod method = SelectionMethod::DouglasPeucker;
  CalculationType calculation = CalculationType::Ellipsoidic;  // geographic tracks only
  Criterion criterion = Criterion::NumberOfPoints;
  double threshold = 0.0;         // metres, "Maximum deviation"
  std::int64_t wanted_count = 0;  // points to keep, "Number of points"
  bool quality_figures = false;   // every vertex's deviation summarised
  // At most this many points a track (an ECDIS takes routes of a limited
  // number of waypoints); 0 for no limit, else at least 3.
  std::int64_t max_points = 0;
  // Record the Douglas-Peucker selection to the end (any other count or
  // tolerance is then read from the record: the preview, the curve), or,
  // with the optimal method, keep the selection's input to select again.
  // Not together with max_points.
  bool record = false;
  // With `record`, an ellipsoidic track of more points than this keeps its
  // input instead of a record, which would cost several times the run (30 s
  // against 6 s for a million points). 0: no limit.
  std::int64_t ellipsoidic_record_limit = 0;
};

struct TrackThinning {
  std::vector<std::int64_t> selected;  // 1-based vertex numbers, ascending
  SelectionStatistics statistics;
  std::optional<DeviationQuality> quality;  // when the choices ask for it
  // The limit on points decided the selection: "Maximum deviation" would
  // have kept more (statistics.largest_deviation is the deviation reached,
  // above the threshold), or more points were asked for.
  bool capped = false;
  // What the optimal method found beyond the figures, for "Number of
  // points": that fewer points reach the smallest largest deviation, or the
  // bracket that its search proved ("The smallest largest deviation for at
  // most 10 points lies between 0.840 and 0.841 m; ..."). Empty otherwise.
  std::string note;
  // With choices.record: the record, or the input kept to select again.
  std::shared_ptr<const SelectionRecord> record;
  std::shared_ptr<const SelectionInput> input;
};

// Thins one track with the selection engine: geographic tracks (latitude
// and longitude in degrees, within +-90 and +-180) with the chosen
// calculation on their datum, plane tracks (X, Y in metres) planar.
// "Maximum deviation" may keep every vertex, up to the limit of max_points;
// "Number of points" keeps at most max_points. The coordinates are the
// engine's own (moved in, or copied by the caller). `observer` (may be
// null) is shown the figures as they come and asked whether to stop; a stop
// throws SelectionStopped. Depends on nothing but its arguments, so tracks
// may be thinned in any order or at once.
TrackThinning ThinTrack(std::vector<double> first, std::vector<double> second, bool geographic,
                        DatumChoice datum, const ThinChoices& choices,
                        SelectionObserver* observer);

}  // namespace oru
