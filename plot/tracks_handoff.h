#pragma once

#include <cstdint>
#include <vector>

#include "plot/handoff.h"
#include "track/run_settings.h"

namespace oru {

// One track of a GIS or navigation file as the plot draws it.
struct PlotTrack {
  bool geographic = false;  // degrees; false: plane metres, drawn as they are
  DatumChoice datum = DatumChoice::Wgs84;
  std::vector<double> first;   // latitude (degrees, north positive) or X (metres)
  std::vector<double> second;  // longitude (degrees, east positive) or Y (metres)
  std::vector<std::int64_t> kept;  // 1-based numbers of the vertices kept, ascending
};

struct TracksHandoff {
  HandoffText all;       // "AllePunten.dat": every vertex of every track
  HandoffText selected;  // "Selectie.dat": the kept vertices
};

// The hand-off texts of several tracks, in their order. Each track after
// the first begins with the pen up (mode 3), so that two tracks are never
// joined by a line. A vertex whose conversion to plot metres fails is
// skipped and counted, as in the survey tracks' hand-off.
TracksHandoff TracksHandoffTexts(const std::vector<PlotTrack>& tracks);

}  // namespace oru
