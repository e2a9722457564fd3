#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gis/gis_track.h"

namespace oru {

// The GPX file at `path` again with only the kept points of its tracks and
// routes, everything else as it was, byte for byte: the file's own
// declaration, metadata, waypoints, names, links and extensions, and every
// element of a kept point (time, ele, extensions). A point left out goes
// with the blanks before it. Written without GDAL, in a streaming pass
// (ScanGpxPoints) and a copy of what is kept; the file's text is never held
// whole, only the output's.
//
// `tracks` are ReadGpxTracks' tracks of the file, `kept` per track the
// 1-based numbers of its points kept, ascending. Read back, by GDAL or by
// ReadGpxTracks, the output gives the features GDAL's GPX driver writes of
// the same selection (WriteThinnedGisFile), field for field. Nothing when
// the file is not one that ReadGpxTracks reads, or no longer holds these
// tracks (changed since): then GDAL writes it.
std::optional<std::string> ThinnedGpxText(const std::string& path,
                                          const std::vector<GisTrack>& tracks,
                                          const std::vector<std::vector<std::int64_t>>& kept);

}  // namespace oru
