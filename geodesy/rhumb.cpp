#include "geodesy/rhumb.h"

#include <cmath>
#include <cstdint>

#include "geodesy/angles.h"
#include "geodesy/detail.h"
#include "geodesy/error_codes.h"

namespace oru {
namespace {

using detail::kHalfPi;
using detail::kPi;
using detail::kTwoPi;

// Isometric latitude ln(tan(pi/4 + phi/2) ((1 - e sin phi) / (1 + e sin phi))^(e/2)).
double Isometric_Latitude(double e, double phi) {
  const double es = e * std::sin(phi);
  return std::log(std::tan(kPi / 4.0 + phi / 2.0) * std::pow((1.0 - es) / (1.0 + es), e / 2.0));
}

// Integrand of the meridian arc, in units of a (1 - e2): (1 - e2 sin^2 phi)^-1.5.
double Meridian_Integrand(double e2, double phi) {
  return 1.0 / std::pow(detail::One_Minus_E2_Sin2(e2, phi), 1.5);
}

// Simpson's rule over n (even) intervals from phi1 across dphi, the
// abscissae reached by adding h repeatedly.
double Simpson(double e2, double phi1, double dphi, int n) {
  const double h = dphi / n;
  double x = phi1;
  const double g0 = Meridian_Integrand(e2, x);
  double sum = 0.0;
  double g_last = g0;
  for (int k = 1; k <= n / 2; ++k) {
    x += h;
    const double g_odd = Meridian_Integrand(e2, x);
    x += h;
    g_last = Meridian_Integrand(e2, x);
    sum += 4.0 * g_odd + 2.0 * g_last;
  }
  return h / 3.0 * (g0 + sum - g_last);
}

// W(phi) = sqrt(1 - e2 sin^2 phi).
double W(double e2, double phi) { return std::sqrt(detail::One_Minus_E2_Sin2(e2, phi)); }

struct Lox_Step {
  double a, e2, a_1me2, cos_a, sin_a;
};

// One predictor-corrector step of length h along the loxodrome. With
// `pole_test`, returns false (leaving phi, lam alone) when the predicted
// latitude reaches a pole.
bool Step(const Lox_Step& c, double h, bool pole_test, double& phi, double& lam) {
  const double W0 = W(c.e2, phi);
  const double W03 = W0 * W0 * W0;
  const double phi_p = phi + h * c.cos_a * W03 / c.a_1me2;
  if (pole_test && (phi_p >= kHalfPi || phi_p <= -kHalfPi)) return false;
  const double Wp = W(c.e2, phi_p);
  const double phi_new = phi + h / 2.0 * c.cos_a * (Wp * Wp * Wp + W03) / c.a_1me2;
  lam = lam + h / 2.0 * c.sin_a / c.a * (W(c.e2, phi_new) / std::cos(phi_new) + W0 / std::cos(phi));
  phi = phi_new;
  return true;
}

// Steps of the first pass: n0 = ceil(s / 70 km), at least 4; n = 2 n0
// halved once, and again while above 16384.
std::int64_t Step_Count(double s) {
  double n0 = std::ceil(s / 70000.0);
  if (!(n0 >= 4.0)) n0 = 4.0;
  if (n0 > 4503599627370496.0) n0 = 4503599627370496.0;  // 2^52: no overflow below
  std::int64_t n = 2 * static_cast<std::int64_t>(n0);
  n /= 2;
  while (n > 16384) n /= 2;
  return n;
}

}  // namespace

int Pos_Pos_lox(DatumParams& datum, Geo_Line& line) {
  detail::Line_Radians r;
  const int code =
      detail::Check_Line_Points(line, detail::Line_Checks{true, false, kGeodToRadians, true}, r);
  if (code != kGeodOk) return code;
  detail::Reread_Datum(datum);
  line.P1.lat_rad = r.phi1;
  line.P1.lon_rad = r.lam1;
  line.P2.lat_rad = r.phi2;
  line.P2.lon_rad = r.lam2;

  const double a = datum.a;
  const double e2 = detail::Ecc2(datum.f);
  const double e = std::sqrt(e2);
  const double phi1 = r.phi1;
  double lam1 = r.lam1;
  double phi2 = r.phi2;
  double lam2 = r.lam2;
  if (std::fabs(phi1 - phi2) < 5e-10 && std::fabs(lam1 - lam2) < 5e-10) {
    phi2 += 5e-10;
    lam2 += 5e-10;
  }
  const double dphi = phi2 - phi1;
  double dlam = std::fabs(lam2 - lam1);
  if (dlam > kPi) {
    lam1 += lam1 >= 0.0 ? -kTwoPi : kTwoPi;
    dlam = std::fabs(lam2 - lam1);
  }

  double alpha = 0.0;
  if (!(phi2 > 0.0 && std::fabs(phi2 - kHalfPi) < 5e-17)) {
    alpha = std::atan2(a * (lam2 - lam1),
                       a * (Isometric_Latitude(e, phi2) - Isometric_Latitude(e, phi1)));
  }

  double s = 0.0;
  if (std::fabs(phi1 - phi2) >= 1e-15) {
    const double s40 = Simpson(e2, phi1, dphi, 40);
    const double s80 = Simpson(e2, phi1, dphi, 80);
    const double I = s80 + (s80 - s40) / 15.0;
    s = a * (1.0 - e2) * I / std::cos(alpha);
  } else {
    s = a * std::cos(phi1) * dlam / std::sqrt(detail::One_Minus_E2_Sin2(e2, phi1));
  }
  double alpha2 = alpha + kPi;
  if (alpha2 > kTwoPi) alpha2 = std::fmod(alpha2, kTwoPi);

  line.dist = s;
  line.az12.rad = alpha;
  line.az21.rad = alpha2;
  Az12_To_DMS(line);
  Az21_To_DMS(line);
  return kGeodOk;
}

int Pos_AD_Lox(DatumParams& datum, Geo_Line& line) {
  detail::Line_Radians r;
  const int code =
      detail::Check_Line_Points(line, detail::Line_Checks{false, false, kGeodToRadians, true}, r);
  if (code != kGeodOk) return code;
  detail::Reread_Datum(datum);
  Geo_Line az = line;  // the azimuth is written only on success
  Az_To_Rad(az);
  const double alpha1 = az.az12.rad;

  const double a = datum.a;
  const double e2 = detail::Ecc2(datum.f);
  const Lox_Step c{a, e2, a * (1.0 - e2), std::cos(alpha1), std::sin(alpha1)};
  const double s = line.dist;
  const std::int64_t n = Step_Count(s);
  const double h = s / static_cast<double>(n);

  double phiA = r.phi1;
  double lamA = r.lam1;
  for (std::int64_t i = 0; i < n; ++i) {
    if (!Step(c, h, true, phiA, lamA)) return kGeodLoxodromeRange;
  }
  double phiB = r.phi1;
  double lamB = r.lam1;
  for (std::int64_t i = 0; i < 2 * n; ++i) Step(c, h / 2.0, false, phiB, lamB);

  const double phi2 = phiB + (phiB - phiA) / 3.0;
  const double lam2 = lamB + (lamB - lamA) / 3.0;
  double alpha2 = alpha1 + kPi;
  if (alpha2 > kTwoPi) alpha2 -= kTwoPi;

  line.P1.lat_rad = r.phi1;
  line.P1.lon_rad = r.lam1;
  line.az12.rad = alpha1;
  line.P2.lat_rad = phi2;
  line.P2.lon_rad = lam2;
  P2_To_DMS(line);
  line.az21.rad = alpha2;
  Az21_To_DMS(line);
  return kGeodOk;
}

}  // namespace oru
