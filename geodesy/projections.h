#pragma once

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru {

// Map projections on the ellipsoid of `datum` (read again at every call).
// Notation: e2 = (2 - f) f, e = sqrt(e2), N(phi) = a / sqrt(1 - e2 sin^2
// phi), isometric latitude psi(phi) = ln tan(pi/4 + phi/2) - e/2 ln(1 + e sin
// phi) + e/2 ln(1 - e sin phi). Integer powers are formed by repeated
// multiplication, left to right.

// Transverse Mercator (Gauss-Krueger) of `p` (DMS, letters) about the
// central meridian of `tm` (DMS and letter), scale factor tm.k0 on it:
//   northing = k0 (M(phi) + N s c dl^2/2 + N s c^3 (5 - t2 + 9 eta2) dl^4/24
//                  + N s c^5 (61 - 58 t2 + t2^2) dl^6/720)
//   easting  = k0 (N c dl + N c^3 (1 - t2 + eta2) dl^3/6
//                  + N c^5 (5 - 18 t2 + t2^2) dl^5/120)
// s = sin phi, c = cos phi, t2 = s^2/c^2, eta2 = e2/(1 - e2) c^2, dl the
// longitude difference from the central meridian (radians, not reduced
// modulo 2 pi: a point across the antimeridian from it is not projected
// usefully),
// M(phi) the meridian arc of `m`, which Comp_Mericon fills here. A
// truncated series: compared with the exact projection (measured against
// PROJ up to 84 degrees of latitude), within 0.03 mm up to 1 degree from the
// central meridian, 0.3 mm up to 2, 2 mm up to 3, 7.5 cm up to 6 and 1.2 m
// up to 10 degrees. Writes easting,
// northing (metres, no false origin), the radians of `p` and of the central
// meridian, and `m`.
// Checks, in order, nothing written on a failure: 18 / 19 (latitude /
// longitude DMS of the point), 20 (central meridian DMS: degrees 0..180,
// minutes 0..59, seconds 0 to below 60), 7 (point letters other than
// exactly N/S, E/W), 21 (central meridian letter other than E/W in either
// case), 22 / 23 (conversion of the point / central meridian), 52 (|phi| >
// pi/2), 53 (|lambda| or |central meridian| > pi), 20 (Comp_Mericon
// failed: an inverse flattening of 0).
int Geo_To_TM(DatumParams& datum, LatLon& p, TMParams& tm, Mericon& m);

// Normal Mercator of `p` (DMS, letters) in `merc`:
//   x = (lambda - lon0) cos(lat_ts) N(lat_ts) / map_scale * 1000
//   y = (psi(phi) - psi(lat0)) cos(lat_ts) N(lat_ts) / map_scale * 1000
// (millimetres at the map scale: ground metres for map_scale 1000); also
// stores psi and psi0. Exact to rounding (1e-9 m). Writes the radians of
// `p` too. Codes, nothing written on a failure: 18, 19, 7, 22, 53 as for
// Geo_To_TM, and 52 for |phi| >= pi/2 (the poles lie at infinity).
int Geo_To_Merc(DatumParams& datum, LatLon& p, MercParams& merc);

namespace detail {
// psi(phi) above.
double Mercator_Psi(double e, double phi);
// The inverse of Geo_To_Merc's x, y on a datum already read: latitude by
// Newton's method from the spherical inverse, until a step of at most 1e-10
// rad or 100 steps.
void Merc_Inverse(const DatumParams& datum, const MercParams& merc, double& phi, double& lambda);
}  // namespace detail

}  // namespace oru
