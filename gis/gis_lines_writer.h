#pragma once

#include <string>
#include <vector>

#include "track/run_settings.h"

namespace oru {

struct GisFormat;

// A thinned track as a line feature.
struct GisLine {
  std::string name;       // the feature's "name"
  std::vector<double> x;  // longitude in degrees, or easting in metres
  std::vector<double> y;  // latitude in degrees, or northing in metres
};

struct GisLinesRequest {
  std::string output;  // a name that does not exist yet (as GisWriteRequest's)
  const GisFormat* format = nullptr;  // a writable format
  std::string layer;                  // the layer's name
  bool geographic = true;             // false: plane coordinates
  DatumChoice datum = DatumChoice::Wgs84;  // of geographic lines: EPSG 4326 or 4230
  int plane_epsg = 0;  // of plane lines: the EPSG code of their projected CRS, 0 for none
  const std::vector<GisLine>* lines = nullptr;
};

// Writes the lines as LineString features of one layer, each with its name,
// in order, through GDAL's driver of the format. Returns why it failed, or
// nothing.
std::string WriteGisLines(const GisLinesRequest& request);

}  // namespace oru
