#pragma once

namespace oru::testing {

// The distance from P to the geodesic segment A-B on an ellipsoid (semi-major
// axis a in metres, flattening f), found independently of the program's
// geodesy: GeographicLib (Karney 2013) solves the segment and the distances,
// and the nearest point of the segment is searched along it (a scan of 64
// stations, then a golden-section search about the nearest, to 1e-7 m of
// way). Coordinates in signed degrees, latitude first. For tests only:
// segments within a quarter of the globe, where the distance from P along
// the segment has at most one interior minimum.
struct SegmentDistance {
  double metres;
  bool foot_inside;  // the nearest point lies strictly within the segment
};
SegmentDistance GeodesicSegmentDistance(double a, double f, double lat_a, double lon_a,
                                        double lat_b, double lon_b, double lat_p, double lon_p);

}  // namespace oru::testing
