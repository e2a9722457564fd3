#include "track/ellipsoidal_measures.h"

#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>

#include <cmath>
#include <random>
#include <vector>

#include "geodesy/datum.h"
#include "track/planar_projection.h"
#include "track/tests/geodesic_segment_distance.h"

namespace oru {
namespace {

DatumParams Datum(const char* text) {
  DatumParams d{};
  d.text = text;
  Read_Datum(d);
  return d;
}

// Reference figures of the WGS84 ellipsoid (a = 6378137 m, 1/f =
// 298.257223563): the equatorial arc is a times the longitude difference; the
// meridian arc from the equator to 1 degree is 110574.389 m and to 45 degrees
// 4984944.378 m (standard tables of meridian arc lengths, to the millimetre).
constexpr double kA = 6378137.0;
constexpr double kMeridianArc1 = 110574.389;
constexpr double kMeridianArc45 = 4984944.378;

struct DeviationRow {
  const char* name;
  double a1, a2, b1, b2, p1, p2;
  double expected;   // metres
  double tolerance;  // metres
};

// Rows whose answer follows from the geometry: end points, degenerate
// segments, perpendiculars onto the equator (meridian arcs), the end distance
// chosen from the angle at P, and the plain azimuth difference.
class EllipsoidalDeviationRows : public ::testing::TestWithParam<DeviationRow> {};

TEST_P(EllipsoidalDeviationRows, MatchesTheGeometry) {
  const DeviationRow& r = GetParam();
  DatumParams wgs = Datum(kWgs84DatumString);
  EXPECT_NEAR(EllipsoidalDeviation(r.a1, r.a2, r.b1, r.b2, r.p1, r.p2, wgs), r.expected,
              r.tolerance);
}

// perpend's foot carries the DMS carry of its seconds (up to 1.5 cm) and
// stops at 0.1 mm: 2 cm for perpendiculars. Distances by Pos_Pos: 0.1 mm.
INSTANTIATE_TEST_SUITE_P(
    Table, EllipsoidalDeviationRows,
    ::testing::Values(
        // P on an end point is exactly 0, not what measuring it would leave (a
        // fraction of a millimetre): both ends of the segment both ways round,
        // and a degenerate segment with P on it.
        DeviationRow{"PointOnA", 54.0, 4.0, 54.1, 4.2, 54.0, 4.0, 0.0, 0.0},
        DeviationRow{"PointOnB", 54.0, 4.0, 54.1, 4.2, 54.1, 4.2, 0.0, 0.0},
        DeviationRow{"PointOnAReversed", 54.1, 4.2, 54.0, 4.0, 54.1, 4.2, 0.0, 0.0},
        DeviationRow{"PointOnBReversed", 54.1, 4.2, 54.0, 4.0, 54.0, 4.0, 0.0, 0.0},
        DeviationRow{"PointOnADegenerateSegment", 54.0, 4.0, 54.0, 4.0, 54.0, 4.0, 0.0, 0.0},
        // Degenerate segment on the equator: the arc a * 1 degree.
        DeviationRow{"DegenerateSegment", 0.0, 10.0, 0.0, 10.0, 0.0, 11.0, kA * M_PI / 180.0,
                     1e-4},
        // P north of the middle of an equatorial segment: the angle at P is
        // obtuse, the foot is on the equator, the distance a meridian arc.
        DeviationRow{"PerpendicularOntoEquator", 0.0, 9.0, 0.0, 11.0, 1.0, 10.0, kMeridianArc1,
                     0.02},
        DeviationRow{"PerpendicularSouthward", 0.0, 9.0, 0.0, 11.0, -1.0, 10.0, kMeridianArc1,
                     0.02},
        // A segment along a meridian, P beyond its southern end on it: A and
        // B are both due north of P (azimuths 0 and 0), within a right
        // angle: the distance to A.
        DeviationRow{"AlongTheMeridianBeyondTheEnd", 1.0, 20.0, 2.0, 20.0, 0.0, 20.0,
                     kMeridianArc1, 1e-3},
        // The segment leaning a little east of north and P south of it, seen
        // from P at azimuths just below 360 (A) and just above 0 degrees (B):
        // the short way round they lie 0.01 degrees apart, so P gets the
        // distance to A (the meridian arc and 11 m of longitude), not the
        // 33 m to the extended line west of P.
        DeviationRow{"AzimuthsEitherSideOfNorth", 1.0, 19.9999, 2.0, 20.0001, 0.0, 20.0,
                     kMeridianArc1, 1e-3}),
    [](const auto& info) { return info.param.name; });

// Where P lies against the segment, which says what the deviation must be.
enum class Against {
  kWithinTheSpan,     // the angle at P is obtuse: the distance to the segment
  kBeyondAnEnd,       // the segment's nearest point is an end: that distance
  kOutsideTheCircle,  // acute angle at P, foot inside: the nearer end, larger
};

struct SegmentRow {
  const char* name;
  const char* datum;
  double lat, lon;       // P, degrees
  double az_a, dist_a;   // A seen from P: azimuth (degrees), metres
  double az_b, dist_b;   // B likewise
  Against against;
  double tolerance = 0.001;  // metres
};

// Segments placed about P with GeographicLib's direct problem, at azimuths
// either side of north and of south, short (metres, as AIS fixes of a ship
// manoeuvring) and long, on both ellipsoids: the deviation against the
// distance to the geodesic segment found independently (GeographicLib,
// track/tests/geodesic_segment_distance). Within 1 mm where the deviation is
// that distance; never below it by more than 1 mm anywhere.
class DeviationAgainstTheSegment : public ::testing::TestWithParam<SegmentRow> {};

TEST_P(DeviationAgainstTheSegment, NeverCloserThanTheSegment) {
  const SegmentRow& r = GetParam();
  DatumParams datum = Datum(r.datum);
  const GeographicLib::Geodesic geod(datum.a, datum.f);
  double a1 = 0.0, a2 = 0.0, b1 = 0.0, b2 = 0.0;
  geod.Direct(r.lat, r.lon, r.az_a, r.dist_a, a1, a2);
  geod.Direct(r.lat, r.lon, r.az_b, r.dist_b, b1, b2);
  const testing::SegmentDistance truth =
      testing::GeodesicSegmentDistance(datum.a, datum.f, a1, a2, b1, b2, r.lat, r.lon);
  const double measured = EllipsoidalDeviation(a1, a2, b1, b2, r.lat, r.lon, datum);
  EXPECT_EQ(truth.foot_inside, r.against != Against::kBeyondAnEnd) << "the row's geometry";
  if (r.against == Against::kOutsideTheCircle) {
    EXPECT_GE(measured, truth.metres - r.tolerance);
    EXPECT_NEAR(measured, std::min(r.dist_a, r.dist_b), r.tolerance);
  } else {
    EXPECT_NEAR(measured, truth.metres, r.tolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviationAgainstTheSegment,
    ::testing::Values(
        // A ship's fixes a few metres apart: P 5.3 m behind A, A north-west
        // and B north of P (the fix that a plain azimuth difference of 327
        // degrees measured 4.85 m instead of 5.30 m), mirrored, and turned
        // to either side of south.
        SegmentRow{"BehindAFromTheNorthWest", kWgs84DatumString, 30.5, 32.35, 327.0, 5.30, 0.0,
                   8.89, Against::kBeyondAnEnd},
        SegmentRow{"BehindAFromTheNorthEast", kWgs84DatumString, 30.5, 32.35, 33.0, 5.30, 0.0,
                   8.89, Against::kBeyondAnEnd},
        SegmentRow{"BehindBFromTheNorthEast", kWgs84DatumString, 30.5, 32.35, 0.0, 8.89, 33.0,
                   5.30, Against::kBeyondAnEnd},
        SegmentRow{"BehindAFromTheSouth", kWgs84DatumString, 30.5, 32.35, 147.0, 5.30, 180.0,
                   8.89, Against::kBeyondAnEnd},
        SegmentRow{"Short350And10", kWgs84DatumString, 54.0, 4.0, 350.0, 5.0, 10.0, 8.0,
                   Against::kBeyondAnEnd},
        SegmentRow{"Long350And10", kWgs84DatumString, 54.0, 4.0, 350.0, 2000.0, 10.0, 3000.0,
                   Against::kBeyondAnEnd},
        SegmentRow{"South170And190", kWgs84DatumString, -70.0, -60.0, 170.0, 50.0, 190.0, 80.0,
                   Against::kBeyondAnEnd},
        SegmentRow{"BeyondTheEndOfAMeridianLine", kWgs84DatumString, 0.0, 20.0, 0.0, 1000.0, 0.0,
                   2000.0, Against::kBeyondAnEnd},
        SegmentRow{"BehindAOnED50", kEd50DatumString, 55.5, 3.0, 327.0, 5.30, 0.0, 8.89,
                   Against::kBeyondAnEnd},
        // P within the span, the segment crossing north or south of it.
        SegmentRow{"AcrossNorthWithinTheSpan", kWgs84DatumString, 46.43, 13.74, 290.0, 40.0, 60.0,
                   60.0, Against::kWithinTheSpan},
        SegmentRow{"AlmostOnTheSegment", kWgs84DatumString, 54.0, 4.0, 359.9, 100.0, 180.1, 150.0,
                   Against::kWithinTheSpan},
        // P on the segment and its foot on P's parallel: Vincenty's inverse
        // nudges equal reduced latitudes apart, by 3.2 mm (geodesy/geodesic.h).
        SegmentRow{"AlongAParallel", kWgs84DatumString, 54.0, 4.0, 90.0, 500.0, 270.0, 700.0,
                   Against::kWithinTheSpan, 0.004},
        SegmentRow{"LongAcrossSouth", kEd50DatumString, 55.5, 3.0, 150.0, 20000.0, 250.0, 30000.0,
                   Against::kWithinTheSpan},
        SegmentRow{"AtTheAntimeridian", kWgs84DatumString, 60.0, 179.9999, 100.0, 300.0, 300.0,
                   200.0, Against::kWithinTheSpan},
        // Outside the circle over A-B with the foot inside: the nearer end,
        // also where the plain difference (280 degrees) exceeds a right
        // angle and the angle at P (80 degrees) does not.
        SegmentRow{"AcuteAcrossNorth", kWgs84DatumString, 54.0, 4.0, 300.0, 30.0, 20.0, 45.0,
                   Against::kOutsideTheCircle},
        SegmentRow{"AcuteAbeam", kWgs84DatumString, 0.0, 0.0, 330.0, 100.0, 30.0, 100.0,
                   Against::kOutsideTheCircle}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EllipsoidalDeviation, EndDistanceWhenAAndBLieWithinARightAngle) {
  DatumParams wgs = Datum(kWgs84DatumString);
  // P south-west of A and short of it: seen from P, A and B lie within a
  // right angle, so the answer is the geodesic P-A, whatever the line.
  const double d = EllipsoidalDeviation(0.0, 10.0, 0.0, 10.5, 0.01, 9.99, wgs);
  EXPECT_DOUBLE_EQ(d, EllipsoidalEndDistance(0.0, 10.0, 0.0, 10.5, 0.01, 9.99, wgs));
  EXPECT_GT(d, 0.01 * kMeridianArc1);  // more than the perpendicular could be
  // Just inside the span at the same distance from the line: perpendicular.
  EXPECT_NEAR(EllipsoidalDeviation(0.0, 10.0, 0.0, 10.5, 0.01, 10.25, wgs), 0.01 * kMeridianArc1,
              0.05);
}

TEST(EllipsoidalDeviation, DependsOnTheEllipsoid) {
  DatumParams wgs = Datum(kWgs84DatumString);
  DatumParams ed50 = Datum(kEd50DatumString);
  const double w = EllipsoidalDeviation(54.0, 3.0, 54.0, 5.0, 54.3, 4.0, wgs);
  const double e = EllipsoidalDeviation(54.0, 3.0, 54.0, 5.0, 54.3, 4.0, ed50);
  // The International ellipsoid is 251 m larger: about 4e-5 of 34 km.
  EXPECT_GT(e, w);
  EXPECT_LT(e - w, 5.0);
}

TEST(EllipsoidalEndDistance, TakesTheNearerEnd) {
  DatumParams wgs = Datum(kWgs84DatumString);
  // On the equator: a * 0.2 degrees to A, a * 0.3 to B.
  EXPECT_NEAR(EllipsoidalEndDistance(0.0, 10.0, 0.0, 10.5, 0.0, 10.2, wgs), kA * 0.2 * M_PI / 180,
              1e-4);
  EXPECT_NEAR(EllipsoidalEndDistance(0.0, 10.5, 0.0, 10.0, 0.0, 10.2, wgs), kA * 0.2 * M_PI / 180,
              1e-4);
}

// The figure against a limit lies on the measure's side of it to the last
// bit, limits within the centimetre where the end distance along P's own
// lines hands over to the measure's included; without a limit it is the
// measure. Points behind and beside segments of 10 m to 100 km, on the
// parallel or the meridian of an end (where Vincenty nudges the lines) and
// elsewhere, near the equator, at 60 degrees and across the antimeridian.
TEST(EllipsoidalDeviationAgainst, LiesOnTheMeasuresSideOfTheLimit) {
  DatumParams wgs = Datum(kWgs84DatumString);
  std::mt19937_64 random(41);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double places[][2] = {{0.0001, 30.0}, {60.0, -20.0}, {-35.0, 179.9995}};
  auto wrap = [](double lon) { return lon > 180.0 ? lon - 360.0 : lon; };
  int ends = 0;
  for (const auto& place : places) {
    for (double size : {0.0001, 0.01, 1.0}) {  // degrees
      for (int k = 0; k < 40; ++k) {
        const double a1 = place[0] + size * unit(random) * 0.5, a2 = place[1];
        const double b1 = k % 4 == 0 ? a1 : place[0] + size * unit(random) * 0.5;
        const double b2 = wrap(place[1] + size * (1.0 + unit(random)) * 0.5);
        // P anywhere within three segment lengths, mostly behind an end;
        // on A's parallel or meridian in every fourth.
        const double p1 = k % 4 == 1 ? a1 : a1 + 1.5 * size * unit(random);
        const double p2 = k % 4 == 2 ? a2 : wrap(a2 + 3.0 * size * unit(random));
        const double d = EllipsoidalDeviation(a1, a2, b1, b2, p1, p2, wgs);
        if (d == EllipsoidalEndDistance(a1, a2, b1, b2, p1, p2, wgs)) ++ends;
        ASSERT_EQ(EllipsoidalDeviationAgainst(a1, a2, b1, b2, p1, p2, std::nan(""), wgs), d);
        for (double limit : {d, std::nextafter(d, 0.0), std::nextafter(d, 1e300), d - 1e-6,
                             d + 1e-6, d - 0.004, d + 0.004, d - 0.0095, d + 0.0095, d - 0.0105,
                             d + 0.0105, d - 0.03, d + 0.03}) {
          const double figure = EllipsoidalDeviationAgainst(a1, a2, b1, b2, p1, p2, limit, wgs);
          ASSERT_EQ(figure > limit, d > limit)
              << a1 << " " << a2 << " " << b1 << " " << b2 << " " << p1 << " " << p2
              << ", limit " << d << " + " << limit - d;
        }
      }
    }
  }
  EXPECT_GT(ends, 150);  // most points get the end distance
}

TEST(EllipsoidalLineLength, SumsTheSegmentsInOrder) {
  DatumParams wgs = Datum(kWgs84DatumString);
  const std::vector<double> lat = {0.0, 0.0, 0.0, 1.0};
  const std::vector<double> lon = {10.0, 10.5, 11.5, 11.5};
  EXPECT_EQ(EllipsoidalLineLength(lat, lon, wgs, 0), 0.0);
  EXPECT_EQ(EllipsoidalLineLength(lat, lon, wgs, 1), 0.0);
  EXPECT_NEAR(EllipsoidalLineLength(lat, lon, wgs, 3), kA * 1.5 * M_PI / 180, 2e-4);
  EXPECT_NEAR(EllipsoidalLineLength(lat, lon, wgs, 4), kA * 1.5 * M_PI / 180 + kMeridianArc1,
              1e-3);
  // m beyond the sequences is clamped; the cached term adds up to the same bits.
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < lat.size(); ++i) {
    sum += EllipsoidalSegmentLength(lat[i], lon[i], lat[i + 1], lon[i + 1], wgs);
  }
  EXPECT_EQ(EllipsoidalLineLength(lat, lon, wgs, 99), sum);
}

TEST(MeanValue, SumsInOrderAndDividesByN) {
  EXPECT_EQ(MeanValue({1.0, 2.0, 6.0, 100.0}, 3), 3.0);
  EXPECT_EQ(MeanValue({179.0, -179.0}, 2), 0.0);
  EXPECT_TRUE(std::isnan(MeanValue({}, 0)));
}

struct ProjectionRow {
  const char* name;
  std::vector<double> lat, lon;
  std::size_t at;          // the point looked at
  double easting, northing, tolerance;  // metres; NaN: not checked
};

class ProjectTrackToPlaneRows : public ::testing::TestWithParam<ProjectionRow> {};

TEST_P(ProjectTrackToPlaneRows, PlacesThePointWhereTheGeometrySays) {
  const ProjectionRow& r = GetParam();
  std::vector<double> first = r.lat;
  std::vector<double> second = r.lon;
  ProjectTrackToPlane(first, second, static_cast<std::int64_t>(first.size()),
                      Datum(kWgs84DatumString));
  if (!std::isnan(r.easting)) {
    EXPECT_NEAR(first[r.at], r.easting, r.tolerance);
  }
  if (!std::isnan(r.northing)) {
    EXPECT_NEAR(second[r.at], r.northing, r.tolerance);
  }
}

constexpr double kUnchecked = NAN;

// The series of Geo_To_TM is within 0.03 mm of the exact projection up to 1
// degree from the central meridian; the central meridian's DMS seconds keep a
// double's precision.
INSTANTIATE_TEST_SUITE_P(
    Table, ProjectTrackToPlaneRows,
    ::testing::Values(
        // Along one meridian: eastings 0, northings the meridian arcs.
        ProjectionRow{"OneMeridianAt45", {0.0, 45.0}, {7.0, 7.0}, 1, 0.0, kMeridianArc45, 1e-3},
        ProjectionRow{"OneMeridianAt1", {1.0, 45.0}, {7.0, 7.0}, 0, 0.0, kMeridianArc1, 1e-3},
        // A western mean: the central meridian must lie at -3.25, not +3.25.
        ProjectionRow{"WesternMean", {50.0, 50.5, 51.0}, {-3.0, -3.25, -3.5}, 1, 0.0, kUnchecked,
                      1e-6}),
    [](const auto& info) { return info.param.name; });

// The central meridian is the mean held as degrees, minutes and seconds:
// two points symmetric about a mean of many decimals project symmetrically.
TEST(ProjectTrackToPlane, CentralMeridianIsTheMeanToTheLastDigits) {
  for (double mean : {4.123456, -4.123456, 0.000001, 179.9}) {
    std::vector<double> first = {54.0, 54.0};
    std::vector<double> second = {mean - 0.05, mean + 0.05};
    ProjectTrackToPlane(first, second, 2, Datum(kWgs84DatumString));
    EXPECT_NEAR(first[0], -first[1], 1e-6) << mean;
    EXPECT_NEAR(second[0], second[1], 1e-6) << mean;
    EXPECT_GT(first[1], 3000.0) << mean;  // 0.05 degrees at 54 N: 3.3 km
  }
}

TEST(ProjectTrackToPlane, ATrackAcrossTheAntimeridianProjectsUselessly) {
  std::vector<double> first = {10.0, 10.0};
  std::vector<double> second = {179.5, -179.5};
  ProjectTrackToPlane(first, second, 2, Datum(kWgs84DatumString));
  // 111 km apart on the ground, but the projection about meridian 0 puts
  // them more than 1000 km apart.
  EXPECT_GT(std::hypot(first[0] - first[1], second[0] - second[1]), 1e6);
}

// The engine projects on two threads: the same bits as the plain loop.
TEST(ProjectTrackToPlane, TwoThreadsGiveTheSameBits) {
  std::vector<double> lat, lon;
  for (int i = 0; i < 10001; ++i) {
    lat.push_back(54.0 + 0.3 * std::sin(i * 0.001) + 1e-7 * (i % 13));
    lon.push_back(4.0 + 0.5 * std::cos(i * 0.0007) - 1e-7 * (i % 7));
  }
  for (const char* datum : {kWgs84DatumString, kEd50DatumString}) {
    std::vector<double> f1 = lat, s1 = lon, f2 = lat, s2 = lon;
    ProjectTrackToPlane(f1, s1, static_cast<std::int64_t>(lat.size()), Datum(datum));
    ProjectTrackToPlane(f2, s2, static_cast<std::int64_t>(lat.size()), Datum(datum), 2);
    EXPECT_EQ(f1, f2) << datum;
    EXPECT_EQ(s1, s2) << datum;
  }
}

TEST(ProjectTrackToPlane, EllipsoidMatters) {
  std::vector<double> w1 = {54.0, 54.2}, w2 = {4.0, 4.4};
  std::vector<double> e1 = w1, e2 = w2;
  ProjectTrackToPlane(w1, w2, 2, Datum(kWgs84DatumString));
  ProjectTrackToPlane(e1, e2, 2, Datum(kEd50DatumString));
  EXPECT_GT(e2[0] - w2[0], 100.0);  // a larger ellipsoid, a longer meridian arc
}

}  // namespace
}  // namespace oru
