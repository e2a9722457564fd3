#include "geodesy/projections.h"

#include <cmath>

#include "geodesy/detail.h"
#include "geodesy/error_codes.h"

namespace oru {
namespace {

using detail::kHalfPi;
using detail::kPi;

// x^n by repeated multiplication, left to right.
double Pow_N(double x, int n) {
  double r = x;
  for (int i = 1; i < n; ++i) r = r * x;
  return r;
}

// N(phi) = a / sqrt(1 - e2 sin^2 phi).
double Prime_Vertical(double a, double e2, double phi) {
  return a / std::sqrt(detail::One_Minus_E2_Sin2(e2, phi));
}

}  // namespace

namespace detail {

double Mercator_Psi(double e, double phi) {
  const double es = e * std::sin(phi);
  return std::log(std::tan(kPi / 4.0 + phi / 2.0)) - e / 2.0 * std::log(1.0 + es) +
         e / 2.0 * std::log(1.0 - es);
}

void Merc_Inverse(const DatumParams& datum, const MercParams& merc, double& phi, double& lambda) {
  constexpr int kMaxSteps = 100;
  const double e2 = Ecc2(datum.f);
  const double e = std::sqrt(e2);
  const double Ns = Prime_Vertical(datum.a, e2, merc.lat_ts);
  const double psi =
      0.001 * merc.y * merc.map_scale / (std::cos(merc.lat_ts) * Ns) + Mercator_Psi(e, merc.lat0);
  lambda = 0.001 * merc.x * merc.map_scale / (std::cos(merc.lat_ts) * Ns) + merc.lon0;
  phi = 2.0 * std::atan((std::exp(psi) - 1.0) / (std::exp(psi) + 1.0));
  for (int i = 0; i < kMaxSteps; ++i) {
    const double es = e * std::sin(phi);
    const double q = kPi / 4.0 + phi / 2.0;
    const double step =
        (psi - Mercator_Psi(e, phi)) /
        (1.0 / (2.0 * std::sin(q) * std::cos(q)) -
         e2 / 2.0 * std::cos(phi) * (1.0 / (1.0 - es) + 1.0 / (1.0 + es)));
    phi = phi + step;
    if (!(std::fabs(step) > 1e-10)) break;
  }
}

}  // namespace detail

int Geo_To_TM(DatumParams& datum, LatLon& p, TMParams& tm, Mericon& m) {
  if (!detail::Lat_Dms_Ok(p.lat_deg, p.lat_min, p.lat_sec)) return kGeodLatitudeDms;
  if (!detail::Lon_Dms_Ok(p.lon_deg, p.lon_min, p.lon_sec)) return kGeodLongitudeDms;
  if (!detail::Lon_Dms_Ok(tm.cm_deg, tm.cm_min, tm.cm_sec)) return kGeodTmConstants;
  if (!detail::Lat_Letter_Ok(p.lat_hemi) || !detail::Lon_Letter_Ok(p.lon_hemi)) {
    return kGeodHemisphere;
  }
  const char cm_hemi = detail::Upper(tm.cm_hemi);
  if (cm_hemi != 'E' && cm_hemi != 'W') return kGeodCentralMeridianHemisphere;
  double phi = 0.0;
  double lam = 0.0;
  if (!detail::Point_Radians(p, phi, lam)) return kGeodToRadians;
  double cm = detail::Dms_To_Rad(tm.cm_deg, tm.cm_min, tm.cm_sec);
  if (cm_hemi == 'W') cm = -cm;
  if (std::fabs(phi) > kHalfPi) return kGeodLatitudeRange;
  if (std::fabs(lam) > kPi || std::fabs(cm) > kPi) return kGeodLongitudeRange;
  detail::Reread_Datum(datum);
  Mericon mc = m;
  if (Comp_Mericon(datum, mc) != kGeodOk) return kGeodTmConstants;

  const double e2 = detail::Ecc2(datum.f);
  const double s = std::sin(phi);
  const double c = std::cos(phi);
  const double t2 = (s * s) / (c * c);
  const double ep2 = e2 / (1.0 - e2);
  const double eta2 = ep2 * (c * c);
  const double N = Prime_Vertical(datum.a, e2, phi);
  const double dl = lam - cm;
  const double M = mc.M0 * phi - mc.M1 * std::sin(2.0 * phi) + mc.M2 * std::sin(4.0 * phi) -
                   mc.M3 * std::sin(6.0 * phi);
  const double k0 = tm.k0;
  const double northing =
      k0 * (M + N * s * c * Pow_N(dl, 2) / 2.0 +
            N * s * Pow_N(c, 3) * (5.0 - t2 + 9.0 * eta2) * Pow_N(dl, 4) / 24.0 +
            N * s * Pow_N(c, 5) * (61.0 - 58.0 * t2 + t2 * t2) * Pow_N(dl, 6) / 720.0);
  const double easting =
      k0 * (N * c * dl + N * Pow_N(c, 3) * (1.0 - t2 + eta2) * Pow_N(dl, 3) / 6.0 +
            N * Pow_N(c, 5) * (5.0 - 18.0 * t2 + t2 * t2) * Pow_N(dl, 5) / 120.0);

  m = mc;
  p.lat_rad = phi;
  p.lon_rad = lam;
  tm.cm_rad = cm;
  tm.northing = northing;
  tm.easting = easting;
  return kGeodOk;
}

int Geo_To_Merc(DatumParams& datum, LatLon& p, MercParams& merc) {
  if (!detail::Lat_Dms_Ok(p.lat_deg, p.lat_min, p.lat_sec)) return kGeodLatitudeDms;
  if (!detail::Lon_Dms_Ok(p.lon_deg, p.lon_min, p.lon_sec)) return kGeodLongitudeDms;
  if (!detail::Lat_Letter_Ok(p.lat_hemi) || !detail::Lon_Letter_Ok(p.lon_hemi)) {
    return kGeodHemisphere;
  }
  double phi = 0.0;
  double lam = 0.0;
  if (!detail::Point_Radians(p, phi, lam)) return kGeodToRadians;
  if (std::fabs(phi) >= kHalfPi) return kGeodLatitudeRange;  // the poles: infinite y
  if (std::fabs(lam) > kPi) return kGeodLongitudeRange;
  detail::Reread_Datum(datum);
  const double e2 = detail::Ecc2(datum.f);
  const double e = std::sqrt(e2);
  const double Ns = Prime_Vertical(datum.a, e2, merc.lat_ts);
  const double psi = detail::Mercator_Psi(e, phi);
  const double psi0 = detail::Mercator_Psi(e, merc.lat0);
  merc.x = (lam - merc.lon0) * std::cos(merc.lat_ts) * Ns / merc.map_scale * 1000.0;
  merc.y = (psi - psi0) * std::cos(merc.lat_ts) * Ns / merc.map_scale * 1000.0;
  merc.psi = psi;
  merc.psi0 = psi0;
  p.lat_rad = phi;
  p.lon_rad = lam;
  return kGeodOk;
}

}  // namespace oru
