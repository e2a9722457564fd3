#pragma once

#include "gis/gis_track.h"
#include "gis/point_row_tracks.h"
#include "gis/track_frame.h"

class OGRLayer;

namespace oru {

// Reads a layer of point rows as tracks grouped by `grouping` (active)
// into `outcome` (ReadGisTracks' grouped rows); false with outcome.error
// set, naming the layer and the row, when it cannot.
bool ReadGroupedRows(OGRLayer& layer, const TrackFrame& frame, const RowGrouping& grouping,
                     GisReadOutcome& outcome);

}  // namespace oru
