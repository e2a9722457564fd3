#pragma once

// Shared helpers of the geodesy tests: positions given as signed decimal
// degrees are split into the degrees, minutes, seconds and letters that the
// library reads, and the seeded case generators.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru::test {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kDegToRad = kPi / 180.0;

// Degrees, minutes, seconds of |deg| (seconds rounded to 1e-6 arc-second, so
// they never reach 60).
struct Dms {
  std::int32_t d, m;
  double s;
};
inline Dms Split(double deg) {
  double x = std::fabs(deg);
  auto d = static_cast<std::int32_t>(std::floor(x));
  double rest = (x - d) * 60.0;
  auto m = static_cast<std::int32_t>(std::floor(rest));
  double s = std::round((rest - m) * 60.0 * 1e6) / 1e6;
  if (s >= 60.0) {
    s = 0.0;
    ++m;
  }
  if (m >= 60) {
    m = 0;
    ++d;
  }
  return {d, m, s};
}

// The signed decimal degrees that a DMS group stands for.
inline double Degrees(std::int32_t d, std::int32_t m, double s, char hemi) {
  const double v = d + m / 60.0 + s / 3600.0;
  return (hemi == 'S' || hemi == 'W') ? -v : v;
}

template <class P>
void Set_Position(P& p, double lat, double lon) {
  const Dms a = Split(lat);
  const Dms o = Split(lon);
  p.lat_deg = a.d;
  p.lat_min = a.m;
  p.lat_sec = a.s;
  p.lat_hemi = lat < 0 ? 'S' : 'N';
  p.lon_deg = o.d;
  p.lon_min = o.m;
  p.lon_sec = o.s;
  p.lon_hemi = lon < 0 ? 'W' : 'E';
}

template <class P>
double Lat_Of(const P& p) {
  return Degrees(p.lat_deg, p.lat_min, p.lat_sec, p.lat_hemi);
}
template <class P>
double Lon_Of(const P& p) {
  return Degrees(p.lon_deg, p.lon_min, p.lon_sec, p.lon_hemi);
}

inline void Set_Azimuth(Geo_Azimuth& az, double deg) {
  const Dms a = Split(deg);
  az.deg = a.d;
  az.min = a.m;
  az.sec = a.s;
}

inline Geo_Line Line(double lat1, double lon1, double lat2, double lon2, char type = 'G') {
  Geo_Line g{};
  g.line_type = type;
  Set_Position(g.P1, lat1, lon1);
  Set_Position(g.P2, lat2, lon2);
  return g;
}

inline DatumParams Wgs84() {
  DatumParams d{};
  d.text = kWgs84DatumString;
  return d;
}
inline DatumParams Ed50() {
  DatumParams d{};
  d.text = kEd50DatumString;
  return d;
}

// Difference of two angles in radians, folded into -pi..pi.
inline double Angle_Diff(double x, double y) { return std::remainder(x - y, 2.0 * kPi); }

// The seeded generator of every randomised table.
inline std::mt19937_64 Rng(std::uint64_t seed) { return std::mt19937_64(seed); }
inline double Uniform(std::mt19937_64& g, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(g);
}

}  // namespace oru::test
