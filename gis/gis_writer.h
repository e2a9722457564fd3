#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gis/gis_track.h"

namespace oru {

struct GisFormat;

struct GisWriteRequest {
  std::string input;
  const GisFormat* input_format = nullptr;
  // Where the driver makes the output: a name that does not exist yet (the
  // run's staging folder beside the real output, StagedOutput).
  std::string output;
  const GisFormat* output_format = nullptr;  // a writable format
  const std::vector<GisTrack>* tracks = nullptr;  // ReadGisTracks' tracks of `input`
  // Per track, the 1-based numbers of the vertices kept, ascending.
  const std::vector<std::vector<std::int64_t>>* kept = nullptr;
};

struct GisWriteOutcome {
  std::string error;                   // empty when the output was written
  std::vector<std::string> left_out;   // layers the output format could not hold, and why
};

// Writes the input file again in the output format with only the kept
// vertices of each track: every other feature, every attribute, Z and M
// values, the layer and feature order, layer names and the CRS as read.
// GPX track and route points keep their elements (time, ele, extensions):
// into GPX they are written through GDAL's track_points/route_points layers,
// into other formats as a layer beside the lines. Formats of one layer a
// file get the layer that holds the tracks; GPX gets point layers as
// waypoints and line layers as tracks, and cannot hold polygons.
GisWriteOutcome WriteThinnedGisFile(const GisWriteRequest& request);

}  // namespace oru
