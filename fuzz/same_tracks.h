#pragma once

// Shared by the fuzz targets of the streaming GIS readers: a streaming
// reader's tracks must be GDAL's of the same bytes (layer, feature, part,
// name, coordinates to the bit, counts); any difference aborts, a finding.
#include <cstdlib>

#include "gis/gis_track.h"

namespace oru::fuzzing {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

inline void CheckSameTracks(const GisReadOutcome& streamed, const GisReadOutcome& gdal) {
  Check(gdal.error.empty() && streamed.error.empty());
  Check(streamed.warnings == gdal.warnings);
  Check(streamed.skipped.points == gdal.skipped.points &&
        streamed.skipped.polygons == gdal.skipped.polygons &&
        streamed.skipped.other == gdal.skipped.other &&
        streamed.skipped.empty_lines == gdal.skipped.empty_lines);
  Check(streamed.tracks.size() == gdal.tracks.size());
  for (std::size_t t = 0; t < gdal.tracks.size(); ++t) {
    const GisTrack& a = streamed.tracks[t];
    const GisTrack& b = gdal.tracks[t];
    Check(a.layer == b.layer && a.feature == b.feature && a.part == b.part && a.name == b.name);
    Check(a.geographic == b.geographic && a.datum == b.datum && a.points == b.points);
    Check(a.first == b.first && a.second == b.second);
  }
}

}  // namespace oru::fuzzing
