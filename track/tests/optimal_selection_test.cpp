#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "geodesy/datum.h"
#include "track/direction_wedge.h"
#include "track/ellipsoidal_measures.h"
#include "track/ellipsoidal_shortcuts.h"
#include "track/optimal_selection.h"
#include "track/planar_measures.h"
#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/selection_engine.h"
#include "track/shortcut_labels.h"
#include "track/tests/geo_shapes.h"
#include "track/tests/optimal_reference.h"
#include "track/tests/recording_observer.h"
#include "track/tests/reference_engine.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

using testing::Datum;
using testing::GeoTrack;
using testing::OptimalReference;
using testing::PlainLabels;
using testing::ShortcutWeights;

struct Case {
  std::string name;
  std::vector<double> first, second;
  SelectionSettings settings;  // method, calculation, input format, datum
};

SelectionSettings Optimal(CalculationType calculation, InputFormat format, const char* datum) {
  SelectionSettings s;
  s.method = SelectionMethod::Optimal;
  s.calculation = calculation;
  s.input_format = format;
  if (datum != nullptr) s.datum = Datum(datum);
  return s;
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (const testing::TrackShape& t : testing::GeneratedTracks()) {
    cases.push_back({t.name, t.first, t.second,
                     Optimal(CalculationType::Planar, InputFormat::AsciiXY, nullptr)});
  }
  for (const GeoTrack& t : testing::AwkwardTracks()) {
    cases.push_back({t.name + ", ellipsoidic", t.lat, t.lon,
                     Optimal(CalculationType::Ellipsoidic, InputFormat::OruKvl, t.datum)});
    cases.push_back({t.name + ", planar", t.lat, t.lon,
                     Optimal(CalculationType::Planar, InputFormat::OruKvl, t.datum)});
  }
  return cases;
}

std::string TestName(const ::testing::TestParamInfo<Case>& info) {
  std::string name;
  for (char c : info.param.name)
    name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return name + "_" + std::to_string(info.index);
}

SelectionResult Thin(const Case& c, double threshold, std::int64_t wanted) {
  SelectionSettings s = c.settings;
  s.threshold = threshold;
  s.wanted_count = wanted;
  return SelectPoints(c.first, c.second, s, nullptr);
}

void ExpectSame(const SelectionResult& got, const OptimalReference& want) {
  EXPECT_EQ(got.selected, want.selected);
  EXPECT_TRUE(testing::SameFigures(got.statistics, want.statistics));
  EXPECT_EQ(got.max_deviation, want.statistics.largest_deviation);
}

class OptimalAgainstBruteForce : public ::testing::TestWithParam<Case> {};

// The fewest points for a tolerance: at tolerances equal to the weights of
// lightest routes, where the decision flips (a filter that cut one ulp too
// deep would lose a shortcut there), and one ulp either side.
TEST_P(OptimalAgainstBruteForce, ByDeviation) {
  const Case& c = GetParam();
  const auto n = static_cast<std::int64_t>(c.first.size());
  if (n <= 2) {
    EXPECT_EQ(Thin(c, 1.0, n).selected.size(), c.first.size());
    return;
  }
  const ShortcutWeights w(c.first, c.second, c.settings);
  std::vector<double> thresholds = {0.0};
  for (std::int64_t wanted : {std::int64_t{2}, std::int64_t{3}, n / 4, n / 2}) {
    const double t = testing::ReferenceByCount(w, wanted).statistics.largest_deviation;
    thresholds.insert(thresholds.end(), {t, std::nextafter(t, 1e300), std::nextafter(t, -1.0)});
  }
  for (double d : thresholds) {
    if (!(d >= 0.0)) continue;
    SCOPED_TRACE("threshold " + std::to_string(d));
    ExpectSame(Thin(c, d, n), testing::ReferenceByDeviation(w, d));
  }
  EXPECT_EQ(Thin(c, -1.0, n).selected.size(), c.first.size());  // negative: every point
}

// The least deviation for a number of points: exact where the search says
// so, otherwise within its bracket of at most 1 mm around the optimum.
TEST_P(OptimalAgainstBruteForce, ByCount) {
  const Case& c = GetParam();
  const auto n = static_cast<std::int64_t>(c.first.size());
  if (n <= 2) return;
  const ShortcutWeights w(c.first, c.second, c.settings);
  for (std::int64_t wanted :
       {std::int64_t{1}, std::int64_t{2}, std::int64_t{3}, n / 3, n - 1, n + 1}) {
    SCOPED_TRACE("wanted " + std::to_string(wanted));
    const SelectionResult got = Thin(c, 0.0, wanted);
    const OptimalReference want = testing::ReferenceByCount(w, wanted);
    if (!got.bracket || got.bracket->exact) {
      ExpectSame(got, want);
      continue;
    }
    const double optimum = want.statistics.largest_deviation;
    EXPECT_LE(got.bracket->upper - got.bracket->lower, std::max(0.001, 1e-9 * optimum));
    EXPECT_LT(got.bracket->lower, optimum);
    EXPECT_LE(optimum, got.max_deviation);
    EXPECT_EQ(got.max_deviation, got.bracket->upper);
    EXPECT_LE(got.statistics.count, std::max<std::int64_t>(wanted, 2));
  }
}

INSTANTIATE_TEST_SUITE_P(Tracks, OptimalAgainstBruteForce, ::testing::ValuesIn(Cases()), TestName);

// The search for a count on tracks too long for the brute force, where it
// meets cliffs and plateaus of the count and gives up wide trials (on the
// zig-zag of changing amplitude, whose end foretells its count badly, all
// it may): an exact end is the selection that thinning by its own
// deviation gives, and one ulp below it needs more points; any end keeps
// at most N points, its deviation is the kept line's largest, and (unless
// it is 0) no selection of N points lies within the bracket's lower end.
TEST(OptimalSelection, CountsOfLongTracksAgreeWithTheirDeviations) {
  struct Row {
    int points;
    const char* shape;  // every shape when empty
    std::vector<std::int64_t> wanted;
  };
  const Row rows[] = {{4000, "", {16, 400}}, {8000, "zig-zag of changing amplitude", {1000}}};
  for (const Row& row : rows) {
    for (const testing::TrackShape& t : testing::ScalableTracks(row.points)) {
      if (*row.shape != '\0' && t.name != row.shape) continue;
      const Case c{t.name, t.first, t.second,
                   Optimal(CalculationType::Planar, InputFormat::AsciiXY, nullptr)};
      const auto n = static_cast<std::int64_t>(c.first.size());
      for (const std::int64_t wanted : row.wanted) {
        SCOPED_TRACE(t.name + ", wanted " + std::to_string(wanted));
        const SelectionResult got = Thin(c, 0.0, wanted);
        ASSERT_TRUE(got.bracket.has_value());
        EXPECT_LE(got.statistics.count, wanted);
        const std::vector<double> deviations =
            testing::PlainLineDeviations(c.first, c.second, got.selected, PlanarDeviation);
        EXPECT_EQ(got.max_deviation, *std::max_element(deviations.begin(), deviations.end()));
        if (got.max_deviation == 0.0) continue;  // nothing is lighter
        EXPECT_GT(Thin(c, got.bracket->lower, n).statistics.count, wanted);
        if (!got.bracket->exact) continue;
        const SelectionResult same = Thin(c, got.max_deviation, n);
        EXPECT_EQ(same.selected, got.selected);
        EXPECT_GT(Thin(c, std::nextafter(got.max_deviation, 0.0), n).statistics.count, wanted);
      }
    }
  }
}

