#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "gis/gis_track.h"
#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/statistics.h"

namespace oru {

// The run's choices that apply to every track of a file.
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
  // Asked inside the selection's long loops, possibly from several threads
  // at once: true ends the selection with SelectionStopped. None: never.
  std::function<bool()> stop_requested;
};

struct TrackThinning {
  std::vector<std::int64_t> selected;  // 1-based vertex numbers, ascending
  SelectionStatistics statistics;
  std::optional<DeviationQuality> quality;  // when the choices ask for it
  // The limit on points decided the selection: "Maximum deviation" would
  // have kept more (statistics.largest_deviation is the deviation reached,
  // above the threshold), or more points were asked for.
  bool capped = false;
};

// Thins one track with the selection engine, as the processing run thins a
// survey track: geographic tracks with the chosen calculation on the datum
// of their CRS, plane tracks planar. "Maximum deviation" may keep every
// vertex, up to the limit of max_points; "Number of points" keeps at most
// max_points. Moves the track's coordinates into the engine (they are emptied);
// depends on nothing but the track and the choices, so tracks may be thinned
// in any order or at once. Throws SelectionStopped when asked to stop.
TrackThinning ThinTrack(GisTrack& track, const ThinChoices& choices);

}  // namespace oru
