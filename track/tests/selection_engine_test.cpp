#include "track/selection_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "track/planar_measures.h"
#include "track/tests/recording_observer.h"
#include "track/tests/reference_engine.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

using testing::GeneratedTracks;
using testing::RecordingObserver;
using testing::Same;
using testing::SameFigures;
using testing::ReferenceRun;
using testing::ReferenceSelectPoints;
using testing::TrackShape;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

SelectionSettings XySettings(double threshold, std::int64_t wanted) {
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  s.threshold = threshold;
  s.wanted_count = wanted;
  return s;
}

// Runs both engines and holds the production engine to the reference: the
// same points, picked in the same order with the same figures at every
// iteration, and the same figures when progress is never due.
void ExpectSameAsReference(const TrackShape& track, const SelectionSettings& settings) {
  SCOPED_TRACE(track.name + ", threshold " + std::to_string(settings.threshold) + ", wanted " +
               std::to_string(settings.wanted_count));
  const ReferenceRun expected = ReferenceSelectPoints(track.first, track.second, settings);

  RecordingObserver every_iteration;
  const SelectionResult got = SelectPoints(track.first, track.second, settings, &every_iteration);
  EXPECT_EQ(got.selected, expected.selected);
  EXPECT_TRUE(Same(got.max_deviation, expected.max_deviation));
  EXPECT_TRUE(SameFigures(got.statistics, expected.statistics));
  EXPECT_FALSE(every_iteration.repeats_differ);
  ASSERT_EQ(every_iteration.iterations.size(), expected.iterations.size());
  for (std::size_t i = 0; i < expected.iterations.size(); ++i) {
    ASSERT_TRUE(SameFigures(every_iteration.iterations[i], expected.iterations[i])) << "iteration " << i;
  }
  const StatisticsTexts texts = FormatStatistics(got.statistics);
  const StatisticsTexts expected_texts = FormatStatistics(expected.statistics);
  EXPECT_EQ(texts.max_deviation, expected_texts.max_deviation);
  EXPECT_EQ(texts.length_reduction, expected_texts.length_reduction);
  EXPECT_EQ(texts.length_before, expected_texts.length_before);
  EXPECT_EQ(texts.length_after, expected_texts.length_after);

  const SelectionResult quiet = SelectPoints(track.first, track.second, settings, nullptr);
  EXPECT_EQ(quiet.selected, expected.selected);
  EXPECT_TRUE(SameFigures(quiet.statistics, expected.statistics));
}

// The tolerance is honoured and the figures shown are the truth: by
// deviation, every point left out lies within the threshold of its segment of the new line, by a
// plain measure of each one; the reported maximum is the largest of those
// deviations and the quality figures summarise them all.
void ExpectToleranceHonoured(const TrackShape& track, SelectionSettings settings) {
  settings.quality_figures = true;
  const SelectionResult got = SelectPoints(track.first, track.second, settings, nullptr);
  const std::vector<double> deviations =
      testing::PlainLineDeviations(track.first, track.second, got.selected, PlanarDeviation);
  double largest = 0.0;
  for (double d : deviations) {
    if (d > largest) largest = d;
  }
  EXPECT_TRUE(Same(got.max_deviation, largest)) << got.max_deviation << " vs " << largest;
  const bool some_left_out = got.selected.size() < track.first.size();
  const bool by_deviation = settings.wanted_count >= static_cast<std::int64_t>(track.first.size());
  if (by_deviation && some_left_out && !std::isnan(settings.threshold)) {
    EXPECT_FALSE(largest > settings.threshold) << "threshold " << settings.threshold;
  }
  const DeviationQuality expected = SummariseDeviations(deviations);
  ASSERT_TRUE(got.quality.has_value());
  EXPECT_TRUE(Same(got.quality->mean, expected.mean));
  EXPECT_TRUE(Same(got.quality->rms, expected.rms));
  EXPECT_TRUE(Same(got.quality->p95, expected.p95));
}

class EngineAgainstReference : public ::testing::TestWithParam<TrackShape> {};

TEST_P(EngineAgainstReference, ByMaximumDeviation) {
  const TrackShape& track = GetParam();
  const auto n = static_cast<std::int64_t>(track.first.size());
  // The deviations that a full selection meets, and thresholds on, just above
  // and just below some of them: where a stop rule flips.
  const ReferenceRun all = ReferenceSelectPoints(track.first, track.second, XySettings(-1.0, n));
  std::vector<double> thresholds = {-1.0, 0.0, 1e308, kInf, kNaN};
  for (std::size_t k : {std::size_t{0}, all.iterations.size() / 4, all.iterations.size() / 2}) {
    if (k >= all.iterations.size()) continue;
    const double d = all.iterations[k].largest_deviation;
    thresholds.insert(thresholds.end(), {d, std::nextafter(d, kInf), std::nextafter(d, -kInf)});
  }
  for (double threshold : thresholds) {
    ExpectSameAsReference(track, XySettings(threshold, n));
    ExpectToleranceHonoured(track, XySettings(threshold, n));
  }
}

