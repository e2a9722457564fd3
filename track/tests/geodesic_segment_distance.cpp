#include "track/tests/geodesic_segment_distance.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>

#include <algorithm>
#include <cmath>

namespace oru::testing {

SegmentDistance GeodesicSegmentDistance(double a, double f, double lat_a, double lon_a,
                                        double lat_b, double lon_b, double lat_p, double lon_p) {
  const GeographicLib::Geodesic geod(a, f);
  double length = 0.0, azimuth = 0.0, azimuth_b = 0.0;
  geod.Inverse(lat_a, lon_a, lat_b, lon_b, length, azimuth, azimuth_b);
  const GeographicLib::GeodesicLine line = geod.Line(lat_a, lon_a, azimuth);
  auto distance_at = [&](double s) {
    double lat = 0.0, lon = 0.0, d = 0.0;
    line.Position(s, lat, lon);
    geod.Inverse(lat_p, lon_p, lat, lon, d);
    return d;
  };
  constexpr int kStations = 64;
  int nearest = 0;
  double best = distance_at(0.0);
  for (int k = 1; k <= kStations; ++k) {
    const double d = distance_at(length * k / kStations);
    if (d < best) {
      best = d;
      nearest = k;
    }
  }
  // Golden-section search over the stations either side of the nearest.
  double lo = length * std::max(nearest - 1, 0) / kStations;
  double hi = length * std::min(nearest + 1, kStations) / kStations;
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double x1 = hi - ratio * (hi - lo), x2 = lo + ratio * (hi - lo);
  double f1 = distance_at(x1), f2 = distance_at(x2);
  while (hi - lo > 1e-7) {
    if (f1 < f2) {
      hi = x2;
      x2 = x1;
      f2 = f1;
      x1 = hi - ratio * (hi - lo);
      f1 = distance_at(x1);
    } else {
      lo = x1;
      x1 = x2;
      f1 = f2;
      x2 = lo + ratio * (hi - lo);
      f2 = distance_at(x2);
    }
  }
  const double s = 0.5 * (lo + hi);
  const double inner = distance_at(s);
  const double ends = std::min(distance_at(0.0), distance_at(length));
  if (inner < ends && s > 1e-6 && s < length - 1e-6) return {inner, true};
  return {ends, false};
}

}  // namespace oru::testing
