#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/format_choice.h"
#include "navformats/nav_track.h"
#include "track/run_settings.h"

namespace oru {

// Thinned tracks written from their coordinates: those of NMEA and P1/90
// files in any output format, and those of GIS files as RTZ routes.
struct CoordinateWrite {
  std::string input;  // its file name without extension names the routes or the layer
  std::string output;
  BatchFormat output_format;  // writable
  CalculationType calculation = CalculationType::Ellipsoidic;  // the legs of RTZ routes
  const std::vector<NavTrack>* tracks = nullptr;
  const std::vector<std::vector<std::int64_t>>* kept = nullptr;  // per track, 1-based, ascending
  const std::vector<std::string>* places = nullptr;  // per track, as the statistics name it
};

struct CoordinateWriteOutcome {
  std::string error;  // empty when every file was written
  // Per track the file of its route, when each track is a file of its own
  // (RTZ of several tracks: OUTPUT-1.rtz, OUTPUT-2.rtz, ...); else empty.
  std::vector<std::string> route_files;
};

// Writes the kept points:
//   - RTZ: a route a track (geometryType Orthodrome for "ellipsoidic",
//     Loxodrome for "planar" thinning), in OUTPUT when the file has one
//     track, else in OUTPUT-K (K from 1, in track order);
//   - GPX: one file of routes, with the times the tracks have;
//   - other GIS formats: one layer, named after the input file, of line
//     features named by their places (by the input file when it has one
//     track), on WGS84 (EPSG 4326), ED50 (EPSG 4230) or without a CRS.
// Routes are named after the input file, followed by the track's place when
// there are several, and are WGS84: ED50 positions are transformed; plane
// coordinates cannot be routes. Every file is made in full before any is
// put in place, and nothing is written when one fails.
CoordinateWriteOutcome WriteFromCoordinates(const CoordinateWrite& request);

}  // namespace oru
