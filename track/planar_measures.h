#pragma once

#include <cmath>
#include <cstdint>
#include <span>

namespace oru {

// Plane measures of the selection engine, on coordinates in metres: X, Y as
// read, or easting and northing of a projected geographic track. A point is
// passed as its two coordinates, first before second; every result is in
// metres. The formulas are evaluated in the order written here, so results are
// reproducible to the last bit (the build forbids contracting a*b+c into fused
// multiply-adds).

// Deviation of P from the segment A-B:
//   dAP = sqrt((P1-A1)^2 + (P2-A2)^2);
//   P equal to A or to B (exact comparison): 0; A equal to B: dAP;
//   alphaAB = atan2(B1-A1, B2-A2), alphaAP = atan2(P1-A1, P2-A2) (directions
//   measured from the second axis towards the first);
//   delta = |alphaAB - alphaAP|, folded to 2 pi - delta when delta >= pi;
//   h = sin(delta) * dAP, the distance of P from the line through A and B.
// The result is h when P lies between the perpendiculars to A-B through A and
// through B, that is when
//   (P1-A1)(B1-A1) + (P2-A2)(B2-A2) >= 0  and  (P1-B1)(A1-B1) + (P2-B2)(A2-B2) >= 0,
// and PlanarEndDistance(A, B, P) otherwise.
//
// std::atan2 never fails on finite or infinite arguments; it "fails" only by
// returning NaN, which it does when a coordinate difference is NaN (a NaN
// coordinate, or inf - inf). A NaN direction is replaced by -pi/2 when the
// first-coordinate difference is negative and by +pi/2 otherwise (a NaN
// difference is not negative). A deviation that involves a NaN coordinate is
// mostly NaN itself, but not always (a NaN end point A leaves the distance to
// B); the engine never selects a NaN deviation as the farthest point.
double PlanarDeviation(double a1, double a2, double b1, double b2, double p1, double p2);

// Distance from P to the nearer of A and B: dA when dA < dB, else dB.
double PlanarEndDistance(double a1, double a2, double b1, double b2, double p1, double p2);

// Length of the segment from point i to point i+1 of a polyline, the term that
// PlanarLineLength sums: sqrt((second_i - second_j)^2 + (first_i - first_j)^2).
// Callers that cache segment lengths use it so that their sums stay
// bit-identical to PlanarLineLength's.
inline double PlanarSegmentLength(double first_i, double second_i, double first_j,
                                  double second_j) {
  const double d2 = second_i - second_j;
  const double d1 = first_i - first_j;
  return std::sqrt(d2 * d2 + d1 * d1);
}

// Length of the polyline through the first m points: the sum of
// PlanarSegmentLength over consecutive points, in point order, from 0.0;
// 0.0 for m < 2. m is clamped to the length of the shorter sequence.
double PlanarLineLength(std::span<const double> first, std::span<const double> second,
                        std::int64_t m);

}  // namespace oru
