#pragma once

#include <cstdint>

#include "geodesy/records.h"

namespace oru {

// Conversions between degrees, minutes, seconds (DMS, with a hemisphere
// letter for positions) and radians, for every record of the library. All
// work in place on the record given and return 0 or a code of
// error_codes.h.
//
// DMS to radians: angle = (deg + min / 60 + sec / 3600) / 180 * pi,
// negated for 'S' and 'W' (either case). No range check is made.
// Radians to DMS of a non-negative angle x: d = x * 180 / pi, deg =
// floor(d), min = floor((d - deg) * 60), sec = |((d - deg) * 60 - min) * 60|;
// seconds above 59.9995 become 0 with one more minute, and 60 minutes become
// 0 with one more degree (no further carry: just below 2 pi gives 360
// degrees). The seconds keep the full precision of a double otherwise.

// LatLon latitude and longitude DMS to lat_rad, lon_rad. Returns 7
// (hemisphere indication incorrect), changing nothing, unless the latitude
// letter is N/S and the longitude letter E/W in either case.
int LatLon_To_Rad(LatLon& p);
// The same for point 1 / point 2 of a Geo_Line.
int P1_To_Rad(Geo_Line& line);
int P2_To_Rad(Geo_Line& line);
// TMParams central meridian DMS and letter ('E'/'W', either case) to cm_rad;
// 7 on any other letter.
int CM_To_Rad(TMParams& tm);
// Forward azimuth az12 DMS to radians; a result above 2 pi is reduced
// modulo 2 pi. Always 0.
int Az_To_Rad(Geo_Line& line);

// lat_rad, lon_rad of a LatLon to DMS and letters. The longitude is folded
// once into -pi..pi (written back) and converted first; then a latitude
// above pi/2 returns 9, below -pi/2 returns 10, leaving the latitude DMS
// alone. 'W' for a negative longitude, 'S' for a negative latitude.
int LatLon_To_DMS(LatLon& p);
// The same for point 1 (codes 11, 12) and point 2 (codes 13, 14).
int P1_To_DMS(Geo_Line& line);
int P2_To_DMS(Geo_Line& line);
// Azimuth radians to DMS: first normalised into [0, 2 pi] (the remainder
// modulo 2 pi above 2 pi; the remainder plus 2 pi below 0) and written
// back. Always 0.
int Az12_To_DMS(Geo_Line& line);
int Az21_To_DMS(Geo_Line& line);

// |v|; the one value without a positive counterpart, -2^31, gives 2^31 - 1.
std::int32_t Abs_Int(std::int32_t v);

}  // namespace oru
