#pragma once

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru {

// Foot of the perpendicular from a point onto a line of the ellipsoid of
// `datum`: a geodesic when line.line_type is 'G' (Pos_Pos, Pos_Az_Dist),
// otherwise a loxodrome (Pos_Pos_lox, Pos_AD_Lox).
//
// `line`: P1 and P2 are the line's ends; read only. `point`: P2 is the point
// to project; P1 is the starting trial foot (the caller sets it to the
// line's P1) and receives the foot; dist receives the perpendicular
// distance (metres, non-negative) and az12 the azimuth from the foot to the
// point.
//
// Method: measure the point from the trial foot (inverse problem), project
// that measurement onto the line's azimuth at the foot (along = cos(|azL -
// azP|) dist), move the foot along the line by `along` (direct problem;
// backwards when negative) and repeat until two successive projections
// differ by less than 0.1 mm (never on the first pass), at most 500 times.
// The distance returned is the one measured on the last pass, from the
// foot before its last move (a move that differs from the one before it by
// less than 0.1 mm, so a few micrometres once the search has settled);
// point.P1 holds the foot after that move. The foot may lie beyond either
// end of the segment. Positions pass through their DMS fields between the
// steps, so the foot carries their rounding: seconds above 59.9995 carry
// to the next minute (up to 0.0005 arc-second, 1.5 cm).
//
// Returns 0, or 34 (no settling within 500 passes), 35 / 36 (the direct
// problem failed, geodesic / loxodrome), 37 / 38 (an inverse problem
// failed, geodesic / loxodrome): then `point` keeps the foot and values of
// the last completed pass. (33, a failed allocation, cannot occur: the work
// copy of the line lives on the stack.) Allocates nothing.
int perpend(DatumParams& datum, const Geo_Line& line, Geo_Line& point);

}  // namespace oru
