#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "gis/gis_track.h"

namespace oru {

// Reads the tracks of a GPX 1.0 or 1.1 file in one streaming pass with
// expat, without GDAL: the same tracks GDAL's GPX driver gives through
// ReadGisTracks, in the same order (the layer 'routes' before 'tracks',
// features numbered in their layer, a track's segments as parts 1, 2, ...,
// a route as part 0), with the same names (the <name> child of <rte> or
// <trk>), as WGS84 latitudes and longitudes in degrees. A track without a
// segment, and a segment or route without a point, is a track without
// vertices (counted in skipped.empty_lines); waypoints are not tracks and
// are not counted. Memory: the points read, and one block of the file.
//
// Nothing when the file holds anything that it does not read exactly as
// GDAL's driver does, so that GDAL reads it instead (and says what is wrong
// with it): a file that is not well-formed XML or not in UTF-8, a document
// type declaration, a root other than <gpx version="1.0|1.1">, <trk>,
// <rte>, <trkseg>, <trkpt> or <rtept> out of their places, a point whose
// lat and lon attributes are not both plain decimal numbers within +-90 and
// +-180 degrees, a <name> of a track or route with elements inside, given
// twice or in the <extensions>, or long stretches of text without markup
// (which GDAL's driver refuses as corrupt).
std::optional<GisReadOutcome> ReadGpxTracks(const std::string& path);

// The same, of a file's text: for tests and fuzzing.
std::optional<GisReadOutcome> ReadGpxText(std::string_view text);

// Where a point (<trkpt>, <rtept>) of a file lies, in bytes from the start.
struct GpxPointPlace {
  std::size_t line = 0;      // its line's index in the tracks ReadGpxTracks gives
  std::int64_t number = 0;   // 1-based within the line
  std::int64_t before = 0;   // where the markup before it ends
  std::int64_t begin = 0;    // where its start tag begins
  std::int64_t end = 0;      // just past its end tag
};

// Reads the file as ReadGpxTracks does, without keeping coordinates
// (the tracks' `points` are counted, `first` and `second` stay empty), and
// calls `point` for every point in file order. `routes` is the number of
// routes the file holds (ReadGpxTracks' lines of the layer 'routes'), which
// the tracks' lines follow; the caller checks it against what is returned.
std::optional<GisReadOutcome> ScanGpxPoints(const std::string& path, std::size_t routes,
                                            const std::function<void(const GpxPointPlace&)>& point);

}  // namespace oru
