#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "geodesy/datum.h"
#include "geodesy/angles.h"
#include "geodesy/geodesic.h"
#include "track/ellipsoidal_measures.h"
#include "track/ellipsoidal_segment_measure.h"
#include "track/selection_engine.h"
#include "track/tests/recording_observer.h"
#include "track/tests/reference_engine.h"
#include "track/tests/geo_shapes.h"
#include "track/tests/geodesic_segment_distance.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

using testing::AwkwardTracks;
using testing::Datum;
using testing::GeoTrack;
using testing::ReferenceRun;
using testing::ReferenceSelectPoints;
using testing::ShipWalk;

SelectionSettings Settings(CalculationType calculation, const GeoTrack& t, double threshold,
                           std::int64_t wanted) {
  SelectionSettings s;
  s.calculation = calculation;
  s.input_format = InputFormat::OruKvl;
  s.threshold = threshold;
  s.wanted_count = wanted;
  s.datum = Datum(t.datum);
  return s;
}

void ExpectSameAsReference(const GeoTrack& t, const SelectionSettings& settings) {
  SCOPED_TRACE(t.name + ", threshold " + std::to_string(settings.threshold) + ", wanted " +
               std::to_string(settings.wanted_count));
  const ReferenceRun expected = ReferenceSelectPoints(t.lat, t.lon, settings);
  testing::RecordingObserver seen;
  const SelectionResult got = SelectPoints(t.lat, t.lon, settings, &seen);
  EXPECT_EQ(got.selected, expected.selected);
  EXPECT_EQ(got.max_deviation, expected.max_deviation);
  EXPECT_FALSE(seen.repeats_differ);
  ASSERT_EQ(seen.iterations.size(), expected.iterations.size());
  for (std::size_t i = 0; i < seen.iterations.size(); ++i) {
    ASSERT_TRUE(testing::SameFigures(seen.iterations[i], expected.iterations[i])) << "iteration " << i;
  }
}

// The quality figures summarise every point's deviation from its segment of
// the new line, each measured plainly with EllipsoidalDeviation (the fast set
// measures them on two threads).
void ExpectQualityOfLine(const GeoTrack& t, SelectionSettings settings) {
  settings.quality_figures = true;
  const SelectionResult got = SelectPoints(t.lat, t.lon, settings, nullptr);
  DatumParams datum = settings.datum;
  const std::vector<double> deviations = testing::PlainLineDeviations(
      t.lat, t.lon, got.selected,
      [&](double a1, double a2, double b1, double b2, double p1, double p2) {
        return EllipsoidalDeviation(a1, a2, b1, b2, p1, p2, datum);
      });
  const DeviationQuality expected = SummariseDeviations(deviations);
  ASSERT_TRUE(got.quality.has_value());
  EXPECT_EQ(got.quality->mean, expected.mean) << t.name;
  EXPECT_EQ(got.quality->rms, expected.rms) << t.name;
  EXPECT_EQ(got.quality->p95, expected.p95) << t.name;
}

class EllipsoidalAgainstReference : public ::testing::TestWithParam<GeoTrack> {};

TEST_P(EllipsoidalAgainstReference, EllipsoidicByDeviationAndByCount) {
  const GeoTrack& t = GetParam();
  const auto n = static_cast<std::int64_t>(t.lat.size());
  const auto calc = CalculationType::Ellipsoidic;
  const ReferenceRun all = ReferenceSelectPoints(t.lat, t.lon, Settings(calc, t, -1.0, n));
  // Thresholds at, just above and just below deviations that a full
  // selection meets: where the stop rule flips.
  std::vector<double> thresholds = {-1.0, 0.0, 1.0};
  for (std::size_t k : {std::size_t{1}, all.iterations.size() / 3}) {
    if (k >= all.iterations.size()) continue;
    const double d = all.iterations[k].largest_deviation;
    thresholds.insert(thresholds.end(), {d, std::nextafter(d, 1e300), std::nextafter(d, -1e300)});
  }
  for (double threshold : thresholds) ExpectSameAsReference(t, Settings(calc, t, threshold, n));
  for (std::int64_t wanted : {std::int64_t{3}, n / 2, n + 1}) {
    ExpectSameAsReference(t, Settings(calc, t, 0.0, wanted));
  }
  ExpectQualityOfLine(t, Settings(calc, t, 0.0, n / 3));
}

