#include "geodesy/perpend.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/angles.h"
#include "geodesy/error_codes.h"
#include "geodesy/geodesic.h"
#include "geodesy/tests/geodesy_test_support.h"

namespace oru::test {
namespace {

const GeographicLib::Geodesic& Karney() {
  static const GeographicLib::Geodesic g(6378137.0, 1.0 / 298.257223563);
  return g;
}

// Point 2 of a record set from exact radians through the library's own DMS
// conversion (no rounding of the seconds).
void Set_P2_Rad(Geo_Line& g, double lat_deg, double lon_deg) {
  g.P2.lat_rad = lat_deg * kDegToRad;
  g.P2.lon_rad = lon_deg * kDegToRad;
  ASSERT_EQ(P2_To_DMS(g), kGeodOk);
}

// The foot on the exact geodesic through P1 and P2 (GeographicLib), by the
// same projection iteration run to 1e-9 m: perpendicular distance (metres)
// and foot.
struct Foot {
  double dist, lat, lon;
};
Foot Reference_Foot(double lat1, double lon1, double lat2, double lon2, double plat, double plon) {
  const GeographicLib::GeodesicLine line = Karney().InverseLine(lat1, lon1, lat2, lon2);
  double s = 0.0;
  Foot f{};
  for (int i = 0; i < 200; ++i) {
    double azl = 0.0;
    line.Position(s, f.lat, f.lon, azl);
    double azp = 0.0, azb = 0.0;
    Karney().Inverse(f.lat, f.lon, plat, plon, f.dist, azp, azb);
    const double move = std::cos((azp - azl) * kDegToRad) * f.dist;
    s += move;
    if (std::fabs(move) < 1e-9) break;
  }
  return f;
}

// Over the exact foot the perpendicular distance is stationary, so it
// carries Vincenty's error (below 1 micrometre up to 100 km) and, to second
// order, the last move allowed by the 0.1 mm settling rule. The foot lies
// within that move along the line. Measured over 5000 cases: 6 micrometres
// of distance, 9 of foot. Allowed: 0.1 mm each. (A DMS carry at 59.9995
// arc-seconds could move a foot by up to 1.5 cm; no seeded case meets one.)
TEST(PerpendTest, AgreesWithTheExactFoot) {
  auto rng = Rng(31337);
  DatumParams datum = Wgs84();
  for (int i = 0; i < 400; ++i) {
    const double lat1 = Uniform(rng, -75.0, 75.0);
    const double lon1 = Uniform(rng, -180.0, 180.0);
    double lat2 = 0.0, lon2 = 0.0, az2 = 0.0;
    const double length = std::exp(Uniform(rng, std::log(100.0), std::log(2e5)));
    Karney().Direct(lat1, lon1, Uniform(rng, 0.0, 360.0), length, lat2, lon2, az2);
    // The point: somewhere from before the start to beyond the end, up to
    // 5 km off the line.
    double flat = 0.0, flon = 0.0, faz = 0.0, plat = 0.0, plon = 0.0, paz = 0.0;
    const GeographicLib::GeodesicLine gl = Karney().InverseLine(lat1, lon1, lat2, lon2);
    gl.Position(Uniform(rng, -0.2, 1.2) * length, flat, flon, faz);
    Karney().Direct(flat, flon, faz + (i % 2 == 0 ? 90.0 : -90.0),
                    std::exp(Uniform(rng, std::log(0.01), std::log(5000.0))), plat, plon, paz);

    Geo_Line line = Line(lat1, lon1, lat2, lon2);
    Geo_Line point{};
    point.line_type = 'G';
    point.P1 = line.P1;
    Set_Position(point.P2, plat, plon);
    ASSERT_EQ(perpend(datum, line, point), kGeodOk) << "case " << i;
    const Foot ref = Reference_Foot(Lat_Of(line.P1), Lon_Of(line.P1), Lat_Of(line.P2),
                                    Lon_Of(line.P2), Lat_Of(point.P2), Lon_Of(point.P2));
    ASSERT_NEAR(point.dist, ref.dist, 1e-4) << "case " << i << ", line " << length;
    double gap = 0.0, a1 = 0.0, a2 = 0.0;
    Karney().Inverse(Lat_Of(point.P1), Lon_Of(point.P1), ref.lat, ref.lon, gap, a1, a2);
    ASSERT_LE(gap, 1e-4) << "case " << i;
  }
}

struct CaseRow {
  const char* what;
  double lat1, lon1, lat2, lon2;  // the line
  double plat, plon;              // the point
  char type;
  double dist;                    // metres, as this iteration gives it
};

class PerpendCasesTest : public ::testing::TestWithParam<CaseRow> {};

// Named cases with their exact feet (geodesic: GeographicLib; a loxodrome
// along a parallel: the meridian through the point, so the foot keeps its
// longitude), held to 0.1 mm. Their distances are also pinned to 1e-11 m
// (room for another math library's last bits): a change of the iteration,
// its settling rule or its steps, moves some by 1e-10 to 1e-9 m.
TEST_P(PerpendCasesTest, FootAndDistance) {
  const CaseRow& r = GetParam();
  DatumParams datum = Wgs84();
  Geo_Line line = Line(r.lat1, r.lon1, r.lat2, r.lon2, r.type);
  Geo_Line point{};
  point.line_type = r.type;
  point.P1 = line.P1;
  Set_Position(point.P2, r.plat, r.plon);
  ASSERT_EQ(perpend(datum, line, point), kGeodOk) << r.what;
  Foot ref{};
  if (r.type == 'G') {
    ref = Reference_Foot(r.lat1, r.lon1, r.lat2, r.lon2, r.plat, r.plon);
  } else {
    ref.lat = r.lat1;
    ref.lon = r.plon;
    double a1 = 0.0, a2 = 0.0;
    Karney().Inverse(ref.lat, ref.lon, r.plat, r.plon, ref.dist, a1, a2);
  }
  EXPECT_NEAR(point.dist, ref.dist, 1e-4) << r.what;
  EXPECT_NEAR(point.dist, r.dist, 1e-11) << r.what;
  EXPECT_NEAR(Lat_Of(point.P1), ref.lat, 1e-8) << r.what;
  EXPECT_NEAR(Lon_Of(point.P1), ref.lon, 1e-8) << r.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PerpendCasesTest,
    ::testing::Values(
        // 1000 m north of the middle of a 10 km east-west geodesic at 52 N
        CaseRow{"north of the middle", 52.0, 4.0, 52.0, 4.146, 52.008983, 4.073, 'G',
                996.99863397643378},
        // before the start: the foot moves backwards beyond P1
        CaseRow{"before the start", 52.0, 4.0, 52.1, 4.1, 51.9, 3.95, 'G', 2901.4947161611049},
        CaseRow{"beyond the end", 52.0, 4.0, 52.1, 4.1, 52.3, 4.2, 'G', 5890.378028479814},
        CaseRow{"southern hemisphere, west", -33.0, -70.0, -33.5, -70.2, -33.2, -70.0, 'G',
                7046.3806750092253},
        CaseRow{"survey line, point north", 53.761, 4.274, 53.782, 4.173, 53.791, 4.196, 'G',
                1446.6235062049843},
        CaseRow{"survey line, point south", 53.744, 4.493, 53.804, 4.628, 53.784, 4.523, 'G',
                2370.6523575822766},
        CaseRow{"loxodrome along 52 N", 52.0, 4.0, 52.0, 5.0, 52.01, 4.3, 'L', 1112.6744829171646},
        CaseRow{"loxodrome, point south", 52.0, 4.0, 52.0, 5.0, 51.95, 4.7, 'L',
                5563.3439109708952}));

// A first projection of exactly 100 m used to end the search at once and
// return the distance from the line's start; now it is one pass like any.
TEST(PerpendTest, FirstProjectionOfHundredMetres) {
  DatumParams datum = Wgs84();
  const GeographicLib::GeodesicLine gl = Karney().InverseLine(52.0, 4.0, 52.0, 4.02);
  double flat = 0.0, flon = 0.0, faz = 0.0, plat = 0.0, plon = 0.0, paz = 0.0;
  gl.Position(100.0, flat, flon, faz);
  Karney().Direct(flat, flon, faz - 90.0, 50.0, plat, plon, paz);
  Geo_Line line = Line(52.0, 4.0, 52.0, 4.0);
  Set_P2_Rad(line, 52.0, 4.02);
  Geo_Line point{};
  point.line_type = 'G';
  point.P1 = line.P1;
  Set_P2_Rad(point, plat, plon);
  {
    // The case in point: the first projection lies within 0.1 mm of 100 m.
    Geo_Line w = line;
    Geo_Line p = point;
    ASSERT_EQ(Pos_Pos(datum, w), kGeodOk);
    ASSERT_EQ(Pos_Pos(datum, p), kGeodOk);
    ASSERT_NEAR(std::cos(w.az12.rad - p.az12.rad) * p.dist, 100.0, 1e-4);
  }
  ASSERT_EQ(perpend(datum, line, point), kGeodOk);
  const Foot ref = Reference_Foot(52.0, 4.0, Lat_Of(line.P2), Lon_Of(line.P2), plat, plon);
  EXPECT_NEAR(point.dist, ref.dist, 1e-4);
  EXPECT_NEAR(point.dist, 50.0, 0.01) << "not the 111.8 m from the start";
}

TEST(PerpendTest, PointOnTheLine) {
  DatumParams datum = Wgs84();
  const GeographicLib::GeodesicLine gl = Karney().InverseLine(52.0, 4.0, 52.0, 4.146);
  double plat = 0.0, plon = 0.0, paz = 0.0;
  gl.Position(5000.0, plat, plon, paz);
  Geo_Line line = Line(52.0, 4.0, 52.0, 4.146);
  Geo_Line point{};
  point.line_type = 'G';
  point.P1 = line.P1;
  Set_P2_Rad(point, plat, plon);
  ASSERT_EQ(perpend(datum, line, point), kGeodOk);
  // "Almost 0": foot and point share their reduced latitude and differ in
  // longitude by rounding, where Pos_Pos moves point 2 north by 5e-10 rad
  // (3.2 mm) to keep Vincenty's formulae away from 0 / 0.
  EXPECT_LT(point.dist, 3.3e-3);
  double gap = 0.0, a1 = 0.0, a2 = 0.0;
  Karney().Inverse(Lat_Of(point.P1), Lon_Of(point.P1), plat, plon, gap, a1, a2);
  EXPECT_LT(gap, 1e-4) << "the foot is the point itself";
}

TEST(PerpendTest, FailedInverseProblems) {
  for (const char type : {'G', 'L'}) {
    DatumParams datum = Wgs84();
    const int expected = type == 'G' ? kGeodPerpendPosPos : kGeodPerpendPosPosLox;
    Geo_Line line = Line(52.0, 4.0, 52.0, 4.1, type);
    Geo_Line point{};
    point.P1 = line.P1;
    Set_Position(point.P2, 52.01, 4.05);
    point.P2.lat_hemi = 'n';  // refused by both inverse problems
    EXPECT_EQ(perpend(datum, line, point), expected) << type;
    Geo_Line bad_line = line;
    bad_line.P2.lat_deg = 91;
    Set_Position(point.P2, 52.01, 4.05);
    EXPECT_EQ(perpend(datum, bad_line, point), expected) << type;
  }
}

}  // namespace
}  // namespace oru::test