TEST_P(EngineAgainstReference, ByNumberOfPoints) {
  const TrackShape& track = GetParam();
  const auto n = static_cast<std::int64_t>(track.first.size());
  for (std::int64_t wanted : {std::int64_t{-5}, std::int64_t{1}, std::int64_t{3}, std::int64_t{4},
                              n / 3, n / 2, n - 1, n, n + 3}) {
    ExpectSameAsReference(track, XySettings(0.0, wanted));
    ExpectToleranceHonoured(track, XySettings(0.0, wanted));
  }
}

INSTANTIATE_TEST_SUITE_P(GeneratedTracks, EngineAgainstReference,
                         ::testing::ValuesIn(GeneratedTracks()),
                         [](const ::testing::TestParamInfo<TrackShape>& info) {
                           std::string name;
                           for (char c : info.param.name) {
                             name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                           }
                           return name + "_" + std::to_string(info.index);
                         });

// Small tracks on a coarse integer grid: repeated points, points on the end
// points of their segment, collinear runs and exactly equal deviations in
// every arrangement.
TEST(EngineAgainstReferenceGrid, ManySmallTracks) {
  std::mt19937_64 random(31);
  std::uniform_int_distribution<int> grid(0, 4);
  for (int t = 0; t < 400; ++t) {
    TrackShape track{"grid track " + std::to_string(t), {}, {}};
    const int n = 3 + t % 23;
    for (int i = 0; i < n; ++i) {
      track.first.push_back(grid(random));
      track.second.push_back(grid(random));
    }
    ExpectSameAsReference(track, XySettings(-1.0, n));
    ExpectSameAsReference(track, XySettings(1.0, n));
    ExpectSameAsReference(track, XySettings(0.0, n / 2));
    if (HasFailure()) return;
  }
}

// A ship-like track long enough that most points are ranked by the cheap
// bound and only a few measured exactly.
TEST(EngineAgainstReferenceLong, ThousandsOfPoints) {
  TrackShape track{"long walk", {}, {}};
  double x = 4.5e5, y = 6.2e6, heading = 0.3;
  for (int i = 0; i < 2000; ++i) {
    track.first.push_back(x);
    track.second.push_back(y);
    heading += 0.02 * std::sin(i * 0.37) + (i % 400 == 0 ? 1.2 : 0.0);
    x += 5.0 * std::sin(heading) + 0.3 * std::sin(i * 1.7);
    y += 5.0 * std::cos(heading) + 0.3 * std::cos(i * 2.3);
  }
  ExpectSameAsReference(track, XySettings(0.0, 150));
  ExpectSameAsReference(track, XySettings(25.0, 2000));
}

// A long straight run whose points stray from the line by less than the
// measure's own rounding: the deviations that decide are arc-tangent noise,
// far inside the cheap bound's margin, so nearly every point is measured
// exactly and ties at the noise floor are common.
TEST(EngineAgainstReferenceLong, StraightRunAtTheNoiseFloor) {
  TrackShape track{"noise-floor run", {}, {}};
  for (int i = 0; i < 1500; ++i) {
    const double along = 0.75 * i;  // exact
    track.first.push_back(i % 7 == 3 ? along * (1.0 + 0x1p-46) : along);
    track.second.push_back(0.25 * i);
  }
  ExpectSameAsReference(track, XySettings(0.0, 60));
  ExpectSameAsReference(track, XySettings(1e-13, 1500));
}

// Figures of the whole run that a user can check by hand.
struct OutcomeRow {
  const char* name;
  std::vector<double> first, second;
  double threshold;
  std::int64_t wanted;
  std::vector<std::int64_t> selected;
  const char* max_deviation;    // Edit2
  const char* point_reduction;  // Edit3
};

class EngineOutcome : public ::testing::TestWithParam<OutcomeRow> {};

TEST_P(EngineOutcome, SelectsAndReports) {
  const OutcomeRow& row = GetParam();
  const SelectionResult got =
      SelectPoints(row.first, row.second, XySettings(row.threshold, row.wanted), nullptr);
  EXPECT_EQ(got.selected, row.selected);
  const StatisticsTexts texts = FormatStatistics(got.statistics);
  EXPECT_EQ(texts.max_deviation, row.max_deviation);
  EXPECT_EQ(texts.point_reduction, row.point_reduction);
  EXPECT_EQ(texts.points_after, std::to_string(row.selected.size()));
}

