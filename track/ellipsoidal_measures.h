#pragma once

#include <cstdint>
#include <span>

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru {

// Geodesic measures of the selection engine, on geographic coordinates: a
// point is passed as its latitude and longitude, signed decimal degrees
// (south and west negative), latitude first. Every result is a geodesic
// distance in metres on the ellipsoid of `datum` (semi-major axis and
// flattening; its shift parameters play no part), as Pos_Pos (Vincenty 1975)
// gives it.
//
// Each measure builds its Geo_Line records zero-filled, sets the radians of
// their ends (degrees * (1/180) * pi) and fills their degree, minute, second
// fields with P1_To_DMS / P2_To_DMS before every Pos_Pos, which reads the ends
// from those fields: the ends are measured as their DMS round trip (seconds
// above 59.9995 carry to the next minute, a shift of up to 1.5 cm).
//
// Domain: latitudes within +-90, longitudes within +-180 degrees. Outside it
// the geodesy functions refuse their input and leave their records as they
// were, so a measure would return a meaningless figure; the processing run
// checks every track before it is measured. The error codes of the geodesy
// calls are not looked at.
//
// `datum` is read again by every geodesy call (its numeric fields are
// rewritten from its text), so one record must not be shared by two threads.

// Deviation of P from the segment A-B:
//  - P equal to A or to B (degrees, exact comparison): 0;
//  - A equal to B: the geodesic distance A-P;
//  - otherwise, from P, the geodesics to A and to B are solved. When the
//    angle at P between their forward azimuths (AngleAtPoint: azimuths of
//    350 and 10 degrees are 20 degrees apart) is at most pi/2 the result is
//    EllipsoidalEndDistance; otherwise perpend finds the foot of the
//    perpendicular from P onto the geodesic through A and B and the result
//    is its distance h. So a point within the span of the segment (inside
//    the circle over A-B, where the angle at P is obtuse) gets h, whose foot
//    lies on the segment, and every other point the distance to the nearer
//    end: no point is measured closer than it lies to the segment.
// Cost: four Pos_Pos beyond the span; two and one perpend (nine or more
// geodesic problems) within it.
double EllipsoidalDeviation(double a1, double a2, double b1, double b2, double p1, double p2,
                            DatumParams& datum);

// EllipsoidalDeviation(A, B, P) with a NaN `limit` (metres); otherwise a
// figure on the same side of limit as it (above, or at most), to the last
// bit, for less: where P gets the end distance and the distance along its
// own lines to A and to B lies more than a centimetre from limit, that
// distance, without solving the lines from A and from B (they agree within
// 7 mm: Vincenty's inverse either way round within 0.1 mm, its nudges of
// lines between equal latitudes or on one meridian a few millimetres).
double EllipsoidalDeviationAgainst(double a1, double a2, double b1, double b2, double p1,
                                   double p2, double limit, DatumParams& datum);

// Geodesic distance from P to the nearer of A and B: A-P and B-P are solved
// (in that direction); the B-P distance when it is at most the A-P one, else
// the A-P distance.
double EllipsoidalEndDistance(double a1, double a2, double b1, double b2, double p1, double p2,
                              DatumParams& datum);

// Geodesic length of the segment from point i to point j of a polyline: the
// term that EllipsoidalLineLength sums. Callers that cache segment lengths use
// it so that their sums stay bit-identical to EllipsoidalLineLength's.
double EllipsoidalSegmentLength(double lat_i, double lon_i, double lat_j, double lon_j,
                                DatumParams& datum);

// Geodesic length of the polyline through the first m points: one Geo_Line
// record, set to each pair of consecutive points in turn and solved, the
// distances summed in point order from 0.0; 0.0 for m < 2. m is clamped to
// the length of the shorter sequence.
double EllipsoidalLineLength(std::span<const double> first, std::span<const double> second,
                             DatumParams& datum, std::int64_t m);

// A geodesic record from point 1 to point 2 (radians), value-initialised but
// for the DMS fields that the geodesy functions read, filled from the radians.
Geo_Line GeodesicLine(double lat1_rad, double lon1_rad, double lat2_rad, double lon2_rad);

// The angle at a point P between the directions to A and to B, given as
// their forward azimuths at P (radians, each 0 to 2 pi): the difference
// taken the short way round the compass, 0 to pi.
double AngleAtPoint(double azimuth_a, double azimuth_b);

// Degrees to radians in the one order used throughout the selection:
// deg * (1/180) * pi, so that every measure sees the same radians.
double DegreesToRadians(double deg);

}  // namespace oru
