#pragma once

#include <string>

#include "gis/gis_track.h"

namespace oru {

struct GisFormat;

// Reads every track of a GIS file with GDAL's driver of `format`, in layer,
// feature and part order. GPX files give their routes and track segments
// (waypoints and the per-point layers are not tracks); CSV files with
// coordinate columns give one track of their rows. The coordinates become
// the engine's as the layer's CRS decides (FrameOfCrs); CSV files hold no
// CRS: WKT geometries and longitude/latitude columns are WGS84 degrees, X/Y
// (easting/northing) columns metres.
//
// Fails, with `error` naming the layer and feature and quoting GDAL, when the
// file cannot be opened or read, a CRS cannot be used or read (a Shapefile's
// .prj that GDAL cannot read is no "no CRS"), a geographic track has a
// latitude beyond +-90 or a longitude beyond +-180 degrees, or a plane one
// a coordinate beyond PlaneCoordinateInRange. A layer without a CRS whose
// tracks all lie within longitude and latitude ranges is thinned in metres
// with a warning: it may be degrees whose CRS was lost.
GisReadOutcome ReadGisTracks(const std::string& path, const GisFormat& format);

}  // namespace oru
