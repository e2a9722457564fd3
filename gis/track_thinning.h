#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gis/gis_track.h"
#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/statistics.h"

namespace oru {

// The run's choices that apply to every track of a file.
struct ThinChoices {
  CalculationType calculation = CalculationType::Ellipsoidic;  // geographic tracks only
  Criterion criterion = Criterion::NumberOfPoints;
  double threshold = 0.0;         // metres, "Maximum deviation"
  std::int64_t wanted_count = 0;  // points to keep, "Number of points"
  bool quality_figures = false;   // every vertex's deviation summarised
};

struct TrackThinning {
  std::vector<std::int64_t> selected;  // 1-based vertex numbers, ascending
  SelectionStatistics statistics;
  std::optional<DeviationQuality> quality;  // when the choices ask for it
};

// Thins one track with the selection engine, as the processing run thins a
// survey track: geographic tracks with the chosen calculation on the datum
// of their CRS, plane tracks planar. "Maximum deviation" may keep every
// vertex. Moves the track's coordinates into the engine (they are emptied);
// depends on nothing but the track and the choices, so tracks may be thinned
// in any order or at once.
TrackThinning ThinTrack(GisTrack& track, const ThinChoices& choices);

}  // namespace oru