TEST_P(EllipsoidalAgainstReference, PlanarThroughTheProjection) {
  const GeoTrack& t = GetParam();
  const auto n = static_cast<std::int64_t>(t.lat.size());
  ExpectSameAsReference(t, Settings(CalculationType::Planar, t, 0.5, n));
  ExpectSameAsReference(t, Settings(CalculationType::Planar, t, 0.0, n / 2));
}

INSTANTIATE_TEST_SUITE_P(AwkwardTracks, EllipsoidalAgainstReference,
                         ::testing::ValuesIn(AwkwardTracks()),
                         [](const ::testing::TestParamInfo<GeoTrack>& info) {
                           std::string name;
                           for (char c : info.param.name) {
                             name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                           }
                           return name;
                         });

// The pruned measure against the unpruned one, on one thread and on two, on
// every segment that a full top-down selection visits and on random ones:
// larger tracks than the literal engine can take in a test.
void ExpectPruningChangesNothing(const GeoTrack& t, std::int64_t random_segments,
                                 bool bounded = true) {
  SCOPED_TRACE(t.name);
  const DatumParams datum = Datum(t.datum);
  EllipsoidalSegmentMeasure plain(t.lat, t.lon, datum, 2, /*prune=*/false);
  EllipsoidalSegmentMeasure pruned(t.lat, t.lon, datum, 2, true);
  EllipsoidalSegmentMeasure single(t.lat, t.lon, datum, 1, true);
  EXPECT_EQ(pruned.TrackLength(), plain.TrackLength());
  EXPECT_EQ(single.TrackLength(), plain.TrackLength());

  auto same = [&](std::int64_t a, std::int64_t b) {
    const SegmentWinner x = plain.FarthestPoint(a, b);
    const SegmentWinner y = pruned.FarthestPoint(a, b);
    const SegmentWinner z = single.FarthestPoint(a, b);
    EXPECT_EQ(y.index, x.index) << a << "-" << b;
    EXPECT_EQ(y.deviation, x.deviation) << a << "-" << b;
    EXPECT_EQ(z.index, x.index) << a << "-" << b;
    EXPECT_EQ(z.deviation, x.deviation) << a << "-" << b;
    return x;
  };
  const auto n = static_cast<std::int64_t>(t.lat.size());
  std::function<void(std::int64_t, std::int64_t)> split = [&](std::int64_t a, std::int64_t b) {
    if (b - a < 2 || ::testing::Test::HasFailure()) return;
    const SegmentWinner w = same(a, b);
    split(a, w.index);
    split(w.index, b);
  };
  split(0, n - 1);
  std::mt19937_64 random(7);
  for (std::int64_t k = 0; k < random_segments && !::testing::Test::HasFailure(); ++k) {
    std::uniform_int_distribution<std::int64_t> start(0, n - 3);
    const std::int64_t a = start(random);
    std::uniform_int_distribution<std::int64_t> end(a + 2, std::min(n - 1, a + 400));
    same(a, end(random));
  }
  // The pruning is not idle: far fewer exact measures than the plain scan.
  if (bounded) {
    EXPECT_LT(pruned.ExactMeasures() * 3, plain.ExactMeasures());
  }
}

TEST(EllipsoidalPruning, ShipWalkOfThousandsOfPoints) {
  ExpectPruningChangesNothing(ShipWalk("long ship walk", 2500, 54.0, 4.0, 11), 60);
}

// A slow ship's AIS fixes, metres apart and thrown about by GPS noise:
// fixes behind their segments' ends with the ends either side of north, where
// the sweep's runs start and stop often.
TEST(EllipsoidalPruning, SlowShipWithNoiseAlongTheMeridian) {
  ExpectPruningChangesNothing(testing::SlowShipWithNoise("slow ship", 2000, 0.0, 2.0, 15), 60);
}

TEST(EllipsoidalPruning, ShipWalkOnED50) {
  ExpectPruningChangesNothing(ShipWalk("ED50 walk", 1200, 56.0, 2.5, 12, kEd50DatumString), 40);
}

