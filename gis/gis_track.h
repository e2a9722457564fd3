#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "track/run_settings.h"

namespace oru {

// One line of a GIS file, thinned on its own: a LineString, a part of a
// MultiLineString (a GPX track segment), a GPX route, or the rows of a CSV
// file with coordinate columns (all of them, or those of one vessel's track
// when the rows are grouped: gis/point_row_tracks.h).
struct GisTrack {
  std::string layer;          // the layer's name
  // 1-based number of the feature in its layer; grouped rows: of the first row.
  std::int64_t feature = 0;
  // 1-based part of a multi-part geometry, 0 for a single line; grouped rows:
  // the track's number within its vessel.
  int part = 0;
  std::string name;           // the feature's "name" attribute, if it has one
  // Grouped rows: the vessel ("mmsi '244000001'"; empty when the rows are
  // ordered only) and the 1-based row of each point, in track order.
  std::string vessel;
  std::vector<std::int64_t> rows;
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
  // In layer, feature and part order; grouped rows by vessel, then time.
  std::vector<GisTrack> tracks;
  GisSkipped skipped;
  // Grouped rows: rows left out for want of a usable position, vessel or
  // time, and rows that repeat a fix (RowTracks::duplicates).
  std::int64_t rows_dropped = 0;
  std::int64_t duplicates = 0;
  // Rows read as one track: the columns whose names read like an identity
  // of vessels or tracks (LooksLikeIdentityColumn).
  std::vector<std::string> identity_columns;
  std::string error;  // why the file cannot be thinned: empty when it can
  std::vector<std::string> warnings;  // what the user should know of how it was read
};

// "layer 'tracks', feature 3, part 2 'Morning walk'", or for grouped rows
// "layer 'ais', mmsi '244000001', track 2": where a track is, for messages
// and statistics.
std::string TrackPlace(const GisTrack& track);

}  // namespace oru
