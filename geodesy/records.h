#pragma once

#include <cstdint>
#include <string>

namespace oru {

// The plain records of the geodesy library. The caller owns every record,
// value-initialises it (`LatLon p{};`) and passes it to the functions, which
// work on it in place. Positions and azimuths are held twice: as degrees,
// minutes, seconds (with a hemisphere letter for positions) and as radians.
// The functions of geodesic.h, rhumb.h, transformation.h and projections.h
// read the degrees, minutes and seconds and recompute the radians from them.

// One geographic position with its by-products.
struct LatLon {
  std::string text;           // coordinate text for Read_LatLon; its first 255 characters are read
  std::int32_t lat_deg = 0;   // degrees of latitude, 0 to 90
  std::int32_t lat_min = 0;   // minutes, 0 to 59
  double lat_sec = 0.0;       // seconds, 0 to below 60
  char lat_hemi = '\0';       // 'N' or 'S'
  double lat_rad = 0.0;       // latitude, radians, north positive
  std::int32_t lon_deg = 0;   // degrees of longitude, 0 to 180
  std::int32_t lon_min = 0;   // minutes, 0 to 59
  double lon_sec = 0.0;       // seconds, 0 to below 60
  char lon_hemi = '\0';       // 'E' or 'W'
  double lon_rad = 0.0;       // longitude, radians, east positive
  double height = 0.0;        // ellipsoidal height, metres
  double X = 0.0;             // geocentric cartesian coordinates, metres
  double Y = 0.0;
  double Z = 0.0;
};

// One end of a Geo_Line: the position groups of LatLon without text and
// height.
struct Geo_Point {
  std::int32_t lat_deg = 0;
  std::int32_t lat_min = 0;
  double lat_sec = 0.0;
  char lat_hemi = '\0';
  double lat_rad = 0.0;
  std::int32_t lon_deg = 0;
  std::int32_t lon_min = 0;
  double lon_sec = 0.0;
  char lon_hemi = '\0';
  double lon_rad = 0.0;
};

// An azimuth: clockwise from north, no letter.
struct Geo_Azimuth {
  std::int32_t deg = 0;  // degrees, 0 to 360
  std::int32_t min = 0;  // minutes
  double sec = 0.0;      // seconds
  double rad = 0.0;      // radians, 0 to 2 pi once normalised
};

// A line between two positions on the ellipsoid.
struct Geo_Line {
  char line_type = '\0';  // 'G' geodesic; any other value loxodrome (rhumb line)
  Geo_Point P1;           // start
  Geo_Point P2;           // end
  double dist = 0.0;      // length, metres
  Geo_Azimuth az12;       // azimuth at P1 towards P2
  Geo_Azimuth az21;       // azimuth at P2 back towards P1
};

// Transverse Mercator: parameters and result of Geo_To_TM.
struct TMParams {
  double easting = 0.0;   // output, metres east of the central meridian (no false easting)
  double northing = 0.0;  // output, metres from the equator (no false northing)
  double k0 = 0.0;        // scale factor on the central meridian
  std::int32_t cm_deg = 0;  // central meridian, degrees 0 to 180
  std::int32_t cm_min = 0;  // minutes, 0 to 59
  double cm_sec = 0.0;      // seconds, 0 to below 60
  char cm_hemi = '\0';      // 'E' or 'W' (either case)
  double cm_rad = 0.0;      // radians, east positive
};

// Normal Mercator: parameters and result of Geo_To_Merc and Merc_To_Geo.
struct MercParams {
  double lat0 = 0.0;       // latitude of the origin (y origin), radians
  double lon0 = 0.0;       // longitude of the origin (x origin), radians
  double lat_ts = 0.0;     // latitude of true scale, radians
  double map_scale = 0.0;  // scale denominator: 1000 makes x and y ground metres
  double psi = 0.0;        // output: isometric latitude of the point
  double psi0 = 0.0;       // output: isometric latitude of the origin
  double x = 0.0;          // easting, millimetres at the map scale
  double y = 0.0;          // northing, millimetres at the map scale
};

}  // namespace oru
