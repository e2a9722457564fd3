#include "geodesy/angles.h"

#include <limits>

#include "geodesy/detail.h"
#include "geodesy/error_codes.h"

namespace oru {
namespace {

template <class P>
int Point_To_Rad(P& p) {
  double lat = 0.0;
  double lon = 0.0;
  if (!detail::Point_Radians(p, lat, lon)) return kGeodHemisphere;
  p.lat_rad = lat;
  p.lon_rad = lon;
  return kGeodOk;
}

void Azimuth_To_Dms(Geo_Azimuth& az) {
  az.rad = detail::Normalise_Azimuth(az.rad);
  detail::Rad_To_Dms(az.rad, az.deg, az.min, az.sec);
}

}  // namespace

int LatLon_To_Rad(LatLon& p) { return Point_To_Rad(p); }
int P1_To_Rad(Geo_Line& line) { return Point_To_Rad(line.P1); }
int P2_To_Rad(Geo_Line& line) { return Point_To_Rad(line.P2); }

int CM_To_Rad(TMParams& tm) {
  const char h = detail::Upper(tm.cm_hemi);
  if (h != 'E' && h != 'W') return kGeodHemisphere;
  const double cm = detail::Dms_To_Rad(tm.cm_deg, tm.cm_min, tm.cm_sec);
  tm.cm_rad = h == 'W' ? -cm : cm;
  return kGeodOk;
}

int Az_To_Rad(Geo_Line& line) {
  double az = detail::Dms_To_Rad(line.az12.deg, line.az12.min, line.az12.sec);
  if (az > detail::kTwoPi) az = std::fmod(az, detail::kTwoPi);
  line.az12.rad = az;
  return kGeodOk;
}

int LatLon_To_DMS(LatLon& p) { return detail::Point_To_Dms(p, kGeodLatRadAbove, kGeodLatRadBelow); }
int P1_To_DMS(Geo_Line& line) {
  return detail::Point_To_Dms(line.P1, kGeodP1LatRadAbove, kGeodP1LatRadBelow);
}
int P2_To_DMS(Geo_Line& line) {
  return detail::Point_To_Dms(line.P2, kGeodP2LatRadAbove, kGeodP2LatRadBelow);
}

int Az12_To_DMS(Geo_Line& line) {
  Azimuth_To_Dms(line.az12);
  return kGeodOk;
}
int Az21_To_DMS(Geo_Line& line) {
  Azimuth_To_Dms(line.az21);
  return kGeodOk;
}

std::int32_t Abs_Int(std::int32_t v) {
  if (v == std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::max();
  return v < 0 ? -v : v;
}

}  // namespace oru