// The quality figures summarise every point's deviation from the new line.
TEST(OptimalSelection, QualityFiguresOfTheLineKept) {
  const testing::TrackShape t = testing::ManoeuvringTracks()[1];
  SelectionSettings s = Optimal(CalculationType::Planar, InputFormat::AsciiXY, nullptr);
  s.threshold = 2.0;
  s.wanted_count = static_cast<std::int64_t>(t.first.size());
  s.quality_figures = true;
  const SelectionResult got = SelectPoints(t.first, t.second, s, nullptr);
  const std::vector<double> deviations =
      testing::PlainLineDeviations(t.first, t.second, got.selected, PlanarDeviation);
  const DeviationQuality want = SummariseDeviations(deviations);
  ASSERT_TRUE(got.quality.has_value());
  EXPECT_EQ(got.quality->mean, want.mean);
  EXPECT_EQ(got.quality->p95, want.p95);
}

// A stop request ends the search.
TEST(OptimalSelection, StopsWhenAsked) {
  struct Stopper : SelectionObserver {
    bool ProgressDue() override { return false; }
    void OnProgress(const SelectionStatistics&) override {}
    bool StopRequested() override { return true; }
  } stopper;
  const testing::TrackShape t = testing::ManoeuvringTracks()[0];
  SelectionSettings s = Optimal(CalculationType::Planar, InputFormat::AsciiXY, nullptr);
  s.threshold = 1.0;
  s.wanted_count = static_cast<std::int64_t>(t.first.size());
  EXPECT_THROW(SelectPoints(t.first, t.second, s, &stopper), SelectionStopped);
}

// Earliest starts against every shortcut's weight, on the plane tracks, at
// tolerances where shortcuts flip (the weights of lightest routes): no
// shortcut to an end from before its earliest start is valid. Where the
// walk back stops, the shortcut from that point is often valid itself:
// every walk stopping a point late would cut one.
TEST(PlanarShortcuts, NoShortcutFromBeforeAnEndsEarliestStartIsValid) {
  const SelectionSettings settings =
      Optimal(CalculationType::Planar, InputFormat::AsciiXY, nullptr);
  std::int64_t ruled_out = 0, first_valid = 0;
  for (const testing::TrackShape& t : testing::GeneratedTracks()) {
    const auto n = static_cast<std::int64_t>(t.first.size());
    if (n < 3) continue;
    SCOPED_TRACE(t.name);
    const ShortcutWeights w(t.first, t.second, settings);
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    for (std::int64_t wanted : {std::int64_t{3}, n / 4, n / 2}) {
      const double d = testing::ReferenceByCount(w, wanted).statistics.largest_deviation;
      if (shortcuts.EarliestStart(0, d) < 0) break;  // points beyond the bounds' range
      for (std::int64_t j = 0; j < n; ++j) {
        const std::int64_t e = shortcuts.EarliestStart(j, d);
        ASSERT_TRUE(e == 0 || (e > 0 && e < j)) << "end " << j;
        for (std::int64_t i = 0; i < e; ++i) ASSERT_GT(w(i, j), d) << i << "-" << j;
        ruled_out += e;
        if (e > 0 && w(e, j) <= d) ++first_valid;
      }
    }
  }
  EXPECT_GT(ruled_out, 140000);
  EXPECT_GT(first_valid, 1200);
}

// A far point that the bounds of one start found, kept for the next start
// opened (as the labels' searches for the worst keep it), bounds that
// start's weights from below only where it lies between the ends: ends
// one by one and whole blocks of levels 0 to 5, checked against the
// measure's farthest point, right after opening (the kept point alone) and
// after the start's own bounds have found more. The starts go down the
// track, as label passes take them, with jumps up between, as the search
// for the exact worst takes them: a point kept from a lower start may lie
// before the new one.
TEST(PlanarShortcuts, FarPointsKeptFromOtherStartsBoundOnlyBetweenTheEnds) {
  constexpr int kPoints = 700;
  constexpr double kTolerance = 1.0;
  std::int64_t positive = 0, checked = 0;
  for (const testing::TrackShape& t : testing::ScalableTracks(kPoints)) {
    SCOPED_TRACE(t.name);
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    const std::int64_t n = shortcuts.Size();
    auto weight = [&](std::int64_t i, std::int64_t j) {
      return measure.FarthestPoint(i, j).deviation;
    };
    auto check = [&](std::int64_t i) {
      for (const std::int64_t step : {2, 5, 19, 64, 200, 650}) {
        const std::int64_t j = i + step;
        if (j >= n) break;
        const double lower = shortcuts.EndLower(j);
        ASSERT_LE(lower, weight(i, j)) << i << "-" << j;
        positive += lower > 0.0;
        ++checked;
      }
      for (int level = 0; level <= 5; ++level) {
        const std::int64_t length = kLeafPoints << level;
        const Block b{level, (i + 2 + length - 1) / length};
        if (BlockBegin(b) >= n) break;
        double least = std::numeric_limits<double>::infinity();
        for (std::int64_t j = BlockBegin(b); j < BlockEnd(b, n); ++j) {
          least = std::min(least, weight(i, j));
        }
        const double lower = shortcuts.EndsLower(b, DirectionWedge());
        ASSERT_LE(lower, least) << i << " to block " << level << "/" << b.index;
        positive += lower > 0.0;
        ++checked;
      }
    };
    for (std::int64_t i = n - 3; i >= 0; i -= 11) {
      for (const std::int64_t start : {i, std::min(n - 3, i + 240)}) {
        SCOPED_TRACE(start);
        shortcuts.Open(start, kTolerance, true);
        check(start);
        for (const std::int64_t step : {40, 160}) {
          if (start + step < n) {
            shortcuts.Bounds(start + step, std::numeric_limits<double>::infinity(), false);
          }
        }
        check(start);
      }
    }
  }
  EXPECT_GT(checked, 20000);
  EXPECT_GT(positive, 3000);
}

