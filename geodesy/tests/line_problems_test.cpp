// Start checks, codes and special cases of the four line problems.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "geodesy/angles.h"
#include "geodesy/error_codes.h"
#include "geodesy/geodesic.h"
#include "geodesy/rhumb.h"
#include "geodesy/tests/geodesy_test_support.h"

namespace oru::test {
namespace {

// A valid line: 52 N 4 E to 53 N 5 E, azimuth 45 degrees, 1000 m.
Geo_Line Base() {
  Geo_Line g = Line(52.0, 4.0, 53.0, 5.0);
  g.az12 = Geo_Azimuth{45, 0, 0.0, 0.0};
  g.dist = 1000.0;
  return g;
}

struct CheckRow {
  const char* what;
  std::function<void(Geo_Line&)> spoil;
  int pos_pos, pos_az_dist, pos_pos_lox, pos_ad_lox;
};

class StartChecksTest : public ::testing::TestWithParam<CheckRow> {};

// The first failing check decides the code, and nothing is written then.
TEST_P(StartChecksTest, CodeAndNothingWritten) {
  const CheckRow& row = GetParam();
  const std::function<int(DatumParams&, Geo_Line&)> fns[] = {Pos_Pos, Pos_Az_Dist, Pos_Pos_lox,
                                                             Pos_AD_Lox};
  const int codes[] = {row.pos_pos, row.pos_az_dist, row.pos_pos_lox, row.pos_ad_lox};
  for (int k = 0; k < 4; ++k) {
    DatumParams datum = Wgs84();
    Geo_Line line = Base();
    row.spoil(line);
    line.P1.lat_rad = line.P2.lon_rad = line.az12.rad = line.az21.rad = 9.0;
    const double dist = line.dist;
    const int code = fns[k](datum, line);
    ASSERT_EQ(code, codes[k]) << row.what << ", function " << k;
    if (code != kGeodOk) {
      EXPECT_EQ(line.P1.lat_rad, 9.0) << row.what << ", function " << k;
      EXPECT_EQ(line.P2.lon_rad, 9.0);
      EXPECT_EQ(line.az12.rad, 9.0);
      EXPECT_EQ(line.az21.rad, 9.0);
      EXPECT_EQ(line.dist, dist);
    }
  }
}

constexpr int k18 = kGeodLatitudeDms, k19 = kGeodLongitudeDms, k7 = kGeodHemisphere,
              k22 = kGeodToRadians, k52 = kGeodLatitudeRange, k53 = kGeodLongitudeRange;

INSTANTIATE_TEST_SUITE_P(
    Table, StartChecksTest,
    ::testing::Values(
        CheckRow{"valid", [](Geo_Line&) {}, 0, 0, 0, 0},
        CheckRow{"P1 latitude 91", [](Geo_Line& g) { g.P1.lat_deg = 91; }, k18, k18, k18, k18},
        CheckRow{"P1 latitude -1", [](Geo_Line& g) { g.P1.lat_deg = -1; }, k18, k18, k18, k18},
        CheckRow{"P1 minutes 60", [](Geo_Line& g) { g.P1.lat_min = 60; }, k18, k18, k18, k18},
        CheckRow{"P1 seconds 60", [](Geo_Line& g) { g.P1.lat_sec = 60.0; }, k18, k18, k18, k18},
        CheckRow{"P1 seconds -0.1", [](Geo_Line& g) { g.P1.lat_sec = -0.1; }, k18, k18, k18, k18},
        CheckRow{"P1 seconds NaN", [](Geo_Line& g) { g.P1.lat_sec = NAN; }, k18, k18, k18, k18},
        CheckRow{"P1 longitude 181", [](Geo_Line& g) { g.P1.lon_deg = 181; }, k19, k19, k19, k19},
        CheckRow{"P1 lon minutes -1", [](Geo_Line& g) { g.P1.lon_min = -1; }, k19, k19, k19, k19},
        // point 2 is read by the inverse problems only
        CheckRow{"P2 latitude 91", [](Geo_Line& g) { g.P2.lat_deg = 91; }, k18, 0, k18, 0},
        CheckRow{"P2 lon seconds 60", [](Geo_Line& g) { g.P2.lon_sec = 60.0; }, k19, 0, k19, 0},
        CheckRow{"P1 longitude before P2 latitude",
                 [](Geo_Line& g) {
                   g.P1.lon_deg = 200;
                   g.P2.lat_deg = 100;
                 },
                 k19, k19, k19, k19},
        CheckRow{"DMS before letters",
                 [](Geo_Line& g) {
                   g.P1.lat_hemi = 'X';
                   g.P2.lon_min = 70;
                 },
                 k19, k7, k19, k7},
        // letters compare exactly: lower case is refused
        CheckRow{"P1 latitude 'n'", [](Geo_Line& g) { g.P1.lat_hemi = 'n'; }, k7, k7, k7, k7},
        CheckRow{"P1 longitude 'e'", [](Geo_Line& g) { g.P1.lon_hemi = 'e'; }, k7, k7, k7, k7},
        CheckRow{"P2 latitude 's'", [](Geo_Line& g) { g.P2.lat_hemi = 's'; }, k7, 0, k7, 0},
        // ... except point 2's longitude in Pos_Pos_lox, which its conversion
        // reads in either case
        CheckRow{"P2 longitude 'w'", [](Geo_Line& g) { g.P2.lon_hemi = 'w'; }, k7, 0, 0, 0},
        CheckRow{"P2 longitude 'X'", [](Geo_Line& g) { g.P2.lon_hemi = 'X'; }, k7, 0, k22, 0},
        // radian ranges after the conversion: 90 30' and 180 30' pass the DMS checks
        CheckRow{"P1 latitude 90 30'",
                 [](Geo_Line& g) {
                   g.P1.lat_deg = 90;
                   g.P1.lat_min = 30;
                 },
                 k52, k52, k52, k52},
        CheckRow{"P1 longitude 180 30'",
                 [](Geo_Line& g) {
                   g.P1.lon_deg = 180;
                   g.P1.lon_min = 30;
                 },
                 k53, k53, k53, k53},
        CheckRow{"P1 longitude range before P2 latitude range",
                 [](Geo_Line& g) {
                   g.P1.lon_deg = 180;
                   g.P1.lon_sec = 1.0;
                   g.P2.lat_deg = 90;
                   g.P2.lat_sec = 1.0;
                 },
                 k53, k53, k53, k53},
        CheckRow{"P2 latitude 90 0' 1\"",
                 [](Geo_Line& g) {
                   g.P2.lat_deg = 90;
                   g.P2.lat_sec = 1.0;
                 },
                 k52, 0, k52, 0},
        CheckRow{"letters before radian ranges",
                 [](Geo_Line& g) {
                   g.P1.lat_deg = 90;
                   g.P1.lat_min = 1;
                   g.P2.lat_hemi = 'x';
                 },
                 k7, k52, k7, k52},
        // the poles and the antimeridian themselves are in range
        CheckRow{"poles and 180",
                 [](Geo_Line& g) {
                   g.P1 = Geo_Point{90, 0, 0.0, 'S', 0.0, 180, 0, 0.0, 'W', 0.0};
                   g.P2 = Geo_Point{90, 0, 0.0, 'N', 0.0, 180, 0, 0.0, 'E', 0.0};
                 },
                 0, 0, 0, 0}));

// Special cases of the inverse problems: distance (metres) and azimuths
// (degrees), with tolerances of the exact values.
struct SpecialRow {
  const char* what;
  char type;
  double lat1, lon1, lat2, lon2;
  double dist, dist_tol;
  double az12, az21;  // degrees
};

class SpecialCasesTest : public ::testing::TestWithParam<SpecialRow> {};

TEST_P(SpecialCasesTest, InverseProblems) {
  const SpecialRow& r = GetParam();
  DatumParams datum = Wgs84();
  Geo_Line line = Line(r.lat1, r.lon1, r.lat2, r.lon2, r.type);
  ASSERT_EQ(r.type == 'G' ? Pos_Pos(datum, line) : Pos_Pos_lox(datum, line), kGeodOk) << r.what;
  EXPECT_NEAR(line.dist, r.dist, r.dist_tol) << r.what;
  // Azimuths within 1e-6 degree (a meridian line starts 5e-11 rad off it).
  EXPECT_NEAR(std::remainder(line.az12.rad / kDegToRad - r.az12, 360.0), 0.0, 1e-6) << r.what;
  EXPECT_NEAR(std::remainder(line.az21.rad / kDegToRad - r.az21, 360.0), 0.0, 1e-6) << r.what;
  const double dms = line.az12.deg + line.az12.min / 60.0 + line.az12.sec / 3600.0;
  EXPECT_NEAR(std::remainder(dms - r.az12, 360.0), 0.0, 1e-6) << r.what;
}

constexpr double kA = 6378137.0;
constexpr double kE2 = (2.0 - 1.0 / 298.257223563) / 298.257223563;
// a cos(phi) dlambda / sqrt(1 - e2 sin^2 phi), one degree of the parallel 52 N.
const double kParallel52 =
    kA * std::cos(52.0 * kDegToRad) * kDegToRad /
    std::sqrt(1.0 - kE2 * std::sin(52.0 * kDegToRad) * std::sin(52.0 * kDegToRad));

INSTANTIATE_TEST_SUITE_P(
    Table, SpecialCasesTest,
    ::testing::Values(
        // identical points: a longitude difference of 5e-11 rad, no division by 0
        SpecialRow{"identical", 'G', 52.0, 4.0, 52.0, 4.0, 0.0, 1e-3, 90.0, 270.0},
        // the equator is computed on the sphere of radius a
        SpecialRow{"quarter equator", 'G', 0.0, 0.0, 0.0, 90.0, kA * kPi / 2, 1e-8, 90.0, 270.0},
        SpecialRow{"quarter equator westward", 'G', 0.0, 0.0, 0.0, -90.0, kA * kPi / 2, 1e-8, 270.0,
                   90.0},
        // at +-pi the 5e-10 rad nudges shorten the arc by a few millimetres
        SpecialRow{"half equator", 'G', 0.0, 0.0, 0.0, 180.0, kA * kPi, 1e-2, 90.0, 270.0},
        SpecialRow{"half equator westward", 'G', 0.0, 0.0, 0.0, -180.0, kA * kPi, 1e-2, 270.0, 90.0},
        // across the antimeridian along the equator: eastward the short way
        SpecialRow{"equator across 180", 'G', 0.0, 170.0, 0.0, -170.0, kA * kPi / 9, 1e-8, 90.0,
                   270.0},

        // due north and due south along a meridian (arc from GeographicLib)
        SpecialRow{"due north", 'G', 52.0, 4.0, 53.0, 4.0, 111276.8258, 1e-3, 0.0, 180.0},
        SpecialRow{"due south", 'G', 53.0, 4.0, 52.0, 4.0, 111276.8258, 1e-3, 180.0, 0.0},
        // rhumb lines along a parallel: the parallel arc
        SpecialRow{"parallel east", 'L', 52.0, 4.0, 52.0, 5.0, kParallel52, 1e-8, 90.0, 270.0},
        SpecialRow{"parallel west", 'L', 52.0, 5.0, 52.0, 4.0, kParallel52, 1e-8, 270.0, 90.0},
        // across the antimeridian the shorter way
        SpecialRow{"parallel across 180", 'L', 52.0, 179.5, 52.0, -179.5, kParallel52, 1e-8, 90.0,
                   270.0},
        SpecialRow{"rhumb due north", 'L', 52.0, 4.0, 53.0, 4.0, 111276.8258, 1e-3, 0.0, 180.0},
        // to the north pole: azimuth 0 (meridian arc 52 N to the pole)
        SpecialRow{"rhumb to the pole", 'L', 52.0, 4.0, 90.0, 0.0, 4238622.1793, 1e-3, 0.0, 180.0}));

// Longitudes that differ by rounding only (a foot that perpend has moved
// onto the point's meridian): the line runs north or south, not east or
// west, whichever point lies east by 1e-9 arc-second.
TEST(LineProblemsTest, MeridianLinesWithinRounding) {
  DatumParams datum = Wgs84();
  for (const double nudge : {1e-9, -1e-9}) {
    for (const bool north : {true, false}) {
      Geo_Line line = north ? Line(52.0, 4.0, 52.01, 4.0) : Line(52.01, 4.0, 52.0, 4.0);
      line.P1.lon_sec += nudge > 0 ? nudge : 0.0;
      line.P2.lon_sec += nudge < 0 ? -nudge : 0.0;
      ASSERT_EQ(Pos_Pos(datum, line), kGeodOk);
      const double az12 = north ? 0.0 : kPi;
      EXPECT_NEAR(Angle_Diff(line.az12.rad, az12), 0.0, 1e-9) << nudge << ' ' << north;
      EXPECT_NEAR(Angle_Diff(line.az21.rad, az12 + kPi), 0.0, 1e-9) << nudge << ' ' << north;
      EXPECT_NEAR(line.dist, 1112.68, 0.01);
    }
  }
}

// A track's steps are solved from points prepared once (Pos_Pos_Prepared):
// distance and forward azimuth must be Pos_Pos's to the last bit, and a
// line Pos_Pos refuses is refused, on the degenerate lines where the inverse
// problem nudges or leaves the ellipsoid, and on lines of every length.
TEST(LineProblemsTest, PreparedPointsSolveAsPosPos) {
  struct Pair {
    double lat1, lon1, lat2, lon2;  // degrees
  };
  std::vector<Pair> pairs = {
      {52.0, 4.0, 52.0, 4.0},                // identical: the 5e-11 start
      {52.0, 4.0, 52.0, 3.999},              // equal reduced latitudes, westward: nudged
      {52.0, 4.0, 52.0, 4.001},              // the same eastward
      {0.0, 0.0, 0.0, 90.0},                 // the equator's sphere
      {0.0, 0.0, 0.0, 180.0},                // the equator's sphere, half round
      {30.0, -90.0, 30.0, 90.0},             // +-pi with equal reduced latitudes: nudged
      {1e-13, 170.0, -1e-13, -170.0},        // the equator across the antimeridian
      {52.0, 4.0, 53.0, 4.0},                // a meridian
      {89.9999999, 0.0, 90.0, 0.0},          // to the pole
      {-90.0, 0.0, 90.0, 0.0},               // pole to pole
      {0.5, 0.0, -0.5, 179.7},               // nearly antipodal: GeographicLib measures it
      {52.0, 190.0, 52.0, 4.0},              // a longitude folded into -180..180
      {90.0000001, 4.0, 52.0, 4.0},          // beyond the pole: refused
      {52.0, 4.0, -90.0000001, 4.0},         // the same at point 2
  };
  auto rng = Rng(20261207);
  std::uniform_real_distribution<double> lat(-90.0, 90.0), lon(-180.0, 180.0), step(-1e-4, 1e-4);
  for (int i = 0; i < 2000; ++i) {
    const double lat1 = lat(rng), lon1 = lon(rng);
    // Short steps as on a track, and lines of any length.
    pairs.push_back(i % 2 == 0 ? Pair{lat1, lon1, lat1 + step(rng), lon1 + step(rng)}
                               : Pair{lat1, lon1, lat(rng), lon(rng)});
  }
  for (DatumParams datum : {Wgs84(), Ed50()}) {
    for (const Pair& p : pairs) {
      Geo_Line line{};
      line.P1.lat_rad = p.lat1 * kDegToRad;
      line.P1.lon_rad = p.lon1 * kDegToRad;
      line.P2.lat_rad = p.lat2 * kDegToRad;
      line.P2.lon_rad = p.lon2 * kDegToRad;
      const Geodesic_Point p1 = Prepare_Geodesic_Point(datum, line.P1.lat_rad, line.P1.lon_rad);
      const Geodesic_Point p2 = Prepare_Geodesic_Point(datum, line.P2.lat_rad, line.P2.lon_rad);
      P1_To_DMS(line);
      P2_To_DMS(line);
      const bool solved = Pos_Pos(datum, line) == kGeodOk;
      double dist = -1.0, az12 = -1.0;
      ASSERT_EQ(Pos_Pos_Prepared(datum, p1, p2, dist, az12), solved)
          << p.lat1 << ' ' << p.lon1 << ' ' << p.lat2 << ' ' << p.lon2;
      if (!solved) continue;
      EXPECT_EQ(dist, line.dist) << p.lat1 << ' ' << p.lon1 << ' ' << p.lat2 << ' ' << p.lon2;
      EXPECT_EQ(az12, line.az12.rad) << p.lat1 << ' ' << p.lon1 << ' ' << p.lat2 << ' ' << p.lon2;
    }
  }
}

TEST(LineProblemsTest, DirectFoldsTheLongitudeAcross180) {
  DatumParams datum = Wgs84();
  for (const char type : {'G', 'L'}) {
    Geo_Line line = Line(10.0, 179.9, 0.0, 0.0, type);
    line.az12 = Geo_Azimuth{90, 0, 0.0, 0.0};
    line.dist = 50000.0;
    ASSERT_EQ(type == 'G' ? Pos_Az_Dist(datum, line) : Pos_AD_Lox(datum, line), kGeodOk);
    EXPECT_EQ(line.P2.lon_hemi, 'W') << type;
    EXPECT_GT(line.P2.lon_rad, -kPi);
    EXPECT_LT(line.P2.lon_rad, -179.0 * kDegToRad);
    EXPECT_EQ(line.P2.lon_deg, 179);
  }
}

TEST(LineProblemsTest, RhumbDirectStopsAtThePole) {
  DatumParams datum = Wgs84();
  for (const double dist : {5000000.0, 4300000.0}) {
    Geo_Line line = Line(52.0, 4.0, 0.0, 0.0, 'L');
    line.az12 = Geo_Azimuth{0, 0, 0.0, 0.0};
    line.dist = dist;
    line.P2.lat_rad = 5.0;
    EXPECT_EQ(Pos_AD_Lox(datum, line), kGeodLoxodromeRange) << dist;
    EXPECT_EQ(line.P2.lat_rad, 5.0) << "nothing written";
  }
  // Southward past the south pole as well.
  Geo_Line south = Line(-80.0, 4.0, 0.0, 0.0, 'L');
  south.az12 = Geo_Azimuth{180, 0, 0.0, 0.0};
  south.dist = 2000000.0;
  EXPECT_EQ(Pos_AD_Lox(datum, south), kGeodLoxodromeRange);
}

}  // namespace
}  // namespace oru::test
