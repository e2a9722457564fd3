#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gis/gpx_reader.h"

namespace oru {

// The GPX file at `path` again with only the kept points of its tracks and
// routes, everything else as it was, byte for byte: the file's own
// declaration, metadata, waypoints, names, links and extensions, and every
// element of a kept point (time, ele, extensions). A point left out goes
// with the blanks before it. Written without GDAL and without parsing the
// file again: a copy of what is kept, from the places of the points that
// ReadGpxTracks found; the file's text is never held whole, only the
// output's.
//
// `places` are ReadGpxTracks' places of the file's points, `kept` per track
// the 1-based numbers of its points kept, ascending. Read back, by GDAL or
// by ReadGpxTracks, the output gives the features GDAL's GPX driver writes
// of the same selection (WriteThinnedGisFile), field for field. Nothing
// when the file has changed since it was read (its size or time of
// change), the places do not fit the selection, or the file cannot be
// read: then GDAL writes it.
std::optional<std::string> ThinnedGpxText(const std::string& path, const GpxPointPlaces& places,
                                          const std::vector<std::vector<std::int64_t>>& kept);

}  // namespace oru