// A geographic track with its measure and its shortcuts on the ellipsoid of
// its datum.
struct OnTheEllipsoid {
  explicit OnTheEllipsoid(const GeoTrack& t)
      : datum(Datum(t.datum)), measure(t.lat, t.lon, datum, 1), shortcuts(measure, datum) {}
  std::int64_t Size() const { return shortcuts.Size(); }
  DatumParams datum;
  EllipsoidalSegmentMeasure measure;
  EllipsoidalShortcuts shortcuts;
};

// Labels of tracks longer than a pass's first look at its searches
// (1,024 starts) against a plain search over every shortcut, weighed by
// the shortcuts' own Weight: the fewest hops from each point and the
// lightest weight of such a route from the first. On a zig-zag whose
// amplitude nears the tolerance the searches grow dear and ends retire
// partway through a pass; a ship turning back beside its track is dear in
// places.
TEST(ShortcutLabeller, LabelsOfLongTracksAgreeWithAPlainSearch) {
  struct Row {
    testing::TrackShape track;
    std::vector<double> tolerances;  // metres
  };
  const Row rows[] = {{testing::ScalableTracks(1100)[5], {9.0, 13.9, 14.0, 14.2}},
                      {testing::ScalableTracks(1100)[8], {4.0, 9.0}}};
  constexpr double kInf = std::numeric_limits<double>::infinity();
  for (const Row& row : rows) {
    const testing::TrackShape& t = row.track;
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    ShortcutLabeller labeller(shortcuts, nullptr);
    const auto n = static_cast<std::int64_t>(t.first.size());
    for (const double d : row.tolerances) {
      SCOPED_TRACE(t.name + " at " + std::to_string(d) + " m");
      const auto [hops, worst] = PlainLabels(shortcuts, n, d);
      labeller.Label(d, /*with_worst=*/false);
      for (std::int64_t i = 0; i < n; ++i) {
        ASSERT_EQ(labeller.Hops(i), hops[static_cast<std::size_t>(i)]) << "point " << i;
      }
      labeller.Label(d, /*with_worst=*/true);
      EXPECT_LT(worst[0], kInf);
      // From every start: the bounds of each worst the pass left hold it.
      for (std::int64_t i = n - 2; i >= 0; i -= 7) {
        ASSERT_EQ(labeller.ExactWorst(i), worst[static_cast<std::size_t>(i)]) << "point " << i;
      }
      EXPECT_EQ(labeller.ExactWorst(0), worst[0]);
    }
  }
}

// The same on the ellipsoid, where the bounds leave the validity of many
// shortcuts open: a line straight in latitude and longitude, fixes 140 m
// apart, whose shortcuts of 5 to 10 km stray from it by nearly as much at
// the tolerance; the worst of every seventh start.
TEST(ShortcutLabeller, WorstsOfALineStraightInDegreesAgreeWithAPlainSearch) {
  GeoTrack t{"straight in degrees, 140 m apart", {}, {}};
  for (int i = 0; i < 300; ++i) {
    t.lat.push_back(54.0 + i * 1e-3);
    t.lon.push_back(4.0 + i * 1.3e-3);
  }
  OnTheEllipsoid on(t);
  ShortcutLabeller labeller(on.shortcuts, nullptr);
  const std::int64_t n = on.Size();
  for (const double d : {0.3, 1.0}) {
    SCOPED_TRACE(std::to_string(d) + " m");
    const auto [hops, worst] = PlainLabels(on.shortcuts, n, d);
    labeller.Label(d, /*with_worst=*/true);
    for (std::int64_t i = n - 2; i >= 0; i -= 7) {
      ASSERT_EQ(labeller.Hops(i), hops[static_cast<std::size_t>(i)]) << "point " << i;
      ASSERT_EQ(labeller.ExactWorst(i), worst[static_cast<std::size_t>(i)]) << "point " << i;
    }
  }
}

// The ellipsoidal shortcuts' bounds and filter against the measure, on
// points scattered about segments of 10 m to 1000 km in every direction,
// behind and beside their starts, and on the circles that have them as
// diameters:
// the deviation lies within the bounds, and the filter keeps the shortcut
// A-B whenever P's deviation is within the tolerance, even at equality.
TEST(EllipsoidalShortcutBounds, HoldOnScatteredPoints) {
  std::mt19937_64 random(41);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double places[][2] = {
      {54.0, 4.0}, {0.0, 179.99}, {-60.0, -30.0}, {88.5, 100.0}, {0.0, 0.0}};
  int bounded = 0;
  for (const char* datum_text : {kWgs84DatumString, kEd50DatumString}) {
    DatumParams datum = Datum(datum_text);
    for (const auto& place : places) {
      for (double size : {0.0001, 0.003, 0.1, 1.0, 9.0}) {  // degrees: 10 m to 1000 km
        for (int k = 0; k < 100; ++k) {
          auto wrap = [](double lon) { return lon > 180.0 ? lon - 360.0 : lon; };
          auto lat = [](double v) { return std::clamp(v, -90.0, 90.0); };
          const double a1 = lat(place[0] + size * unit(random) * 0.5),
                       a2 = place[1] + size * unit(random);
          const double b1 = lat(place[0] + size * unit(random) * 0.5),
                       b2 = place[1] + size * unit(random);
          auto check = [&](double p1, double p2) {
            EllipsoidalSegmentMeasure measure({a1, p1, b1}, {wrap(a2), p2, wrap(b2)}, datum, 1);
            EllipsoidalShortcuts shortcuts(measure, datum);
            const double exact = EllipsoidalDeviation(a1, wrap(a2), b1, wrap(b2), p1, p2, datum);
            const EllipsoidalShortcuts::PointBounds bounds = shortcuts.DeviationBounds(0, 2, 1);
            const std::string where = std::to_string(a1) + " " + std::to_string(wrap(a2)) + " " +
                                      std::to_string(b1) + " " + std::to_string(wrap(b2)) + " " +
                                      std::to_string(p1) + " " + std::to_string(p2);
            ASSERT_LE(bounds.lower, exact) << where;
            ASSERT_GE(bounds.upper, exact) << where;
            if (bounds.upper < std::numeric_limits<double>::infinity()) ++bounded;
            shortcuts.Open(0, exact, false);
            DirectionWedge wedge = DirectionWedge();
            shortcuts.ConstrainByPoint(wedge, 1);
            ASSERT_TRUE(shortcuts.EndMayBeValid(wedge, 2)) << where;
          };
          // P near the segment mostly, anywhere about it sometimes.
          const double f = unit(random);
          const double off = k % 4 == 0 ? size : (k % 4 == 1 ? size * 1e-6 : size * 0.01);
          check(lat(a1 + (b1 - a1) * (0.5 + 0.7 * f) + off * unit(random)),
                wrap(a2 + (b2 - a2) * (0.5 + 0.7 * f) + off * unit(random)));
          // P behind A, whose deviation from a shortcut leaving A away from
          // it is its distance from A, and beside A, about the perpendicular
          // through A, where the measure turns to that distance.
          const double g = 0.02 + 1.5 * std::fabs(unit(random));
          check(lat(a1 - (b1 - a1) * g + off * unit(random)),
                wrap(a2 - (b2 - a2) * g + off * unit(random)));
          check(lat(a1 - (b2 - a2) * f + (b1 - a1) * 0.01 * unit(random)),
                wrap(a2 + (b1 - a1) * f + (b2 - a2) * 0.01 * unit(random)));
          // And P about the circle on A-B as its diameter, where the angle at
          // P is close to a right angle and the measure turns from the
          // perpendicular to the nearer end (local degrees of latitude as
          // the unit, longitudes shrunk by the cosine of the latitude).
          const double m1 = 0.5 * (a1 + b1), m2 = 0.5 * (a2 + b2);
          const double shrink = std::cos(m1 * 3.141592653589793 / 180.0);
          const double radius = std::hypot(b1 - m1, (b2 - m2) * shrink) * (1.0 + 1e-3 * unit(random));
          const double turn = 3.141592653589793 * unit(random);
          if (shrink > 0.05) {
            check(lat(m1 + radius * std::cos(turn)), wrap(m2 + radius * std::sin(turn) / shrink));
          }
        }
      }
    }
  }
  EXPECT_GT(bounded, 7600);  // all but the polar rows
}

