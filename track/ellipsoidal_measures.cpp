#include "track/ellipsoidal_measures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "geodesy/angles.h"
#include "geodesy/geodesic.h"
#include "geodesy/perpend.h"
#include "geodesy/records.h"

namespace oru {
namespace {

constexpr double kPi = std::numbers::pi;
// How far the nearer end's distance along the lines from P may lie from that
// along the lines from the ends (EllipsoidalDeviationAgainst), with room.
constexpr double kEndAgreement = 0.01;  // metres

void SetP1(Geo_Line& line, double lat, double lon) {
  line.P1.lat_rad = DegreesToRadians(lat);
  line.P1.lon_rad = DegreesToRadians(lon);
}

void SetP2(Geo_Line& line, double lat, double lon) {
  line.P2.lat_rad = DegreesToRadians(lat);
  line.P2.lon_rad = DegreesToRadians(lon);
}

}  // namespace

Geo_Line GeodesicLine(double lat1_rad, double lon1_rad, double lat2_rad, double lon2_rad) {
  Geo_Line line{};
  line.line_type = 'G';
  line.P1.lat_rad = lat1_rad;
  line.P1.lon_rad = lon1_rad;
  line.P2.lat_rad = lat2_rad;
  line.P2.lon_rad = lon2_rad;
  P1_To_DMS(line);
  P2_To_DMS(line);
  return line;
}

double DegreesToRadians(double deg) { return deg * (1.0 / 180.0) * kPi; }

double AngleAtPoint(double azimuth_a, double azimuth_b) {
  const double delta = std::fabs(azimuth_a - azimuth_b);
  return delta <= kPi ? delta : 2.0 * kPi - delta;
}

double EllipsoidalDeviationAgainst(double a1, double a2, double b1, double b2, double p1,
                                   double p2, double limit, DatumParams& datum) {
  const double a_lat = DegreesToRadians(a1), a_lon = DegreesToRadians(a2);
  const double b_lat = DegreesToRadians(b1), b_lon = DegreesToRadians(b2);
  const double p_lat = DegreesToRadians(p1), p_lon = DegreesToRadians(p2);
  // L1: the segment A-B; L2: A to P, whose P1 perpend turns into the foot.
  Geo_Line L1 = GeodesicLine(a_lat, a_lon, b_lat, b_lon);
  Geo_Line L2 = GeodesicLine(a_lat, a_lon, p_lat, p_lon);

  if (p1 == a1 && p2 == a2) return 0.0;
  if (p1 == b1 && p2 == b2) return 0.0;
  if (a1 == b1 && a2 == b2) {
    SetP2(L1, p1, p2);
    P2_To_DMS(L1);
    Pos_Pos(datum, L1);
    return L1.dist;
  }

  // L3, L4: from P (as its DMS round trip) to A and to B. perpend moves
  // only L2's first point, and no geodesy call writes a point's DMS fields,
  // so P reads the same before perpend as after it: the angle at P is found
  // first, and the foot is sought only for a point that gets it.
  P2_To_Rad(L2);
  Geo_Line L3 = GeodesicLine(L2.P2.lat_rad, L2.P2.lon_rad, a_lat, a_lon);
  Geo_Line L4 = GeodesicLine(L2.P2.lat_rad, L2.P2.lon_rad, b_lat, b_lon);
  Pos_Pos(datum, L3);
  Pos_Pos(datum, L4);

  if (AngleAtPoint(L3.az12.rad, L4.az12.rad) <= kPi / 2.0) {
    const double nearer = std::min(L3.dist, L4.dist);
    if (nearer - kEndAgreement > limit || nearer + kEndAgreement <= limit) return nearer;
    return EllipsoidalEndDistance(a1, a2, b1, b2, p1, p2, datum);
  }
  perpend(datum, L1, L2);
  return L2.dist;
}

double EllipsoidalDeviation(double a1, double a2, double b1, double b2, double p1, double p2,
                            DatumParams& datum) {
  return EllipsoidalDeviationAgainst(a1, a2, b1, b2, p1, p2,
                                     std::numeric_limits<double>::quiet_NaN(), datum);
}

double EllipsoidalEndDistance(double a1, double a2, double b1, double b2, double p1, double p2,
                              DatumParams& datum) {
  const double p_lat = DegreesToRadians(p1), p_lon = DegreesToRadians(p2);
  Geo_Line R1 = GeodesicLine(DegreesToRadians(a1), DegreesToRadians(a2), p_lat, p_lon);
  Geo_Line R2 = GeodesicLine(DegreesToRadians(b1), DegreesToRadians(b2), p_lat, p_lon);
  Pos_Pos(datum, R1);
  Pos_Pos(datum, R2);
  return R2.dist <= R1.dist ? R2.dist : R1.dist;
}

double EllipsoidalSegmentLength(double lat_i, double lon_i, double lat_j, double lon_j,
                                DatumParams& datum) {
  Geo_Line line = GeodesicLine(DegreesToRadians(lat_i), DegreesToRadians(lon_i),
                               DegreesToRadians(lat_j), DegreesToRadians(lon_j));
  Pos_Pos(datum, line);
  return line.dist;
}

double EllipsoidalLineLength(std::span<const double> first, std::span<const double> second,
                             DatumParams& datum, std::int64_t m) {
  m = std::min<std::int64_t>(
      m, static_cast<std::int64_t>(std::min(first.size(), second.size())));
  double sum = 0.0;
  Geo_Line line{};
  for (std::int64_t i = 0; i + 1 < m; ++i) {
    const auto k = static_cast<std::size_t>(i);
    SetP1(line, first[k], second[k]);
    SetP2(line, first[k + 1], second[k + 1]);
    P1_To_DMS(line);
    P2_To_DMS(line);
    Pos_Pos(datum, line);
    sum += line.dist;
  }
  return sum;
}

}  // namespace oru
