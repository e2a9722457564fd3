#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "track/run_settings.h"

namespace oru {

// A thinned track as a route: its waypoints in order, on WGS84.
struct Route {
  std::string name;
  std::vector<double> lat;  // degrees, north positive
  std::vector<double> lon;  // degrees, east positive
  // Per waypoint UTC milliseconds since 1970 (kNoTime where unknown), or
  // empty.
  std::vector<std::int64_t> times;
};

// How a route's legs run between its waypoints: along great circles
// (measured on the ellipsoid, as "ellipsoidic" thinning does) or along
// rhumb lines, straight on a Mercator chart (as "planar" thinning nearly
// does).
enum class LegGeometry { Orthodrome, Loxodrome };

// Geographic degrees on datum `from` to datum `to` in place (WGS84 and
// ED50: the three-parameter shift of the ED50 datum string through
// Datum_Trans, geodesy/transformation.h); nothing moves when the two are the
// same. False when the transformation fails.
bool ShiftDatum(DatumChoice from, DatumChoice to, double& lat, double& lon);

}  // namespace oru