// The bounds of the deviation of P from A-B hold the measure's, also where
// they ask the place of perpend's foot itself, and the filter keeps B at a
// tolerance equal to it (P's arc rules it out nowhere).
void ExpectBoundsAndFilterHold(double a1, double a2, double b1, double b2, double p1, double p2,
                               DatumParams& datum) {
  EllipsoidalSegmentMeasure measure({a1, p1, b1}, {a2, p2, b2}, datum, 1);
  EllipsoidalShortcuts shortcuts(measure, datum);
  const double exact = EllipsoidalDeviation(a1, a2, b1, b2, p1, p2, datum);
  const EllipsoidalShortcuts::PointBounds bounds = shortcuts.DeviationBounds(0, 2, 1);
  char where[200];
  std::snprintf(where, sizeof where, "%.12f %.12f  %.12f %.12f  %.12f %.12f", a1, a2, b1, b2, p1,
                p2);
  EXPECT_LE(bounds.lower, exact) << where;
  EXPECT_GE(bounds.upper, exact) << where;
  const EllipsoidalShortcuts::PointBounds placed = shortcuts.DeviationBounds(0, 2, 1, true);
  EXPECT_LE(placed.lower, exact) << where << " (the foot's place asked)";
  EXPECT_GE(placed.upper, exact) << where << " (the foot's place asked)";
  shortcuts.Open(0, exact, false);
  DirectionWedge wedge = DirectionWedge();
  shortcuts.ConstrainByPoint(wedge, 1);
  EXPECT_TRUE(shortcuts.EndMayBeValid(wedge, 2)) << where;
}

// Where DMS seconds carry (above 59.9995, to the next minute: a point moves
// by up to 1.5 cm), on a line of about 2 km with P a metre to either side:
// the bounds hold, and the filter keeps the shortcut at a tolerance equal to
// P's deviation, where A, B or P carries, across the line, and where
// perpend's feet pass through the band below a whole minute across the line
// (a line along a parallel whose bulge rises into it, a line along a
// meridian that crosses it at a slant). `band` is the distance below the
// whole minute, in the angle's magnitude (the hemisphere's sign applied).
TEST(EllipsoidalShortcutBounds, HoldWhereDmsSecondsCarry) {
  DatumParams datum = Datum(kWgs84DatumString);
  constexpr double kPi = 3.141592653589793;
  constexpr double kSecond = 1.0 / 3600.0;  // degrees
  int checked = 0;
  auto check = [&](double a1, double a2, double b1, double b2, double p1, double p2) {
    ExpectBoundsAndFilterHold(a1, a2, b1, b2, p1, p2, datum);
    ++checked;
  };
  for (const double minute : {54.0 + 7.0 / 60.0, -(33.0 + 41.0 / 60.0), 0.5}) {
    const double sign = minute < 0.0 ? -1.0 : 1.0;
    const double degree = 1.0 / 111'000.0;  // degrees of latitude per metre, about
    const double east = degree / std::cos(minute * kPi / 180.0);
    auto below = [&](double whole, double metres, double unit) {
      return sign * (std::fabs(whole) - metres * unit);
    };
    const double lon = 12.0 + 19.0 / 60.0;  // a whole minute
    for (const double side : {-1.0, 1.0}) {
      // A line along a parallel just below the minute: its middle bulges
      // poleward (by about 15 cm at 54 degrees) into the band.
      for (double gap = 0.0; gap < 0.2; gap += 0.001) {
        const double lat = below(minute, gap, degree);
        check(lat, lon - 1000.0 * east, lat, lon + 1000.0 * east, lat + side * degree,
              lon + 3.0 * east);
      }
      // A line along the meridian of a whole minute of longitude, crossing
      // the band between 3 cm west and 3 cm east of it, P beside it.
      for (double at = 0.1; at < 0.6; at += 0.002) {
        const double lat = minute + (at - 0.5) * 2000.0 * degree;
        const double lon_at = lon + (0.06 * at - 0.03) * east;
        check(minute - 1000.0 * degree, lon - 0.03 * east, minute + 1000.0 * degree,
              lon + 0.03 * east, lat, lon_at + side * east);
      }
      // A, B or P itself carrying (0.0004 seconds, about 1.2 cm) towards a
      // line 5 m beyond the minute, along a parallel and along a
      // meridian.
      const double carry = 0.0004 * kSecond;
      const double lat = sign * (std::fabs(minute) - carry), lon_carry = lon - carry;
      const double lat_line = sign * (std::fabs(minute) + 5.0 * degree);
      const double lon_line = lon + 5.0 * east;
      for (double at : {0.1, 0.5, 0.9}) {
        const double p_lon = lon - 1000.0 * east + at * 2000.0 * east;
        const double w = lon - 1000.0 * east, e = lon + 1000.0 * east;
        check(lat_line, w, lat_line, e, lat, p_lon);
        check(lat, w, lat_line, e, lat_line + side * degree, p_lon);
        check(lat_line, w, lat, e, lat_line + side * degree, p_lon);
        const double p_lat = minute - 1000.0 * degree + at * 2000.0 * degree;
        const double s = minute - 1000.0 * degree, n = minute + 1000.0 * degree;
        check(s, lon_line, n, lon_line, p_lat, lon_carry);
        check(s, lon_carry, n, lon_line, p_lat, lon_line + side * east);
        check(s, lon_line, n, lon_carry, p_lat, lon_line + side * east);
      }
      // A carrying across a line that climbs at 30 degrees, P a metre beside
      // it 100 m on and clear of every carry: the carry moves the line by
      // 1 cm there, more than the terms of steady points.
      const double a_lon = lon + 500.0 * east;
      check(lat, a_lon, sign * (std::fabs(lat) + 1000.0 * degree), a_lon + 1732.0 * east,
            sign * (std::fabs(lat) + (50.0 + 0.866 * side) * degree),
            a_lon + (86.6 - 0.5 * side) * east);
      // Lines along a parallel from east to west, whose B Vincenty's inverse
      // nudges 3.2 mm north, P half a metre beside them: from A at B's
      // latitude, and from A 5 cm off it (P beside B, where the line from
      // perpend's foot to B runs along the parallel).
      const double mid = sign * (std::fabs(minute) + 30.0 * degree);
      for (double at : {0.5, 0.9}) {
        check(mid, lon + 1000.0 * east, mid, lon - 1000.0 * east, mid + 0.5 * side * degree,
              lon + (1000.0 - 2000.0 * at) * east);
      }
      check(mid - 0.05 * degree, lon + 1000.0 * east, mid, lon - 1000.0 * east,
            mid + 0.5 * side * degree, lon - 999.99 * east);
      // B carrying at the end of a line that falls 20 m to the minute over
      // 2 km, P half a metre beside it 200 m before B (2 m from the minute).
      const double high = sign * (std::fabs(minute) + 20.0 * degree);
      check(high, lon - 1000.0 * east, lat, lon + 1000.0 * east,
            sign * (std::fabs(minute) + (2.0 + 0.5 * side) * degree), lon + 800.0 * east);
    }
  }
  EXPECT_GT(checked, 2700);
}

