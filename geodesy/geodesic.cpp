#include "geodesy/geodesic.h"

#include <GeographicLib/Geodesic.hpp>

#include <cmath>
#include <exception>

#include "geodesy/angles.h"
#include "geodesy/detail.h"
#include "geodesy/error_codes.h"

namespace oru {
namespace detail {

Reduced_Latitude Reduce_Latitude(double f, double phi) {
  const double U = std::atan((1.0 - f) * std::tan(phi));
  return {U, std::sin(U), std::cos(U)};
}

namespace {

constexpr int kMaxPasses = 51;

// Vincenty's A and B of u^2 = cos^2(alpha) e2 / (1 - e2).
double Vincenty_A(double u2) {
  return 1.0 + u2 / 16384.0 * (4096.0 + u2 * (-768.0 + u2 * (320.0 - 175.0 * u2)));
}
double Vincenty_B(double u2) {
  return u2 / 1024.0 * (256.0 + u2 * (-128.0 + u2 * (74.0 - 47.0 * u2)));
}
// C = f/16 cos^2(alpha) (4 + f (4 - 3 cos^2(alpha))).
double Vincenty_C(double f, double cos2alpha) {
  return f / 16.0 * cos2alpha * (4.0 + f * (4.0 - 3.0 * cos2alpha));
}
// delta sigma of Vincenty's series.
double Delta_Sigma(double B, double sin_sigma, double cos_sigma, double cos2sm) {
  return B * sin_sigma *
         (cos2sm + B / 4.0 *
                       (cos_sigma * (2.0 * cos2sm * cos2sm - 1.0) -
                        B / 6.0 * cos2sm * (4.0 * sin_sigma * sin_sigma - 3.0) *
                            (4.0 * cos2sm * cos2sm - 3.0)));
}
// (1 - C) f sin(alpha) (sigma + C sin(sigma) (cos2sm + C cos(sigma) (2 cos2sm^2 - 1))):
// the longitude difference on the ellipsoid minus that on the auxiliary sphere.
double Lambda_Term(double C, double f, double sin_alpha, double sigma, double sin_sigma,
                   double cos_sigma, double cos2sm) {
  return (1.0 - C) * f * sin_alpha *
         (sigma + C * sin_sigma * (cos2sm + C * cos_sigma * (2.0 * cos2sm * cos2sm - 1.0)));
}

// Karney's solution, for the lines on which Vincenty's iteration does not
// settle. Returns false (leaving the outputs alone) when the ellipsoid is
// not one that GeographicLib accepts.
bool Karney_Inverse(double a, double f, double phi1, double lam1, double phi2, double lam2,
                    double& s, double& alpha1, double& alpha2) {
  try {
    const GeographicLib::Geodesic geod(a, f);
    double s12 = 0.0;
    double azi1 = 0.0;
    double azi2 = 0.0;
    geod.Inverse(phi1 * 180.0 / kPi, lam1 * 180.0 / kPi, phi2 * 180.0 / kPi, lam2 * 180.0 / kPi,
                 s12, azi1, azi2);
    s = s12;
    alpha1 = azi1 / 180.0 * kPi;
    alpha2 = (azi2 + 180.0) / 180.0 * kPi;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The inverse problem with the reduced latitudes of the two points given
// when they are known (r1, r2; null to form them here). Where the formulae
// change them (the equator's sphere, the nudges) they are formed anew.
int Inverse(double a, double f, double phi1, double lam1, double phi2, double lam2,
            const Reduced_Latitude* r1, const Reduced_Latitude* r2, double& s, double& alpha1,
            double& alpha2) {
  double e2 = Ecc2(f);
  double b = a * std::sqrt(1.0 - e2);
  if (std::fabs(phi1) < 1e-12 && std::fabs(phi2) < 1e-12 && e2 != 0.0) {
    // Both on the equator: the sphere of radius a.
    e2 = 0.0;
    f = 0.0;
    b = a;
    r1 = r2 = nullptr;
  }
  Reduced_Latitude reduced1 = r1 != nullptr ? *r1 : Reduce_Latitude(f, phi1);
  Reduced_Latitude reduced2 = r2 != nullptr ? *r2 : Reduce_Latitude(f, phi2);
  double U1 = reduced1.U;
  double U2 = reduced2.U;
  double L = lam2 - lam1;
  if (L == 0.0) L = 5e-11;
  double lambda = L;
  bool nudged = false;
  if (std::fabs(U1 - U2) < 1e-12 && L < 1e-12) {
    U2 += 5e-10;
    nudged = true;
  }
  if (std::fabs(U1 - U2) < 1e-12 && std::fabs(std::fabs(L) - kPi) < 5e-10) {
    lambda -= 5e-10;
    U1 -= 5e-10;
    U2 -= 5e-10;
    nudged = true;
  }
  if (nudged) {
    reduced1 = {U1, std::sin(U1), std::cos(U1)};
    reduced2 = {U2, std::sin(U2), std::cos(U2)};
  }
  const double sinU1 = reduced1.sinU;
  const double cosU1 = reduced1.cosU;
  const double sinU2 = reduced2.sinU;
  const double cosU2 = reduced2.cosU;

  double sin_sigma = 0.0;
  double cos_sigma = 0.0;
  double sigma = 0.0;
  double cos2alpha = 0.0;
  double cos2sm = 0.0;
  int passes = 0;  // passes the lambda iteration took to settle; 0 while it has not
  for (int pass = 1; pass <= kMaxPasses; ++pass) {
    const double sin_lambda = std::sin(lambda);
    const double cos_lambda = std::cos(lambda);
    const double t1 = cosU2 * sin_lambda;
    const double t2 = cosU1 * sinU2 - sinU1 * cosU2 * cos_lambda;
    sin_sigma = std::sqrt(t1 * t1 + t2 * t2);
    cos_sigma = sinU1 * sinU2 + cosU1 * cosU2 * cos_lambda;
    sigma = std::atan2(sin_sigma, cos_sigma);
    const double sin_alpha = cosU1 * cosU2 * sin_lambda / sin_sigma;
    cos2alpha = 1.0 - sin_alpha * sin_alpha;
    cos2sm = cos2alpha == 0.0 ? 1.0 : cos_sigma - 2.0 * sinU1 * sinU2 / cos2alpha;
    const double C = Vincenty_C(f, cos2alpha);
    const double next =
        L + Lambda_Term(C, f, sin_alpha, sigma, sin_sigma, cos_sigma, cos2sm);
    const double change = std::fabs(next - lambda);
    lambda = next;
    if (change <= 1e-12) {
      passes = pass;
      break;
    }
  }
  if (passes == 0 && Karney_Inverse(a, f, phi1, lam1, phi2, lam2, s, alpha1, alpha2)) return 0;

  const double u2 = cos2alpha * e2 / (1.0 - e2);
  const double A = Vincenty_A(u2);
  const double B = Vincenty_B(u2);
  const double dsigma = Delta_Sigma(B, sin_sigma, cos_sigma, cos2sm);
  s = b * A * (sigma - dsigma);

  double az1 = 0.0;
  double az2 = 0.0;
  if (std::fabs(L - kPi) < 1e-12 && e2 < 1e-12) az1 = az2 = kHalfPi;
  if (std::fabs(L + kPi) < 1e-12 && e2 < 1e-12) az1 = az2 = -kHalfPi;
  // A difference of exactly +-pi keeps the sphere's azimuths; on an
  // ellipsoid (and everywhere else) the general formulae apply. atan2 is
  // taken unless both of its arguments are within 1e-12 of 0 (coincident
  // points): requiring both above 1e-12 would turn a line along a meridian
  // (|y| tiny) into an east-west one, and an equatorial line across the
  // antimeridian (x = 0) the wrong way round.
  if (!((L == kPi || L == -kPi) && e2 < 1e-12)) {
    const double sin_lambda = std::sin(lambda);
    const double cos_lambda = std::cos(lambda);
    const double east_or_west = lam2 <= lam1 ? 3.0 * kPi / 2.0 : kHalfPi;
    const double y1 = cosU2 * sin_lambda;
    const double x1 = cosU1 * sinU2 - sinU1 * cosU2 * cos_lambda;
    az1 = (std::fabs(y1) > 1e-12 || std::fabs(x1) > 1e-12) ? std::atan2(y1, x1) : east_or_west;
    const double y2 = cosU1 * sin_lambda;
    const double x2 = -sinU1 * cosU2 + cosU1 * sinU2 * cos_lambda;
    az2 = (std::fabs(y2) > 1e-12 || std::fabs(x2) > 1e-12) ? std::atan2(y2, x2) : east_or_west;
  }
  az2 += kPi;
  if (az2 > kTwoPi) az2 = std::fmod(az2, kTwoPi);
  alpha1 = az1;
  alpha2 = az2;
  return passes;
}

}  // namespace

int Geodesic_Inverse(double a, double f, double phi1, double lam1, double phi2, double lam2,
                     double& s, double& alpha1, double& alpha2) {
  return Inverse(a, f, phi1, lam1, phi2, lam2, nullptr, nullptr, s, alpha1, alpha2);
}

int Geodesic_Inverse(double a, double f, double phi1, double lam1, double phi2, double lam2,
                     const Reduced_Latitude& r1, const Reduced_Latitude& r2, double& s,
                     double& alpha1, double& alpha2) {
  return Inverse(a, f, phi1, lam1, phi2, lam2, &r1, &r2, s, alpha1, alpha2);
}

}  // namespace detail

int Pos_Pos(DatumParams& datum, Geo_Line& line) {
  detail::Line_Radians r;
  const int code = detail::Check_Line_Points(
      line, detail::Line_Checks{true, true, kGeodPoint1ToRadians, true}, r);
  if (code != kGeodOk) return code;
  detail::Reread_Datum(datum);
  line.P1.lat_rad = r.phi1;
  line.P1.lon_rad = r.lam1;
  line.P2.lat_rad = r.phi2;
  line.P2.lon_rad = r.lam2;
  detail::Geodesic_Inverse(datum.a, datum.f, r.phi1, r.lam1, r.phi2, r.lam2, line.dist,
                           line.az12.rad, line.az21.rad);
  Az12_To_DMS(line);
  Az21_To_DMS(line);
  return kGeodOk;
}

Geodesic_Point Prepare_Geodesic_Point(DatumParams& datum, double lat_rad, double lon_rad) {
  Geo_Line line{};
  line.P1.lat_rad = lat_rad;
  line.P1.lon_rad = lon_rad;
  P1_To_DMS(line);
  // Pos_Pos checks point 2 as it checks point 1 (its longitude letter
  // included), so one point's checks decide for either end.
  detail::Line_Radians r;
  Geodesic_Point point;
  point.accepted = detail::Check_Line_Points(
                       line, detail::Line_Checks{false, true, kGeodPoint1ToRadians, true}, r) ==
                   kGeodOk;
  if (!point.accepted) return point;
  detail::Reread_Datum(datum);
  point.phi = r.phi1;
  point.lam = r.lam1;
  point.reduced = detail::Reduce_Latitude(datum.f, r.phi1);
  return point;
}

bool Pos_Pos_Prepared(DatumParams& datum, const Geodesic_Point& p1, const Geodesic_Point& p2,
                      double& dist, double& az12) {
  if (!p1.accepted || !p2.accepted) return false;
  detail::Reread_Datum(datum);
  double az21 = 0.0;
  detail::Geodesic_Inverse(datum.a, datum.f, p1.phi, p1.lam, p2.phi, p2.lam, p1.reduced,
                           p2.reduced, dist, az12, az21);
  az12 = detail::Normalise_Azimuth(az12);  // as Az12_To_DMS leaves it
  return true;
}

int Pos_Az_Dist(DatumParams& datum, Geo_Line& line) {
  detail::Line_Radians r;
  const int code =
      detail::Check_Line_Points(line, detail::Line_Checks{false, false, kGeodToRadians, true}, r);
  if (code != kGeodOk) return code;
  detail::Reread_Datum(datum);
  Az_To_Rad(line);
  line.P1.lat_rad = r.phi1;
  line.P1.lon_rad = r.lam1;

  using namespace detail;
  const double a = datum.a;
  const double f = datum.f;
  const double e2 = Ecc2(f);
  const double b = a * std::sqrt(1.0 - e2);
  const double phi1 = r.phi1;
  const double alpha1 = line.az12.rad;
  const double s = line.dist;

  const double U1 = std::atan((1.0 - f) * std::tan(phi1));
  const double sinU1 = std::sin(U1);
  const double cosU1 = std::cos(U1);
  const double sin_alpha1 = std::sin(alpha1);
  double cos_alpha1 = std::cos(alpha1);
  if (cos_alpha1 == 0.0) cos_alpha1 = std::cos(alpha1 + 1e-16);
  const double sigma1 = std::atan2(std::tan(U1), cos_alpha1);
  const double sin_alpha = cosU1 * sin_alpha1;
  const double cos2alpha = 1.0 - sin_alpha * sin_alpha;
  const double u2 = cos2alpha * e2 / (1.0 - e2);
  const double A = Vincenty_A(u2);
  const double B = Vincenty_B(u2);

  const double first = s / (b * A);
  double sigma = first;
  double sin_sigma = 0.0;
  double cos_sigma = 0.0;
  double cos2sm = 0.0;
  for (int pass = 1; pass <= kMaxPasses; ++pass) {
    cos2sm = std::cos(2.0 * sigma1 + sigma);
    sin_sigma = std::sin(sigma);
    cos_sigma = std::cos(sigma);
    const double next = first + Delta_Sigma(B, sin_sigma, cos_sigma, cos2sm);
    const double change = std::fabs(next - sigma);
    sigma = next;
    if (change <= 1e-20) break;
  }

  const double t = sinU1 * sin_sigma - cosU1 * cos_sigma * cos_alpha1;
  const double phi2 = std::atan2(sinU1 * cos_sigma + cosU1 * sin_sigma * cos_alpha1,
                                 (1.0 - f) * std::sqrt(sin_alpha * sin_alpha + t * t));
  const double lambda =
      std::atan2(sin_sigma * sin_alpha1, cosU1 * cos_sigma - sinU1 * sin_sigma * cos_alpha1);
  const double C = Vincenty_C(f, cos2alpha);
  const double lam2 =
      r.lam1 + lambda - Lambda_Term(C, f, sin_alpha, sigma, sin_sigma, cos_sigma, cos2sm);
  double alpha2 =
      std::atan2(sin_alpha, cosU1 * cos_sigma * cos_alpha1 - sinU1 * sin_sigma) + kPi;
  if (alpha2 > kTwoPi) alpha2 = std::fmod(alpha2, kTwoPi);

  line.P2.lat_rad = phi2;
  line.P2.lon_rad = lam2;
  P2_To_DMS(line);  // phi2 lies within +-pi/2: atan2 of a non-negative x
  line.az21.rad = alpha2;
  Az21_To_DMS(line);
  return kGeodOk;
}

}  // namespace oru