TEST(EllipsoidalPruning, AcrossTheAntimeridianAndNearThePole) {
  ExpectPruningChangesNothing(ShipWalk("antimeridian walk", 1200, -40.0, 179.99, 13), 40);
  GeoTrack polar = ShipWalk("polar walk", 800, 88.995, 10.0, 14);
  ExpectPruningChangesNothing(polar, 20, /*bounded=*/false);  // no bound beyond 89 degrees
}

// A voyage of about 1,400 km with a course that turns every few tens of km:
// segments far beyond 200 km at first, where the bound searches the foot
// from a first guess, and fixes close enough for the sweep to walk long runs.
TEST(EllipsoidalPruning, VoyageOfMoreThanAThousandKilometres) {
  GeoTrack t{"voyage", {}, {}};
  std::mt19937_64 random(17);
  std::normal_distribution<double> wander(0.0, 0.002);
  std::uniform_real_distribution<double> turn(-0.1, 0.1);
  double lat = 36.0, lon = -5.0, heading = 1.45;
  for (int i = 0; i < 3000; ++i) {
    t.lat.push_back(lat);
    t.lon.push_back(lon);
    if (i % 150 == 0) heading += turn(random);
    heading += wander(random);
    lat += 470.0 * std::cos(heading) / 111200.0;
    lon += 470.0 * std::sin(heading) / (111200.0 * std::cos(lat * M_PI / 180.0));
  }
  ExpectPruningChangesNothing(t, 30);
}

TEST(EllipsoidalPruning, ZigZagWithExactTies) {
  // Equal offsets either side of a straight course along a parallel: many
  // points at exactly the same deviation from their segment.
  GeoTrack t{"zig-zag", {}, {}};
  for (int i = 0; i < 900; ++i) {
    t.lat.push_back(54.0 + (i % 2 == 0 ? 0.0 : (i % 4 == 1 ? 0.0002 : -0.0002)));
    t.lon.push_back(4.0 + 0.0004 * i);
  }
  ExpectPruningChangesNothing(t, 40);
}

// The bound itself, on points scattered around segments of every size and
// direction: the exact measure never exceeds it.
TEST(EllipsoidalPruning, BoundHoldsOnScatteredPoints) {
  DatumParams wgs = Datum(kWgs84DatumString);
  std::mt19937_64 random(21);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double places[][2] = {{54.0, 4.0}, {0.0, 179.99}, {-60.0, -30.0}, {88.5, 100.0}, {0.0, 0.0}};
  int bounded = 0;
  for (const auto& place : places) {
    for (double size : {0.0001, 0.003, 0.1, 1.0, 4.0, 12.0}) {  // degrees: 10 m to 1300 km
      for (int k = 0; k < 60; ++k) {
        const double a1 = place[0] + size * unit(random) * 0.5;
        const double a2 = place[1] + size * unit(random);
        const double b1 = place[0] + size * unit(random) * 0.5;
        const double b2 = place[1] + size * unit(random);
        const double p1 = place[0] + size * unit(random) * 0.5;
        const double p2 = place[1] + size * unit(random);
        auto wrap = [](double lon) { return lon > 180.0 ? lon - 360.0 : lon; };
        const double ab = EllipsoidalSegmentLength(a1, wrap(a2), b1, wrap(b2), wgs);
        const DeviationBound bound =
            BoundDeviation(a1, wrap(a2), b1, wrap(b2), p1, wrap(p2), ab, wgs);
        const double exact = EllipsoidalDeviation(a1, wrap(a2), b1, wrap(b2), p1, wrap(p2), wgs);
        ASSERT_LE(exact, bound.upper) << a1 << " " << a2 << " " << b1 << " " << b2 << " " << p1
                                      << " " << p2;
        if (bound.upper < std::numeric_limits<double>::infinity()) ++bounded;
      }
    }
  }
  EXPECT_GT(bounded, 1200);  // all but the polar rows and the widest are bounded
}