// Weights and validity through the blocks of long tracks (boxes and bounds
// of every level up to a whole track) against the measure's own farthest
// point, on shortcuts of a few to thousands of points: a box that missed a
// point, or a block bound below one of its points' deviations, would answer
// below the measure. Tolerances at the weight and one ulp either side.
TEST(EllipsoidalShortcutBounds, WeightsThroughBlocksAgreeWithTheMeasure) {
  std::vector<GeoTrack> tracks = testing::ScalableGeoTracks(2000);
  tracks.push_back(testing::ShipWalk("walk across the antimeridian", 2000, 60.0, 179.99, 45));
  tracks.push_back(testing::ShipWalk("walk towards the pole", 2000, 88.7, 10.0, 46));
  std::mt19937_64 random(47);
  for (const GeoTrack& t : tracks) {
    SCOPED_TRACE(t.name);
    OnTheEllipsoid on(t);
    const std::int64_t n = on.Size();
    for (int k = 0; k < 40; ++k) {
      const std::int64_t span = std::int64_t{2} << (k % 11);  // 2 to 2048 points
      const std::int64_t i = std::uniform_int_distribution<std::int64_t>(
          0, std::max<std::int64_t>(0, n - 1 - span))(random);
      const std::int64_t j = std::min(n - 1, i + span);
      const double w = on.measure.FarthestPoint(i, j).deviation;
      SCOPED_TRACE("shortcut " + std::to_string(i) + "-" + std::to_string(j));
      const double below = std::nextafter(w, -1.0), above = std::nextafter(w, 1e300);
      for (const auto& [low, high] : {std::pair{0.0, 1e300}, {below, above}, {below, below},
                                     {w, w}, {0.5 * w, 0.9 * w}}) {
        const WeightAnswer got = on.shortcuts.Weight(i, j, low, high);
        const WeightAnswer want = Classify(w, low, high);
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.value, want.value);
      }
      for (const double tolerance : {below, w, above}) {
        if (!(tolerance >= 0.0)) continue;
        on.shortcuts.Open(i, tolerance, false);
        const ShortcutBounds b =
            on.shortcuts.Bounds(j, std::numeric_limits<double>::infinity(), true);
        EXPECT_EQ(b.validity == ShortcutBounds::Validity::kValid, w <= tolerance);
        EXPECT_LE(b.lower, w);
      }
      // The points that search found far off bound the start's other
      // shortcuts, shorter and longer, only where they lie between the ends.
      for (const std::int64_t other :
           {span / 4, span / 2, span - 1, span + 1, 2 * span, 8 * span}) {
        const std::int64_t end = std::min(n - 1, i + std::max<std::int64_t>(2, other));
        EXPECT_LE(on.shortcuts.EndLower(end), on.measure.FarthestPoint(i, end).deviation) << end;
      }
    }
  }
}

