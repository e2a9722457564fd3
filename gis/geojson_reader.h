#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "gis/gis_track.h"

namespace oru {

// Reads the tracks of a GeoJSON file with simdjson, without GDAL: the same
// tracks GDAL's GeoJSON driver gives through ReadGisTracks, in the same
// order, as WGS84 latitudes and longitudes in degrees (a file without a
// "crs" member, or with one naming OGC's CRS84, is WGS84 to GDAL). One
// layer, named by the collection's "name" member or else after the file
// (its name without the extension);
// features numbered from 1 in file order, a bare Feature or geometry at the
// root being feature 1; a LineString is part 0, the lines of a
// MultiLineString parts 1, 2, ... (empty ones among them), a
// MultiLineString without lines one track without vertices; names from the
// "name" property; Z values read and dropped. Points and MultiPoints,
// Polygons and MultiPolygons, and features without a geometry are counted
// as skipped, lines without vertices as empty. Memory: the points read,
// the file's text read once (padded_text.h), and simdjson's index of it.
//
// Nothing when the file holds anything that it does not read exactly as
// GDAL does (WalkGeoJson), a "name" property that is not a string (or is
// a text GDAL may read as a date), or a position beyond +-180 degrees of
// longitude or +-90 of latitude (GDAL says what is wrong with those).
std::optional<GisReadOutcome> ReadGeoJsonTracks(const std::string& path);

// The same, of a file's text, as a file named `file_stem` + ".geojson":
// for tests and fuzzing.
std::optional<GisReadOutcome> ReadGeoJsonText(std::string_view text, const std::string& file_stem);

}  // namespace oru