// The sweep's bounds of the points after an anchor hold against the measure
// on every point, with runs of up to 60 points from each anchor: along ship walks, a voyage, and a rhumb line at 70N that
// leaves A along the very azimuth of the segment's geodesic, so that only the
// turning of the geodesic's azimuth (the meridians' convergence) separates
// the two: a step bound that ignored it would stay at millimetres while the
// track drifts kilometres from the line.
TEST(EllipsoidalPruning, SweptBoundsHoldOnEveryPoint) {
  DatumParams wgs = Datum(kWgs84DatumString);
  GeoTrack rhumb{"rhumb line at 70N", {}, {}};
  {
    Geo_Line g{};
    g.line_type = 'G';
    g.P1.lat_rad = DegreesToRadians(70.0);
    g.P1.lon_rad = DegreesToRadians(10.0);
    P1_To_DMS(g);
    g.az12.rad = DegreesToRadians(75.0);
    Az12_To_DMS(g);
    g.dist = 150000.0;
    Pos_Az_Dist(wgs, g);
    double lat = 70.0, lon = 10.0;
    for (int i = 0; i < 400; ++i) {
      rhumb.lat.push_back(lat);
      rhumb.lon.push_back(lon);
      lat += 250.0 * std::cos(DegreesToRadians(75.0)) / 111400.0;
      lon += 250.0 * std::sin(DegreesToRadians(75.0)) / (111400.0 * std::cos(DegreesToRadians(lat)));
    }
    rhumb.lat.push_back(g.P2.lat_rad * 180.0 / M_PI);
    rhumb.lon.push_back(g.P2.lon_rad * 180.0 / M_PI);
  }
  for (const GeoTrack& t : {ShipWalk("ship walk", 1500, 54.0, 4.0, 31), rhumb,
                            ShipWalk("ship walk at 75S", 1500, -75.0, 140.0, 32),
                            testing::SlowShipWithNoise("slow ship", 1500, 3.1, 3.0, 33)}) {
    const DatumParams datum = Datum(t.datum);
    EllipsoidalSegmentMeasure measure(t.lat, t.lon, datum, 1, true);
    const auto n = static_cast<std::int64_t>(t.lat.size());
    for (const auto& [a, b] : {std::pair<std::int64_t, std::int64_t>{0, n - 1}, {0, n / 3},
                               {n / 3, n - 1}, {n / 2, n / 2 + 40}}) {
      const std::vector<double> bounds = measure.SweptBounds(a, b, 60);
      for (std::int64_t p = a + 1; p < b; ++p) {
        const auto i = static_cast<std::size_t>(a), j = static_cast<std::size_t>(b),
                   k = static_cast<std::size_t>(p);
        DatumParams d = datum;
        const double exact =
            EllipsoidalDeviation(t.lat[i], t.lon[i], t.lat[j], t.lon[j], t.lat[k], t.lon[k], d);
        ASSERT_LE(exact, bounds[static_cast<std::size_t>(p - a - 1)])
            << t.name << ", segment " << a << "-" << b << ", point " << p;
      }
    }
  }
}

// Points within metres of long segments (200 to 2500 km), where the bound is
// tight: the foot is searched from a first guess, and only the slop of the
// two searches separates the bound from the measure.
TEST(EllipsoidalPruning, BoundHoldsNearLongSegments) {
  DatumParams wgs = Datum(kWgs84DatumString);
  std::mt19937_64 random(23);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int k = 0; k < 150; ++k) {
    const double a1 = -60.0 + 120.0 * unit(random), a2 = -180.0 + 360.0 * unit(random);
    const double length = 2.0e5 + 2.3e6 * unit(random);
    Geo_Line ab{};
    ab.line_type = 'G';
    ab.P1.lat_rad = DegreesToRadians(a1);
    ab.P1.lon_rad = DegreesToRadians(a2);
    P1_To_DMS(ab);
    ab.az12.rad = 2.0 * M_PI * unit(random);
    Az12_To_DMS(ab);
    ab.dist = length;
    Pos_Az_Dist(wgs, ab);
    const double b1 = ab.P2.lat_rad * 180.0 / M_PI, b2 = ab.P2.lon_rad * 180.0 / M_PI;
    // P: a point of the segment moved a few metres to either side.
    Geo_Line ap = ab;
    ap.dist = length * unit(random);
    Pos_Az_Dist(wgs, ap);
    const double p1 = ap.P2.lat_rad * 180.0 / M_PI + (unit(random) - 0.5) * 1e-4;
    const double p2 = ap.P2.lon_rad * 180.0 / M_PI + (unit(random) - 0.5) * 1e-4;
    const double sides = EllipsoidalSegmentLength(a1, a2, b1, b2, wgs);
    const DeviationBound bound = BoundDeviation(a1, a2, b1, b2, p1, p2, sides, wgs);
    const double exact = EllipsoidalDeviation(a1, a2, b1, b2, p1, p2, wgs);
    ASSERT_LE(exact, bound.upper) << a1 << " " << a2 << " " << b1 << " " << b2 << " " << p1 << " "
                                  << p2;
    EXPECT_LT(bound.upper, exact + 0.1);  // tight enough to prune
  }
}

