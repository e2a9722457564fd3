#pragma once

// Internal helpers shared by the geodesy sources; not part of the library's
// interface.

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "geodesy/datum.h"
#include "geodesy/geodesic.h"

namespace oru::detail {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kHalfPi = kPi / 2.0;

// ASCII upper case, as toupper() of the "C" locale.
inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// isalpha() of the "C" locale.
inline bool Is_Letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whole part of a double as a 32-bit integer, saturating at +-(2^31 - 1);
// NaN gives 0. Exact for every value in range, so it only differs from a
// plain cast where the cast would be undefined.
inline std::int32_t To_Int(double whole) {
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (!(whole == whole)) return 0;
  if (whole >= kMax) return std::numeric_limits<std::int32_t>::max();
  if (whole <= -kMax) return -std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(whole);
}

// (deg + min / 60 + sec / 3600) / 180 * pi, radians.
inline double Dms_To_Rad(std::int32_t deg, std::int32_t min, double sec) {
  return (static_cast<double>(deg) + static_cast<double>(min) / 60.0 + sec / 3600.0) / 180.0 * kPi;
}

// Degrees, minutes, seconds of a non-negative angle x (radians): seconds
// above 59.9995 carry into the minutes and 60 minutes into the degrees (one
// carry each, no reduction of the degrees).
inline void Rad_To_Dms(double x, std::int32_t& deg, std::int32_t& min, double& sec) {
  const double d = x * 180.0 / kPi;
  const double fd = std::floor(d);
  const double fm = std::floor((d - fd) * 60.0);
  deg = To_Int(fd);
  min = To_Int(fm);
  sec = std::fabs(((d - fd) * 60.0 - fm) * 60.0);
  if (sec > 59.9995) {
    sec = 0.0;
    min += 1;
  }
  if (min == 60) {
    min = 0;
    deg = deg < std::numeric_limits<std::int32_t>::max() ? deg + 1 : deg;
  }
}

// Range checks of a position's degrees, minutes and seconds as the line,
// transformation and projection functions make them at their start.
inline bool Lat_Dms_Ok(std::int32_t deg, std::int32_t min, double sec) {
  return deg >= 0 && deg <= 90 && min >= 0 && min <= 59 && sec >= 0.0 && sec < 60.0;
}
inline bool Lon_Dms_Ok(std::int32_t deg, std::int32_t min, double sec) {
  return deg >= 0 && deg <= 180 && min >= 0 && min <= 59 && sec >= 0.0 && sec < 60.0;
}

// The radians of a position record (LatLon or Geo_Point) from its degrees,
// minutes, seconds and letters (either case), without writing them. Returns
// false, leaving lat and lon alone, on a letter other than N/S or E/W.
template <class P>
bool Point_Radians(const P& p, double& lat, double& lon) {
  const char la = Upper(p.lat_hemi);
  const char lo = Upper(p.lon_hemi);
  if ((la != 'N' && la != 'S') || (lo != 'E' && lo != 'W')) return false;
  double phi = Dms_To_Rad(p.lat_deg, p.lat_min, p.lat_sec);
  double lam = Dms_To_Rad(p.lon_deg, p.lon_min, p.lon_sec);
  if (la == 'S') phi = -phi;
  if (lo == 'W') lam = -lam;
  lat = phi;
  lon = lam;
  return true;
}

// Radians of a position record to degrees, minutes, seconds and letters:
// the longitude is folded once into -pi..pi (and written back) and
// converted; then a latitude beyond +-pi/2 returns `above` or `below`
// without converting it.
template <class P>
int Point_To_Dms(P& p, int above, int below) {
  if (p.lon_rad > kPi) {
    p.lon_rad -= kTwoPi;
  } else if (p.lon_rad < -kPi) {
    p.lon_rad += kTwoPi;
  }
  Rad_To_Dms(std::fabs(p.lon_rad), p.lon_deg, p.lon_min, p.lon_sec);
  p.lon_hemi = p.lon_rad < 0.0 ? 'W' : 'E';
  if (p.lat_rad > kHalfPi) return above;
  if (p.lat_rad < -kHalfPi) return below;
  Rad_To_Dms(std::fabs(p.lat_rad), p.lat_deg, p.lat_min, p.lat_sec);
  p.lat_hemi = p.lat_rad < 0.0 ? 'S' : 'N';
  return 0;
}

// An azimuth brought into [0, 2 pi]: the remainder modulo 2 pi above 2 pi,
// the remainder plus 2 pi below 0.
inline double Normalise_Azimuth(double az) {
  if (az > kTwoPi) return std::fmod(az, kTwoPi);
  if (az < 0.0) return std::fmod(az, kTwoPi) + kTwoPi;
  return az;
}

// Read_Datum with a per-thread memo: a datum text whose ten fields all
// convert gives the same record whatever the record held before, so its
// parsed values are kept, keyed by the text, and copied on the next call.
// Other texts are read by Read_Datum every time. The record ends exactly as
// Read_Datum leaves it. Returns true when all nine numbers converted.
bool Reread_Datum(DatumParams& datum);

// e2 = (2 - f) f, first eccentricity squared.
inline double Ecc2(double f) { return (2.0 - f) * f; }

// 1 - e2 sin^2(phi), with sin^2 formed first.
inline double One_Minus_E2_Sin2(double e2, double phi) {
  const double s = std::sin(phi);
  return 1.0 - e2 * (s * s);
}


// Letters as the line functions check them at their start: exactly (upper
// case only).
inline bool Lat_Letter_Ok(char c) { return c == 'N' || c == 'S'; }
inline bool Lon_Letter_Ok(char c) { return c == 'E' || c == 'W'; }

// The radians of a Geo_Line's points after the start checks.
struct Line_Radians {
  double phi1 = 0.0, lam1 = 0.0, phi2 = 0.0, lam2 = 0.0;
};

// What a line function reads and checks.
struct Line_Checks {
  bool both_points;          // point 2 is read too (inverse problems)
  bool p2_lon_letter;        // point 2's longitude letter is checked exactly
  int p1_conversion_code;    // code when point 1 does not convert
  bool radian_ranges;        // |lat| > pi/2 gives 52, |lon| > pi gives 53
};

// The start checks of the line functions, in order: DMS ranges (18
// latitude, 19 longitude; point 1, then point 2), exact letters (7),
// conversion to radians (p1_conversion_code, then 22 for point 2), radian
// ranges (52, 53; point 1, then point 2). Nothing is written.
template <class Line>
int Check_Line_Points(const Line& line, const Line_Checks& what, Line_Radians& r) {
  const auto& p1 = line.P1;
  const auto& p2 = line.P2;
  if (!Lat_Dms_Ok(p1.lat_deg, p1.lat_min, p1.lat_sec)) return 18;
  if (!Lon_Dms_Ok(p1.lon_deg, p1.lon_min, p1.lon_sec)) return 19;
  if (what.both_points) {
    if (!Lat_Dms_Ok(p2.lat_deg, p2.lat_min, p2.lat_sec)) return 18;
    if (!Lon_Dms_Ok(p2.lon_deg, p2.lon_min, p2.lon_sec)) return 19;
  }
  if (!Lat_Letter_Ok(p1.lat_hemi)) return 7;
  if (what.both_points && !Lat_Letter_Ok(p2.lat_hemi)) return 7;
  if (!Lon_Letter_Ok(p1.lon_hemi)) return 7;
  if (what.both_points && what.p2_lon_letter && !Lon_Letter_Ok(p2.lon_hemi)) return 7;
  if (!Point_Radians(p1, r.phi1, r.lam1)) return what.p1_conversion_code;
  if (what.both_points && !Point_Radians(p2, r.phi2, r.lam2)) return 22;
  if (what.radian_ranges) {
    if (std::fabs(r.phi1) > kHalfPi) return 52;
    if (std::fabs(r.lam1) > kPi) return 53;
    if (what.both_points) {
      if (std::fabs(r.phi2) > kHalfPi) return 52;
      if (std::fabs(r.lam2) > kPi) return 53;
    }
  }
  return 0;
}

// The start checks of the functions on one position (LatLon): DMS ranges
// (18 latitude, 19 longitude), exact letters (7), conversion to radians
// (22), radian ranges (52 latitude, 53 longitude). Nothing is written.
template <class P>
int Check_Position(const P& p, double& phi, double& lam) {
  if (!Lat_Dms_Ok(p.lat_deg, p.lat_min, p.lat_sec)) return 18;
  if (!Lon_Dms_Ok(p.lon_deg, p.lon_min, p.lon_sec)) return 19;
  if (!Lat_Letter_Ok(p.lat_hemi) || !Lon_Letter_Ok(p.lon_hemi)) return 7;
  if (!Point_Radians(p, phi, lam)) return 22;
  if (std::fabs(phi) > kHalfPi) return 52;
  if (std::fabs(lam) > kPi) return 53;
  return 0;
}

// The geodesic inverse problem after the checks (Vincenty 1975 with the
// special cases of Pos_Pos, and GeographicLib's Inverse where the lambda
// iteration has not settled): distance s (metres), forward azimuth alpha1
// at point 1 and back azimuth alpha2 at point 2 (radians, alpha2 below
// 2 pi, alpha1 in -pi..pi). Returns the number of passes the lambda
// iteration took to settle (1 to 51), or 0 when it did not settle: then
// GeographicLib measured the line (unless it refused the ellipsoid, when
// Vincenty's last values stand).
int Geodesic_Inverse(double a, double f, double phi1, double lam1, double phi2, double lam2,
                     double& s, double& alpha1, double& alpha2);

// The reduced latitude of phi (Reduced_Latitude, geodesic.h) as the
// inverse problem forms it.
Reduced_Latitude Reduce_Latitude(double f, double phi);

// Geodesic_Inverse with the reduced latitudes of the two points formed
// beforehand by Reduce_Latitude(f, phi1) and (f, phi2): the same results,
// bit for bit, without the four transcendental functions per point, for
// a point that takes part in several lines.
int Geodesic_Inverse(double a, double f, double phi1, double lam1, double phi2, double lam2,
                     const Reduced_Latitude& r1, const Reduced_Latitude& r2, double& s,
                     double& alpha1, double& alpha2);

}  // namespace oru::detail
