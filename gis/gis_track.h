#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "track/run_settings.h"

namespace oru {

// One line of a GIS file, thinned on its own: a LineString, a part of a
// MultiLineString (a GPX track segment), a GPX route, or the rows of a CSV
// file with coordinate columns.
struct GisTrack {
  std::string layer;          // the layer's name
  std::int64_t feature = 0;   // 1-based number of the feature in its layer
  int part = 0;               // 1-based part of a multi-part geometry; 0 for a single line
  std::string name;           // the feature's "name" attribute, if it has one
  bool geographic = false;    // degrees; false: plane metres
  DatumChoice datum = DatumChoice::Wgs84;
  std::int64_t points = 0;    // vertices as read
  // The engine's coordinates: latitude and longitude in degrees (on WGS84
  // after a datum transformation), or X and Y in metres. Emptied once thinned.
  std::vector<double> first;
  std::vector<double> second;
};

// What a file held beside its tracks: left as they are and counted.
struct GisSkipped {
  std::int64_t points = 0;       // Point and MultiPoint features
  std::int64_t polygons = 0;     // Polygon and MultiPolygon features
  std::int64_t other = 0;        // other geometries, and features without one
  std::int64_t empty_lines = 0;  // lines without vertices: nothing to thin
};

struct GisReadOutcome {
  std::vector<GisTrack> tracks;  // in layer, feature and part order
  GisSkipped skipped;
  std::string error;  // why the file cannot be thinned: empty when it can
  std::vector<std::string> warnings;  // what the user should know of how it was read
};

// "layer 'tracks', feature 3, part 2 'Morning walk'": where a track is, for
// messages and statistics.
std::string TrackPlace(const GisTrack& track);

}  // namespace oru