// The tolerance holds by a measure independent of the program's geodesy:
// every point left out lies within the maximum deviation of its segment of
// the new line, by GeographicLib's distance to the geodesic segment, for
// both methods on tracks where fixes fall behind their segments' ends with
// the ends either side of north: slow ships' AIS logs along a meridian, a
// parallel and southward, switchback hikes, ships manoeuvring, and short
// segments with a fix behind one end.
TEST(EllipsoidalTolerance, HoldsByTheDistanceToTheGeodesicSegment) {
  std::vector<GeoTrack> tracks;
  for (const double heading : {0.0, 0.3, M_PI / 2.0, M_PI}) {
    for (const double noise : {0.5, 3.0}) {
      tracks.push_back(testing::SlowShipWithNoise(
          "slow ship, heading " + std::to_string(heading) + ", noise " + std::to_string(noise),
          300, heading, noise, static_cast<unsigned>(100 * heading + noise)));
    }
  }
  tracks.push_back(testing::SwitchbackHike(14, 5));
  tracks.push_back(testing::FixesBehindEndsAcrossNorth());
  for (const GeoTrack& t : AwkwardTracks()) {
    if (t.name.find("at 54N") != std::string::npos) tracks.push_back(t);
  }
  for (const GeoTrack& t : tracks) {
    DatumParams datum = Datum(t.datum);
    const GeographicLib::Geodesic geod(datum.a, datum.f);
    const auto n = static_cast<std::int64_t>(t.lat.size());
    for (const SelectionMethod method : {SelectionMethod::DouglasPeucker, SelectionMethod::Optimal}) {
      for (const double tolerance : {1.0, 5.0, 20.0}) {
        SelectionSettings s = Settings(CalculationType::Ellipsoidic, t, tolerance, n);
        s.method = method;
        const SelectionResult got = SelectPoints(t.lat, t.lon, s, nullptr);
        for (std::size_t k = 0; k + 1 < got.selected.size(); ++k) {
          const auto a = static_cast<std::size_t>(got.selected[k] - 1);
          const auto b = static_cast<std::size_t>(got.selected[k + 1] - 1);
          for (std::size_t p = a + 1; p < b; ++p) {
            // Within the tolerance of an end: within it of the segment.
            double to_a = 0.0, to_b = 0.0;
            geod.Inverse(t.lat[p], t.lon[p], t.lat[a], t.lon[a], to_a);
            geod.Inverse(t.lat[p], t.lon[p], t.lat[b], t.lon[b], to_b);
            if (std::min(to_a, to_b) <= tolerance) continue;
            const double d = testing::GeodesicSegmentDistance(
                datum.a, datum.f, t.lat[a], t.lon[a], t.lat[b], t.lon[b], t.lat[p], t.lon[p]).metres;
            // The measure reads each point as its DMS round trip (seconds
            // above 59.9995 carry, up to 1.5 cm) and Vincenty's inverse nudges
            // equal reduced latitudes by 3.2 mm: 2 cm in all.
            ASSERT_LE(d, tolerance + 0.02)
                << t.name << (method == SelectionMethod::Optimal ? ", optimal" : "")
                << ", tolerance " << tolerance << ": point " << p + 1 << " of segment "
                << a + 1 << "-" << b + 1;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace oru