// Whole blocks of a start's ends (EndsLower) against the least weight of
// their ends by the measure's farthest point, blocks of 16 to 64 ends after
// starts all along long tracks: bounded from below by the far points that
// the start's bounds found on shortcuts of a few to hundreds of fixes (and
// the one kept from the start before, which bounds only where it lies
// between the ends), and
// ruled out by the wedge of the points before them only where every end is
// invalid. The fix beside the west end lies far off the shortcut that
// passes it for the end east of it, and off the line to every end of the
// block that holds B, whose direction its arc rules out, but for B itself,
// where the measure takes it for near (the nudge at B). A fix just below a
// whole minute of latitude, 0.31 m south of the parallel of a block of ends,
// has its DMS round trip carry it 1.2 cm north: the measure puts it below
// its distance in the plane.
TEST(EllipsoidalShortcutBounds, WholeBlocksOfEndsAreBoundedOnlyAsTheirWeightsAllow) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  constexpr double kTolerance = 0.3;
  std::vector<GeoTrack> tracks = testing::ScalableGeoTracks(300);
  for (GeoTrack& t : testing::AwkwardTracks()) tracks.push_back(std::move(t));
  {
    const double minute = 54.0 + 7.0 / 60.0, metre = 1.0 / 111200.0;
    const double east = metre / std::cos(minute * 3.141592653589793 / 180.0);
    const double line = minute + 0.3 * metre;
    GeoTrack t{"a fix that carries towards the line", {line}, {12.3}};
    for (int k = 1; k < 32; ++k) {
      t.lat.push_back(k < 16 ? minute - 0.0004 / 3600.0 : line);
      t.lon.push_back(12.3 + (k < 16 ? 500.0 : 1000.0 + 10.0 * k) * east);
    }
    tracks.push_back(t);
  }
  // Blocks of ends along rays that pass the arc of a fix 50 m north of A by
  // millimetres to centimetres at 100 m (within turn(L) of it each end may
  // be valid, and so may the block), and fanned out 15 cm either side of
  // them.
  for (int step = 0; step < 75; ++step) {
    const double lat = 54.1, metre = 1.0 / 111200.0;
    const double east = metre / std::cos(lat * 3.141592653589793 / 180.0);
    const double across = 0.55 + 0.004 * step;  // metres at 100 m
    const double fan = step % 2 == 0 ? 0.0 : 0.15;
    GeoTrack t{"ends " + std::to_string(across) + " m east at 100 m, fanned " +
                   std::to_string(fan) + " m",
               {lat},
               {12.3}};
    for (int k = 1; k < 32; ++k) {
      const double north = k < 16 ? 50.0 : 84.0 + k;
      const double off = k < 16 ? 0.0 : north * across / 100.0 + (k % 2 == 0 ? fan : -fan);
      t.lat.push_back(lat + north * metre);
      t.lon.push_back(12.3 + off * east);
    }
    tracks.push_back(t);
  }
  std::int64_t positive = 0, kept_positive = 0, ruled_out = 0, checked = 0;
  for (const GeoTrack& t : tracks) {
    SCOPED_TRACE(t.name);
    OnTheEllipsoid on(t);
    const std::int64_t n = on.Size();
    // Starts down the track, as label passes take them, with jumps up
    // between, as the search for the exact worst takes them: the far point
    // kept from the start before may lie before the new one. Each block is
    // asked with that point alone, then after the start's own bounds.
    for (std::int64_t down = n - 4; down > -29; down -= 29) {
      for (const std::int64_t i : {std::max<std::int64_t>(down, 0), std::min(n - 4, down + 240)}) {
        on.shortcuts.Open(i, kTolerance, true);
        std::vector<Block> blocks;
        std::vector<double> kept;
        for (int level = 1; level <= 3; ++level) {
          const std::int64_t length = kLeafPoints << level;
          for (std::int64_t index = (i + 2) / length + 1; index <= (i + 2) / length + 3; ++index) {
            if (BlockBegin({level, index}) >= n) break;
            blocks.push_back({level, index});
            kept.push_back(on.shortcuts.EndsLower(blocks.back(), DirectionWedge()));
          }
        }
        for (const std::int64_t step : {3, 12, 20, 45, 160}) {
          if (i + step < n) on.shortcuts.Bounds(i + step, kInfinity, false);
        }
        for (std::size_t at = 0; at < blocks.size(); ++at) {
          const Block b = blocks[at];
          double least = kInfinity;
          for (std::int64_t j = BlockBegin(b); j < BlockEnd(b, n); ++j) {
            least = std::min(least, on.measure.FarthestPoint(i, j).deviation);
          }
          SCOPED_TRACE(std::to_string(i) + " to block " + std::to_string(b.level) + "/" +
                       std::to_string(b.index));
          ASSERT_LE(kept[at], least);
          const double lower = on.shortcuts.EndsLower(b, DirectionWedge());
          ASSERT_LE(lower, least);
          DirectionWedge before;
          for (std::int64_t k = i + 1; k < BlockBegin(b) && !before.Empty(); ++k) {
            on.shortcuts.ConstrainByPoint(before, k);
          }
          const double narrowed = on.shortcuts.EndsLower(b, before);
          if (narrowed == kInfinity) {
            ASSERT_GT(least, kTolerance);
            // A wedge that is not empty rules the block out as it would each end.
            for (std::int64_t j = BlockBegin(b); j < BlockEnd(b, n) && !before.Empty(); ++j) {
              ASSERT_FALSE(on.shortcuts.EndMayBeValid(before, j)) << j;
            }
          } else {
            ASSERT_LE(narrowed, least);
          }
          positive += lower > 0.0;
          kept_positive += kept[at] > 0.0;
          ruled_out += narrowed == kInfinity;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 750);
  EXPECT_GT(positive, checked / 4);
  EXPECT_GT(kept_positive, 5);
  EXPECT_GT(ruled_out, checked / 4);
}

// Blocks of ends on the start's parallel, where Vincenty's nudge of the line
// from A turns it by 3.2 mm over its length, bounded by a fix off the lines
// (the geometry of HoldWhereNudgesTouchTheEndsOrTheirLine, with 16 ends
// 0.5 m apart about B): the fix bounds the block by the steady terms, never
// above the lightest of its shortcuts by the measure.
TEST(EllipsoidalShortcutBounds, BlocksOfEndsOnTheStartsParallelHold) {
  constexpr double kPi = 3.141592653589793;
  int positive = 0;
  for (const double lat : {54.1234, -33.4567, 0.7123}) {
    const double degree = 1.0 / 111'000.0, east = degree / std::cos(lat * kPi / 180.0);
    const double lon = 12.3456;
    for (const double length : {2000.0, 20000.0}) {
      for (const double h : {-0.001 * length, 0.001 * length, 0.05 * length}) {
        for (const double at : {0.3, 0.7, 0.95}) {
          GeoTrack t{"a fix " + std::to_string(h) + " m off, " + std::to_string(at) + " of " +
                         std::to_string(length) + " m",
                     {lat},
                     {lon + length * east}};
          for (int k = 1; k < 32; ++k) {
            t.lat.push_back(k < 16 ? lat + h * degree : lat);
            t.lon.push_back(k < 16 ? lon + (1.0 - at) * length * east
                                   : lon + 0.5 * (k - 24) * east);
          }
          SCOPED_TRACE(t.name);
          OnTheEllipsoid on(t);
          on.shortcuts.Open(0, 1e6, true);
          on.shortcuts.Bounds(16, std::numeric_limits<double>::infinity(), false);
          double least = std::numeric_limits<double>::infinity();
          for (std::int64_t j = 16; j < 32; ++j) {
            least = std::min(least, on.measure.FarthestPoint(0, j).deviation);
          }
          const double lower = on.shortcuts.EndsLower({1, 1}, DirectionWedge());
          ASSERT_LE(lower, least);
          positive += lower > 0.0;
        }
      }
    }
  }
  EXPECT_GT(positive, 27);
}

// Lines of 2 and 5 km that climb or fall at a slant, whose point F lies in
// the band below a whole minute of latitude or longitude (0 to 0.00048
// seconds below it, found on the geodesic with GeographicLib), P 2 cm to
// 30 cm from F square to the line (F its foot): where the reach of the
// radii of curvature at A (5 to 30 m) leaves the feet near a carry, the
// bounds ask the place of the foot itself.
TEST(EllipsoidalShortcutBounds, HoldWhereTheFeetOfSlantingLinesCarry) {
  DatumParams datum = Datum(kWgs84DatumString);
  const GeographicLib::Geodesic geod(datum.a, datum.f);
  constexpr double kSecond = 1.0 / 3600.0;  // degrees
  const double lon_minute = 12.0 + 19.0 / 60.0;
  for (const double minute : {54.0 + 7.0 / 60.0, -(33.0 + 41.0 / 60.0)}) {
    const double sign = minute < 0.0 ? -1.0 : 1.0;
    for (const double azimuth : {30.0, 80.0, 150.0}) {
      const double north = std::cos(azimuth * 3.141592653589793 / 180.0);
      for (const double length : {2000.0, 5000.0}) {
        // A steady, 1 km of latitude and of longitude or so before both
        // minutes; the line crosses them.
        const double lat_a = minute - north * length / 2.0e5;
        const double lon_a = lon_minute - length / 3.0e5;
        double lat_b, lon_b;
        geod.Direct(lat_a, lon_a, azimuth, length, lat_b, lon_b);
        const GeographicLib::GeodesicLine line = geod.Line(lat_a, lon_a, azimuth);
        for (const bool of_latitude : {true, false}) {
          for (const double below : {0.0, 0.0002, 0.0004, 0.00048}) {
            const double target = of_latitude ? sign * (std::fabs(minute) - below * kSecond)
                                              : lon_minute - below * kSecond;
            // The place on the line at `target`, by halving: the latitude
            // and the longitude change one way along these lines.
            double near = 0.0, far = length, lat_f = lat_a, lon_f = lon_a, azi_f = azimuth;
            for (int step = 0; step < 60; ++step) {
              const double mid = 0.5 * (near + far);
              line.Position(mid, lat_f, lon_f, azi_f);
              const bool before = of_latitude ? (north > 0.0) == (lat_f < target) : lon_f < target;
              (before ? near : far) = mid;
            }
            for (const double off : {0.02, 0.1, 0.3}) {
              for (const double side : {-90.0, 90.0}) {
                double lat_p, lon_p;
                geod.Direct(lat_f, lon_f, azi_f + side, off, lat_p, lon_p);
                ExpectBoundsAndFilterHold(lat_a, lon_a, lat_b, lon_b, lat_p, lon_p, datum);
              }
            }
          }
        }
      }
    }
  }
}

// A line from east to west whose end B lies on the parallel of perpend's
// foot for P: the foot's line to B is nudged (3.2 mm north) and turned by
// 3.2 mm over the foot's distance from B, by radians when that is a few
// millimetres, and the measure falls far below P's distance (to 3 cm for
// 0.5 m). The bounds leave such points open, and P's arc rules B out
// nowhere; P h metres north of B's parallel, its foot `off` metres east of
// B.
TEST(EllipsoidalShortcutBounds, HoldWhereANudgeTurnsTheLineAtB) {
  DatumParams datum = Datum(kWgs84DatumString);
  constexpr double kPi = 3.141592653589793;
  for (const double lat : {54.3, -33.7, 0.5}) {
    const double degree = 1.0 / 111'000.0, east = degree / std::cos(lat * kPi / 180.0);
    for (const double h : {0.05, 0.5, 2.0, 20.0}) {
      for (const double off : {0.3, 0.01, 0.001, 0.0001}) {
        const double a1 = lat - 0.05 * degree, a2 = 12.3 + 1000.0 * east;
        const double b1 = lat, b2 = 12.3 - 1000.0 * east;
        ExpectBoundsAndFilterHold(a1, a2, b1, b2, lat + h * degree, b2 + off * east, datum);
      }
    }
  }
}

// The arcs of a fix whose measure the nudge at B lowers rule B out nowhere:
// not while the wedge stays open (the fix 1 mm east of B), nor once the fix
// closes it (0.1 mm east of B): not as the walk's end, not beyond it, not
// in the block that holds B.
TEST(EllipsoidalShortcuts, AFixThatANudgeBringsNearRulesNoEndOut) {
  struct Case {
    double beside, tolerance;
    bool closes;
  };
  for (const Case c : {Case{0.001, 0.3, false}, Case{0.0001, 0.12, true}}) {
    SCOPED_TRACE(c.beside);
    const GeoTrack t = testing::FixBesideTheWestEnd(c.beside);
    DatumParams datum = Datum(t.datum);
    EllipsoidalSegmentMeasure measure(t.lat, t.lon, datum, 1);
    EllipsoidalShortcuts shortcuts(measure, datum);
    const std::int64_t b = 63, p = 39;
    shortcuts.Open(0, c.tolerance, false);
    ASSERT_EQ(shortcuts.Weight(0, b, c.tolerance, c.tolerance).kind, WeightAnswer::Kind::kAtMost);
    DirectionWedge walked;
    std::vector<std::int64_t> ends;
    const std::int64_t next = shortcuts.WalkPoints(walked, 1, b + 1, ends);
    ASSERT_EQ(next, c.closes ? p + 1 : b + 1);
    const std::span<const std::int64_t> beyond = shortcuts.Unbounded();
    EXPECT_TRUE(std::count(ends.begin(), ends.end(), b) + std::count(beyond.begin(), beyond.end(), b) > 0);
    DirectionWedge before;
    for (std::int64_t k = 1; k <= p; ++k) shortcuts.ConstrainByPoint(before, k);
    EXPECT_TRUE(shortcuts.EndMayBeValid(before, b));
    const Block holding{0, b >> kLeafShift};
    ASSERT_GT(BlockBegin(holding), p);
    EXPECT_EQ(shortcuts.EndsLower(holding, before), 0.0);
  }
}

// The ends an arc may fail are found again from a start far from its point
// after a start near it has looked: P 60 m east of B, 0.5 m before it on a
// line of 100 km north from A (perpend's foot near B, P within the circle on
// A-B), S 10 m beyond P on the line from A through P, and C 5 km east of
// the line, which closes the walks of both starts against P's arc. From S,
// the points near P that it looks among lie within a few metres; from A, B
// must be among the ends beyond C.
TEST(EllipsoidalShortcuts, FarStartsFindTheEndsThatNearStartsLeftOut) {
  constexpr double kMetre = 1.0 / 111'200.0, kPi = 3.141592653589793;
  const double lat = 54.2, lon = 4.3, east = kMetre / std::cos(lat * kPi / 180.0);
  auto at = [&](double e, double n) { return std::pair{lat + n * kMetre, lon + e * east}; };
  const auto a = at(0.0, 0.0), b = at(0.0, 100'000.0), p = at(60.0, 99'999.5),
             s = at(60.0 * 1.0001, 99'999.5 * 1.0001), c = at(5000.0, 99'000.0);
  DatumParams datum = Datum(kWgs84DatumString);
  EllipsoidalSegmentMeasure measure({a.first, s.first, p.first, c.first, b.first},
                                    {a.second, s.second, p.second, c.second, b.second}, datum, 1);
  EllipsoidalShortcuts shortcuts(measure, datum);
  std::vector<std::int64_t> ends;
  for (const std::int64_t start : {1, 0}) {
    shortcuts.Open(start, 1.0, false);
    DirectionWedge wedge;
    ASSERT_EQ(shortcuts.WalkPoints(wedge, start + 1, 5, ends), 4) << start;
  }
  const std::span<const std::int64_t> beyond = shortcuts.Unbounded();
  EXPECT_EQ(std::count(beyond.begin(), beyond.end(), 4), 1);
}

// Bounds of some 50 micrometres where neither Vincenty's nudges nor a zero
// difference of longitude reach the measure hold where they do: a fix a few
// centimetres west of an end on its parallel (the inverse from the end
// nudged square to their line, by its square over twice their distance),
// and lines whose ends share a parallel (B nudged 3.2 mm north, which turns
// the line by that over its length), seen from fixes off them.
TEST(EllipsoidalShortcutBounds, HoldWhereNudgesTouchTheEndsOrTheirLine) {
  DatumParams datum = Datum(kWgs84DatumString);
  constexpr double kPi = 3.141592653589793;
  int checked = 0;
  auto check = [&](double a1, double a2, double b1, double b2, double p1, double p2) {
    ExpectBoundsAndFilterHold(a1, a2, b1, b2, p1, p2, datum);
    ++checked;
  };
  for (const double lat : {54.1234, -33.4567, 0.7123}) {
    const double degree = 1.0 / 111'000.0, east = degree / std::cos(lat * kPi / 180.0);
    const double lon = 12.3456;
    for (const double d : {0.01, 0.05, 0.2}) {
      const double b1 = lat + 700.0 * degree, b2 = lon + 700.0 * east;
      check(lat, lon, b1, b2, lat, lon - d * east);
      check(b1 - 1400.0 * degree, b2, b1, b2, b1, b2 - d * east);
    }
    for (const double length : {3.0, 2000.0, 20000.0}) {
      for (const double h : {-0.3 * length, -0.001 * length, 0.001 * length, 0.3 * length}) {
        for (const double at : {0.3, 0.7, 0.95}) {
          check(lat, lon + length * east, lat, lon, lat + h * degree,
                lon + (1.0 - at) * length * east);
        }
      }
    }
  }
  EXPECT_EQ(checked, 3 * (6 + 36));
}

// Where DMS seconds carry, the bounds of the blocks between the ends of
// shortcuts of 1.6 km cover what the measure adds: feet moved by up to
// 1.5 cm (shortcuts along a whole minute of latitude whose middles bulge
// into the band), and points moved by 8 mm (fixes in the band beside a
// whole minute of longitude, shortcuts between fixes 5 m from it).
TEST(EllipsoidalShortcutBounds, BlocksHoldWhereSecondsCarry) {
  for (const GeoTrack& t :
       {testing::AlongAWholeMinute(2000, 48), testing::BesideAWholeMinute(2000)}) {
    SCOPED_TRACE(t.name);
    const DatumParams datum = Datum(t.datum);
    EllipsoidalSegmentMeasure measure(t.lat, t.lon, datum, 1);
    EllipsoidalShortcuts shortcuts(measure, datum);
    DatumParams scratch = datum;
    auto deviation = [&](std::int64_t i, std::int64_t j, std::int64_t k) {
      const auto at = [](std::int64_t m) { return static_cast<std::size_t>(m); };
      return EllipsoidalDeviation(t.lat[at(i)], t.lon[at(i)], t.lat[at(j)], t.lon[at(j)],
                                  t.lat[at(k)], t.lon[at(k)], scratch);
    };
    int blocks = 0;
    for (std::int64_t i = 0; i + 1064 < 2000; i += 76) {
      const std::int64_t j = i + 1064;
      for (const int level : {1, 2, 3}) {
        for (Block b{level, (i >> (kLeafShift + level)) + 1}; BlockEnd(b, 2000) < j; ++b.index) {
          double largest = 0.0;
          for (std::int64_t k = BlockBegin(b); k < BlockEnd(b, 2000); ++k) {
            largest = std::max(largest, deviation(i, j, k));
          }
          ASSERT_GE(shortcuts.DeviationUpper(i, j, b), largest)
              << i << "-" << j << ", block " << level << " " << b.index;
          ++blocks;
        }
      }
    }
    EXPECT_GT(blocks, 1000);
  }
}

// On a ship's walk of thousands of fixes (several blocks of scans, two
// threads) the tangent plane settles most questions: fewer exact measures
// than points, while the selection keeps every point within the tolerance by
// the measure itself, its largest deviation reported to the last bit.
TEST(EllipsoidalShortcutBounds, SettleMostQuestionsOnALongWalk) {
  const GeoTrack t = testing::ShipWalk("long walk", 3000, 54.0, 4.0, 44);
  DatumParams datum = Datum(t.datum);
  const auto n = static_cast<std::int64_t>(t.lat.size());
  EllipsoidalSegmentMeasure measure(t.lat, t.lon, datum, 2);
  EllipsoidalShortcuts shortcuts(measure, datum);
  SelectionSettings s = Optimal(CalculationType::Ellipsoidic, InputFormat::OruKvl, t.datum);
  s.threshold = 2.0;
  s.wanted_count = n;
  const SelectionResult got = SelectOptimal(shortcuts, n, s, nullptr);
  EXPECT_LT(shortcuts.ExactMeasures(), n);
  double largest = 0.0;
  for (std::size_t k = 0; k + 1 < got.selected.size(); ++k) {
    const auto a = static_cast<std::size_t>(got.selected[k] - 1);
    const auto b = static_cast<std::size_t>(got.selected[k + 1] - 1);
    for (std::size_t p = a + 1; p < b; ++p) {
      largest = std::max(largest, EllipsoidalDeviation(t.lat[a], t.lon[a], t.lat[b], t.lon[b],
                                                       t.lat[p], t.lon[p], datum));
    }
  }
  EXPECT_LE(largest, 2.0);
  EXPECT_EQ(largest, got.max_deviation);
}

}  // namespace
}  // namespace oru
