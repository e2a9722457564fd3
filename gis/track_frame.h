#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <ogr_spatialref.h>

#include "track/run_settings.h"

namespace oru {

// How the coordinates of a layer become the engine's coordinates.
struct TrackFrame {
  bool geographic = false;               // degrees; false: plane coordinates
  DatumChoice datum = DatumChoice::Wgs84;  // the engine's datum of a geographic track
  bool latitude_first = false;           // the data's first axis is the latitude
  double metres_per_unit = 1.0;          // plane tracks: length of one coordinate unit
  // Geographic CRSs on other datums (or in other angular units): to WGS84
  // longitude, latitude in degrees, through GDAL/PROJ.
  std::unique_ptr<OGRCoordinateTransformation> to_wgs84;
};

// Decides from the layer's CRS (null: the layer has none) how its tracks are
// thinned:
//   - geographic on WGS84 or ETRS89 (the same ellipsoid to centimetres):
//     geographic, WGS84/ETRS89; on ED50: geographic, ED50;
//   - geographic on any other datum, or in angular units other than degrees:
//     transformed to WGS84 first, then as WGS84;
//   - projected or local: plane X, Y, scaled to metres by the CRS's unit;
//   - none: plane X, Y in metres (CAD drawings, CSV X/Y columns); so are
//     GeoPackage's "Undefined geographic SRS" and "Undefined Cartesian SRS"
//     (srs_id 0 and -1), which GDAL gives layers written without a CRS.
// Nothing, with `error` set, for geocentric CRSs and CRSs that PROJ cannot
// transform.
std::optional<TrackFrame> FrameOfCrs(const OGRSpatialReference* srs, std::string& error);

// Turns the coordinates of one line, as the data holds them in the frame's
// CRS (x and y), into the engine's, in place: x becomes the latitudes and y
// the longitudes in degrees (transformed to WGS84 where the frame says so),
// or both X and Y in metres. Nothing when every point can be measured, else
// why the first one cannot ("point 5: latitude out of range.", 1-based):
// the geodesy library measures only latitudes within +-90 and longitudes
// within +-180 degrees.
std::optional<std::string> ToEngineCoordinates(const TrackFrame& frame, std::vector<double>& x,
                                               std::vector<double>& y);

// Whether the CRS is none at all: null, empty, or one of GeoPackage's
// undefined ones.
bool NoCrs(const OGRSpatialReference* srs);

// The transformation from `srs` to WGS84 longitude and latitude in degrees
// (GIS order), or null, with `error` set, when PROJ knows none.
std::unique_ptr<OGRCoordinateTransformation> TransformationToWgs84(const OGRSpatialReference& srs,
                                                                   std::string& error);

}  // namespace oru
