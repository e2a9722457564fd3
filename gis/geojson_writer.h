#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gis/gis_track.h"

namespace oru {

// The GeoJSON file at `path` again with only the kept vertices of its
// lines, as GDAL's GeoJSON driver writes it through WriteThinnedGisFile,
// byte for byte: its layout, the layer's name, every feature in order with
// its properties in the order of the layer's fields (the keys in the order
// first seen in the file), and coordinates as GDAL prints them (15
// decimals, trailing zeros and binary noise trimmed). Written without GDAL
// from a second pass of simdjson over the file's text, read again once
// (padded_text.h) and held beside the output.
//
// `tracks` are ReadGeoJsonTracks' tracks of the file, `kept` per track the
// 1-based numbers of its vertices kept, ascending. Nothing when the file
// is not one that ReadGeoJsonTracks takes, has changed since (its lines
// are not those of `tracks`), or holds properties whose GDAL field types
// are not plain: nested objects or arrays, texts GDAL may read as dates
// or JSON, "id" keys, keys whose values mix kinds other than integers with
// reals, or keys in an order GDAL may change. Then GDAL writes it.
std::optional<std::string> ThinnedGeoJsonText(const std::string& path,
                                              const std::vector<GisTrack>& tracks,
                                              const std::vector<std::vector<std::int64_t>>& kept);

}  // namespace oru
