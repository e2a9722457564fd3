#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gis/gis_track.h"

namespace oru {

// Where a point (<trkpt>, <rtept>) of a file lies, in bytes from the start.
struct GpxPointPlace {
  std::int64_t before = 0;  // where the markup before it ends
  std::int64_t begin = 0;   // where its start tag begins
  std::int64_t end = 0;     // just past its end tag
};

// Where the points of a file lie, for writing it again without some
// (gpx_writer.h): per line of the tracks read, in their order, per point;
// with the file's size and time of change, to see that it is the same file
// when it is written.
struct GpxPointPlaces {
  std::vector<std::vector<GpxPointPlace>> lines;
  std::int64_t file_size = -1;
  std::int64_t file_time_ns = -1;
};

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
//
// A point whose lat or lon attribute holds no number at all ("x", ""),
// which GDAL reads as 0, is refused: the outcome's error names its line.
//
// With `places`, where each point lies is kept there too (24 bytes a point).
std::optional<GisReadOutcome> ReadGpxTracks(const std::string& path,
                                            GpxPointPlaces* places = nullptr);

// The same, of a file's text: for tests and fuzzing.
std::optional<GisReadOutcome> ReadGpxText(std::string_view text);

}  // namespace oru