// Nine points, 0..8 along the first axis, with deviations 0, 5, 0, 2, 0, 9,
// 0 from the line 1-9 (points 2 to 8). After point 7 is taken, point 6 lies
// 45 / sqrt(117) = 4.16 m from the line 1-7, the farthest of those left.
const std::vector<double> kNineFirst = {0, 1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<double> kNineSecond = {0, 0, 5, 0, 2, 0, 9, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Rows, EngineOutcome,
    ::testing::Values(
        OutcomeRow{"three points always keep all three", {0, 1, 2}, {0, 7, 0}, 100.0, 3,
                   {1, 2, 3}, "0", "0"},
        OutcomeRow{"one point", {3}, {4}, 0.0, 10, {1}, "0", "0"},
        OutcomeRow{"two points", {3, 6}, {4, 8}, 0.0, 10, {1, 2}, "0", "0"},
        OutcomeRow{"threshold above every deviation: first, farthest, last", kNineFirst,
                   kNineSecond, 10.0, 9, {1, 7, 9}, "4", "66"},
        // Point 7 (9 m) exceeds 8.5 m; point 6, 4.16 m from the line 1-7, is
        // the first within it and is taken all the same; point 3 then lies
        // 5 m from the line 1-6.
        OutcomeRow{"the first point within the threshold is still taken", kNineFirst,
                   kNineSecond, 8.5, 9, {1, 6, 7, 9}, "5", "55"},
        OutcomeRow{"negative threshold takes every point", kNineFirst, kNineSecond, -1.0, 9,
                   {1, 2, 3, 4, 5, 6, 7, 8, 9}, "0", "0"},
        OutcomeRow{"wanted count 1 gives three points", kNineFirst, kNineSecond, 0.0, 1,
                   {1, 7, 9}, "4", "66"},
        OutcomeRow{"wanted count above n takes every point", kNineFirst, kNineSecond, 0.0, 50,
                   {1, 2, 3, 4, 5, 6, 7, 8, 9}, "0", "0"},
        // Points 2 and 3 are mirror images across the line 1-4, 3 m from it to
        // the last bit: the lower number wins the tie. Point 3 then lies
        // beyond the end of the segment 2-4, sqrt(13) = 3.6 m from point 4.
        OutcomeRow{"equal deviations: the lower point number first", {0, 3, -3, 0},
                   {0, 2, 2, 4}, 0.0, 3, {1, 2, 4}, "4", "25"},
        // After point 5, the corner of an L, every remaining point lies on the
        // line: the lowest numbered one is taken at 0.
        OutcomeRow{"no point off the line: the lowest numbered at 0", {0, 0, 0, 0, 0, 1, 2, 3, 4},
                   {0, 1, 2, 3, 4, 4, 4, 4, 4}, 0.0, 4, {1, 2, 5, 9}, "0", "55"}),
    [](const ::testing::TestParamInfo<OutcomeRow>& info) {
      return "row" + std::to_string(info.index);
    });

// A point within the threshold does not end the selection while another lies
// beyond it. Point 2 (1.9 m from the line 1-6) is taken first and lies within
// 2 m, but point 3 then lies beyond the start of the segment 2-6,
// sqrt(3^2 + 2.2^2) = 3.72 m from point 2: the rule that looked only at the
// point just taken stopped there with 3 points and "2 m". Point 3 is taken,
// then point 4 (0.61 m), after which point 5 lies 0.05 m from the line 4-6.
TEST(EngineOutcome, ToleranceHoldsWhenASplitMovesPointsAway) {
  const TrackShape track{"", {0, 5, 2, 7, 8.5, 10}, {0, 1.9, -0.3, 0.5, 0.2, 0}};
  RecordingObserver every_iteration;
  const SelectionResult got =
      SelectPoints(track.first, track.second, XySettings(2.0, 6), &every_iteration);
  EXPECT_EQ(got.selected, (std::vector<std::int64_t>{1, 2, 3, 4, 6}));
  ASSERT_GE(every_iteration.iterations.size(), 1u);
  const SelectionStatistics& first = every_iteration.iterations.front();
  EXPECT_EQ(first.last_selected, 2);
  EXPECT_LE(first.added_deviation, 2.0);
  EXPECT_DOUBLE_EQ(first.largest_deviation, std::sqrt(3.0 * 3.0 + 2.2 * 2.2));
  EXPECT_EQ(FormatStatistics(got.statistics).max_deviation, "0");
  ExpectToleranceHonoured(track, XySettings(2.0, 6));
}

TEST(EngineOutcome, HundredPointsToTen) {
  std::vector<double> first, second;
  for (int i = 0; i < 100; ++i) {
    first.push_back(i);
    second.push_back(std::sin(i * 0.3) * 20.0);
  }
  const SelectionResult got = SelectPoints(first, second, XySettings(0.0, 10), nullptr);
  EXPECT_EQ(got.selected.size(), 10u);
  EXPECT_EQ(FormatStatistics(got.statistics).point_reduction, "90");
}

// Figures are shown when due and after the last iteration, and are always
// those of a completed iteration, also when the engine asks in the middle of
// one.
TEST(EngineProgress, ShownOnlyWhenDueAndAlwaysOfACompletedIteration) {
  const TrackShape track = GeneratedTracks().front();
  const auto n = static_cast<std::int64_t>(track.first.size());
  const SelectionSettings settings = XySettings(-1.0, n);
  RecordingObserver every_third(3);
  const SelectionResult got = SelectPoints(track.first, track.second, settings, &every_third);
  const ReferenceRun expected = ReferenceSelectPoints(track.first, track.second, settings);
  EXPECT_GE(every_third.asked, static_cast<int>(expected.iterations.size()));
  EXPECT_LE(every_third.iterations.size(), every_third.asked / 3u + 1u);
  ASSERT_FALSE(every_third.iterations.empty());
  EXPECT_TRUE(SameFigures(every_third.iterations.back(), expected.iterations.back()));
  for (const SelectionStatistics& shown : every_third.iterations) {
    EXPECT_TRUE(SameFigures(shown, expected.iterations[static_cast<std::size_t>(shown.count - 3)]));
  }
  EXPECT_FALSE(every_third.repeats_differ);
  EXPECT_TRUE(SameFigures(got.statistics, expected.statistics));
}

// A long track: each iteration measures hundreds of thousands of points, and
// the figures of the iteration before are shown again meanwhile, to the last
// bit. A stop asked for in the middle ends the selection by SelectionStopped,
// on one thread and on two.
TEST(EngineProgress, CountsUpInsideLongIterationsAndStops) {
  TrackShape track{"long zig-zag", {}, {}};
  for (int i = 0; i < 300000; ++i) {
    track.first.push_back(i * 2.0);
    track.second.push_back((i % 2 == 0 ? 1.0 : -1.0) * (1.0 + (i % 977) * 0.01));
  }
  RecordingObserver always;
  const SelectionResult got = SelectPoints(track.first, track.second, XySettings(0.0, 6), &always);
  EXPECT_GT(always.repeats, 0);
  EXPECT_FALSE(always.repeats_differ);
  ASSERT_EQ(always.iterations.size(), 4u);
  EXPECT_TRUE(SameFigures(always.iterations.back(), got.statistics));

  RecordingObserver stops(1, 50);
  EXPECT_THROW(SelectPoints(track.first, track.second, XySettings(0.0, 6), &stops),
               SelectionStopped);
  SelectionSettings geographic = XySettings(0.0, 6);
  geographic.calculation = CalculationType::Ellipsoidic;
  geographic.input_format = InputFormat::OruKvl;
  geographic.datum.text = kWgs84DatumString;
  Read_Datum(geographic.datum);
  std::vector<double> lat(track.first.size()), lon(track.first.size());
  for (std::size_t i = 0; i < lat.size(); ++i) {
    lat[i] = 54.0 + track.second[i] * 1e-5;
    lon[i] = 4.0 + track.first[i] * 1e-6;
  }
  RecordingObserver stops_geographic(1, 3);
  EXPECT_THROW(SelectPoints(lat, lon, geographic, &stops_geographic), SelectionStopped);
}

// The combination that never makes sense (metres measured as degrees) and
// sequences of different lengths are refused rather than measured wrongly.
TEST(EngineRefuses, MetresOnTheEllipsoidAndUnequalSequences) {
  const std::vector<double> first = {0, 1, 2}, second = {0, 1, 0};
  SelectionSettings s = XySettings(0.0, 3);
  s.calculation = CalculationType::Ellipsoidic;
  EXPECT_THROW(SelectPoints(first, second, s, nullptr), std::invalid_argument);
  EXPECT_THROW(SelectPoints(first, {0.0}, XySettings(0.0, 3), nullptr), std::invalid_argument);
}

}  // namespace
}  // namespace oru
