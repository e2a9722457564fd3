#pragma once

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru {

// The loxodrome (rhumb line) problems on the ellipsoid of `datum` (read
// again at every call). Positions and azimuth are read from their DMS
// fields; every result is stored as radians and DMS. Start checks and codes
// as for the geodesic problems (geodesic.h): 18, 19, 7, 22, 52, 53, nothing
// written on a failure; Pos_Pos_lox checks point 2's longitude letter only
// in its conversion to radians, in either case (22).

// Inverse problem: reads P1, P2; writes their radians, dist (metres), az12
// and az21 (radians in [0, 2 pi], with DMS).
// Azimuth from the isometric latitudes, psi = ln(tan(pi/4 + phi/2)
// ((1 - e sin phi) / (1 + e sin phi))^(e/2)), over the shorter way in
// longitude (across the antimeridian where that is shorter); 0 when point 2
// is the north pole. Distance: the meridian arc between the latitudes by
// Simpson's rule on 40 and 80 intervals with one Richardson step (an
// error of order h^6), divided by cos(azimuth); along a parallel
// (|dphi| < 1e-15 rad) the parallel arc a cos(phi) dlambda / W.
// Coincident points are nudged apart by 5e-10 rad in both coordinates.
// Accuracy: relative 1e-12 where the line is not close to east-west; there
// the division by cos(azimuth) amplifies the rounding of the isometric
// latitudes to about 3e-9 m / |cos azimuth|.
int Pos_Pos_lox(DatumParams& datum, Geo_Line& line);

// Direct problem: reads P1 (DMS), az12 (DMS; reduced modulo 2 pi above
// 2 pi) and dist (metres); writes the radians of P1 and az12, P2 and az21 =
// az12 + pi, radians and DMS. The longitude is folded once by 2 pi, so a
// line that winds round a pole can end outside -pi..pi.
// Integrates dphi/ds = cos(az) W^3 / (a (1 - e2)) and dlambda/ds = sin(az)
// W / (a cos phi), W = sqrt(1 - e2 sin^2 phi), with Heun's predictor-
// corrector: n = max(4, ceil(dist / 70 km)) steps (halved down to at most
// 16384), then 2n half steps, combined by Richardson extrapolation.
// Returns 48 (loxodrome out of range) when a predicted latitude of the
// first pass reaches +-pi/2. Accuracy (fixed steps; the longitude rate
// 1 / cos phi stiffens toward the poles): 0.3 mm per 1000 km for lines
// within 60 degrees of latitude, 1.3 mm within 70, 15 mm within 80.
int Pos_AD_Lox(DatumParams& datum, Geo_Line& line);

}  // namespace oru
