#pragma once

#include <cstdint>

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru {

// Datum transformation through geocentric cartesian coordinates and WGS84:
// geographic to cartesian on the source ellipsoid, the seven-parameter
// similarity (Helmert) transformation of the source datum to WGS84, its
// inverse for the target datum, cartesian to geographic on the target
// ellipsoid. A datum's parameters (datum.h) are those of the transformation
// from that datum to WGS84, rotations as coordinate-frame rotations.

// Small dense algebra for the transformation: a matrix of at most 5 rows of
// 4 elements, a vector of at most 4 elements, stored by rows.
struct Matrix {
  std::int32_t rows = 0;
  std::int32_t cols = 0;
  double e[5][4] = {};
};
struct Vector {
  std::int32_t n = 0;
  double e[4] = {};
};

// C = A B (C may be A or B). Returns 1, leaving C alone, when A's columns
// differ from B's rows or a dimension lies outside the storage; else 0.
int Mat_Mul(const Matrix& A, const Matrix& B, Matrix& C);
// y = A x. Returns 1 when A's columns differ from x's length, or A has more
// rows than a vector holds; else 0.
int Mat_Vec_Mul(const Matrix& A, const Vector& x, Vector& y);
// C = k A. Returns 1 only when A's dimensions lie outside the storage.
int Mat_Scale(double k, const Matrix& A, Matrix& C);
// z = x + y, z = x - y. Returns 1 when the lengths differ (or lie outside
// the storage); else 0.
int Vec_Add(const Vector& x, const Vector& y, Vector& z);
int Vec_Sub(const Vector& x, const Vector& y, Vector& z);
// Every result takes its dimensions from the operands, its elements are
// cleared before summing, and sums run in index order.

// Moves `in` (DMS, letters, height in metres) from datum `from` to datum
// `to` into `out` (which may be `in`): writes X, Y, Z of both records (for
// `in` on WGS84 after the first shift, for `out` on `to`) and the radians of
// `in`, and the radians, DMS, letters and height of `out`. Reads both
// datums again. Checks, the first that fails deciding: 18 / 19 (latitude /
// longitude DMS ranges), 7 (letters other than exactly N/S, E/W), 22, 52,
// 53; nothing is written then. With the program's ED50 datum this adds
// (-87, -98, -121) m to the cartesian coordinates between the International
// ellipsoid of 1924 and WGS84. Accuracy: that of the formulas, about 1e-9 m
// in the cartesian coordinates and 1e-7 m after the return to geographic.
int Datum_Trans(DatumParams& from, LatLon& in, DatumParams& to, LatLon& out);

// Geographic (DMS, letters, height) to geocentric X, Y, Z (metres) on the
// ellipsoid of `datum` (already read): X = (N + h) cos phi cos lambda, Y =
// (N + h) cos phi sin lambda, Z = ((1 - e2) N + h) sin phi, N = a / sqrt(1 -
// e2 sin^2 phi). Writes lat_rad, lon_rad, X, Y, Z. Codes 0, 18, 19, 7, 22,
// 52, 53 as for Datum_Trans.
int Geo_To_Cart(const DatumParams& datum, LatLon& p);

// The similarity transformation of X, Y, Z in place, with the datum's dX,
// dY, dZ (metres), rX, rY, rZ (arc-seconds) and scale (ppm), s = scale 1e-6:
//   towards WGS84:  P' = (1 + s) Rz(rZ) Ry(rY) Rx(rX) P + T
//   from WGS84:     P' = 1 / (1 + s) Rx(-rX) Ry(-rY) Rz(-rZ) (P - T)
// Rx(t) = (1 0 0; 0 cos t sin t; 0 -sin t cos t), Ry(t) = (cos t 0 -sin t;
// 0 1 0; sin t 0 cos t), Rz(t) = (cos t sin t 0; -sin t cos t 0; 0 0 1).
// The two directions are inverse to each other. Always 0.
int Helmert_Trans(const DatumParams& datum, LatLon& p, bool to_wgs84);

// Geocentric X, Y, Z to latitude, longitude and height on the ellipsoid of
// `datum` (already read), by fixed-point iteration on t = h sin phi:
// phi = atan((Z - t e2) / ((1 - e2) p)), t = Z - (1 - e2) N(phi) sin phi,
// p = sqrt(X^2 + Y^2), from t = 0 until t changes by at most 1e-15 m or 100
// passes; h = t / sin phi (p - a on the equator). A point on the polar axis
// (X = Y = 0) is given latitude 0, longitude 0 and height -a. Writes
// lat_rad, lon_rad, height and the DMS and letters. Always 0.
int Cart_To_Geo(const DatumParams& datum, LatLon& p);

}  // namespace oru
