#include "track/planar_projection.h"

#include <cmath>
#include <thread>
#include <utility>

#include "geodesy/angles.h"
#include "geodesy/projections.h"
#include "geodesy/records.h"
#include "track/ellipsoidal_measures.h"

namespace oru {

double MeanValue(std::vector<double> values, std::int64_t n) {
  double sum = 0.0;
  for (std::int64_t i = 0; i < n; ++i) sum += values[static_cast<std::size_t>(i)];
  return sum / static_cast<double>(n);
}

namespace {

// The central meridian of a track whose mean longitude is m, degrees.
TMParams CentralMeridian(double m) {
  TMParams tm{};
  const double abs_m = std::fabs(m);
  const double deg = std::floor(abs_m);
  const double min = std::floor((abs_m - deg) * 60.0);
  // A mean outside +-180 degrees (NaN for no points) cannot occur on a
  // checked track; it must not reach the integer conversion either.
  if (abs_m <= 180.0) {
    tm.cm_deg = static_cast<std::int32_t>(deg);
    tm.cm_min = static_cast<std::int32_t>(min);
  }
  tm.cm_sec = ((abs_m - deg) * 60.0 - min) * 60.0;
  tm.cm_hemi = m < 0.0 ? 'W' : 'E';
  tm.k0 = 1.0;
  return tm;
}

// Projects points begin..end-1 about the central meridian of `tm`.
void ProjectPoints(std::vector<double>& first, std::vector<double>& second, std::int64_t begin,
                   std::int64_t end, DatumParams datum, TMParams tm) {
  Read_Datum(datum);
  Mericon mericon{};
  Comp_Mericon(datum, mericon);

  LatLon point{};
  for (std::int64_t i = begin; i < end; ++i) {
    const auto k = static_cast<std::size_t>(i);
    point.lat_rad = DegreesToRadians(first[k]);
    point.lon_rad = DegreesToRadians(second[k]);
    LatLon_To_DMS(point);
    Geo_To_TM(datum, point, tm, mericon);
    first[k] = tm.easting;
    second[k] = tm.northing;
  }
}

}  // namespace

void ProjectTrackToPlane(std::vector<double>& first, std::vector<double>& second, std::int64_t n,
                         DatumParams datum) {
  ProjectPoints(first, second, 0, n, std::move(datum), CentralMeridian(MeanValue(second, n)));
}

void ProjectTrackToPlane(std::vector<double>& first, std::vector<double>& second, std::int64_t n,
                         const DatumParams& datum, int threads) {
  const TMParams tm = CentralMeridian(MeanValue(second, n));
  // Below some thousands of points a thread costs more than it saves.
  if (threads < 2 || n < 4096) {
    ProjectPoints(first, second, 0, n, datum, tm);
    return;
  }
  const std::int64_t half = n / 2;
  std::thread helper([&] { ProjectPoints(first, second, half, n, datum, tm); });
  ProjectPoints(first, second, 0, half, datum, tm);
  helper.join();
}

}  // namespace oru
