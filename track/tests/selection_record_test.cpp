#include "track/selection_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "track/resumable_selection.h"
#include "track/tests/geo_shapes.h"
#include "track/tests/recording_observer.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

using testing::Same;
using testing::SameFigures;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The thresholds and counts a user might ask for, drawn from the record's
// own figures: fractions of the first deviation, every deviation the curve
// passes through exactly (a threshold equal to a deviation is within it), a
// NaN, and counts from below the minimum to beyond the track.
std::vector<SelectionSettings> Requests(const SelectionRecord& record, SelectionSettings base) {
  std::vector<SelectionSettings> requests;
  const std::int64_t n = record.n();
  auto add = [&](double threshold, std::int64_t wanted) {
    base.threshold = threshold;
    base.wanted_count = wanted;
    requests.push_back(base);
  };
  const double first = record.Additions().empty() ? 1.0 : record.Additions().front().deviation;
  for (const double f : {0.0, 1e-3, 0.02, 0.1, 0.3, 0.7, 1.0, 3.0}) add(first * f, n);
  for (std::size_t k = 0; k < record.Additions().size(); k += 1 + record.Additions().size() / 7) {
    add(record.Additions()[k].largest_deviation, n);
    add(record.Additions()[k].deviation, n);
  }
  add(kNaN, n);
  for (const std::int64_t wanted : {std::int64_t{0}, std::int64_t{2}, std::int64_t{3},
                                    std::int64_t{4}, n / 3, n / 2 + 1, n - 1, n, n + 7}) {
    add(0.0, wanted);
  }
  return requests;
}

// Every result read from the record is the fresh run's: the same points and
// the same figures to the last bit; the curve passes through each of them.
void ExpectRecordAnswersAsRuns(const std::string& name, const std::vector<double>& first,
                               const std::vector<double>& second, SelectionSettings base) {
  SCOPED_TRACE(name);
  base.wanted_count = static_cast<std::int64_t>(first.size());
  const SelectionRecord record = RecordSelection(first, second, base, nullptr);
  ASSERT_TRUE(record.Complete());
  const std::vector<CurvePoint> curve = record.Curve();
  const std::vector<SelectionSettings> requests = Requests(record, base);
  for (const SelectionSettings& s : requests) {
    SCOPED_TRACE("threshold " + std::to_string(s.threshold) + ", wanted " +
                 std::to_string(s.wanted_count));
    const SelectionResult fresh = SelectPoints(first, second, s, nullptr);
    const std::optional<SelectionResult> read = record.Read(s);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->selected, fresh.selected);
    EXPECT_TRUE(Same(read->max_deviation, fresh.max_deviation));
    EXPECT_TRUE(SameFigures(read->statistics, fresh.statistics));

    if (&s == &requests.front()) {
      // The quality figures of a selection read from the record, measured
      // once more, are the run's.
      SelectionSettings with_quality = s;
      with_quality.quality_figures = true;
      const DeviationQuality expected = *SelectPoints(first, second, with_quality, nullptr).quality;
      const DeviationQuality got = SelectionQuality(first, second, s, read->selected);
      EXPECT_TRUE(Same(got.mean, expected.mean) && Same(got.rms, expected.rms) &&
                  Same(got.p95, expected.p95));
    }
    const CurvePoint& at = curve[static_cast<std::size_t>(fresh.statistics.count - curve.front().count)];
    EXPECT_EQ(at.count, fresh.statistics.count);
    if (record.n() > 3) {
      EXPECT_TRUE(Same(at.largest_deviation, fresh.max_deviation));
    }
    // The curve's lengths are updated split by split: a few rounding steps
    // from the summed figure.
    if (std::isfinite(fresh.statistics.new_length)) {
      EXPECT_NEAR(at.new_length, fresh.statistics.new_length,
                  1e-9 * std::fabs(fresh.statistics.new_length));
    }
  }
}

SelectionSettings Xy() {
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  return s;
}

TEST(SelectionRecord, PlanarTracksAnswerAsFreshRuns) {
  for (const testing::TrackShape& t : testing::GeneratedTracks()) {
    ExpectRecordAnswersAsRuns(t.name, t.first, t.second, Xy());
  }
}

TEST(SelectionRecord, GeographicTracksAnswerAsFreshRunsOnBothDatums) {
  for (const testing::GeoTrack& t : testing::AwkwardTracks()) {
    for (const CalculationType calculation :
         {CalculationType::Ellipsoidic, CalculationType::Planar}) {
      for (const auto& [datum, datum_name] :
           {std::pair{kWgs84DatumString, "WGS84"}, std::pair{kEd50DatumString, "ED50"}}) {
        SelectionSettings s;
        s.calculation = calculation;
        s.input_format = InputFormat::OruKvl;
        s.datum = testing::Datum(datum);
        const char* measure = calculation == CalculationType::Planar ? "planar" : "ellipsoidic";
        ExpectRecordAnswersAsRuns(t.name + ", " + measure + ", " + datum_name, t.lat, t.lon, s);
      }
    }
  }
}

// A record made up to a count answers every run that stops within it, the
// same as a complete one, and nothing beyond; while it records, its
// observer sees the run it was asked for, not the longer record (a window
// counted up to the record's count and back down to the run's).
TEST(SelectionRecord, PartialRecordAnswersUpToItsCount) {
  const testing::GeoTrack walk = testing::ShipWalk("walk", 400, 54.0, 4.0, 11);
  SelectionSettings s;
  s.calculation = CalculationType::Ellipsoidic;
  s.input_format = InputFormat::OruKvl;
  s.datum = testing::Datum(kWgs84DatumString);
  // By count, and by a tolerance that stops before the record's end.
  for (const auto& [threshold, wanted] : {std::pair{0.0, 25}, std::pair{20.0, 400}}) {
    s.threshold = threshold;
    s.wanted_count = wanted;
    testing::RecordingObserver seen, run;
    RecordSelection(walk.lat, walk.lon, s, &seen, 40);
    SelectPoints(walk.lat, walk.lon, s, &run);
    ASSERT_LT(run.iterations.size(), 38u);
    // Nothing is shown beyond the run's end.
    ASSERT_EQ(seen.iterations.size(), run.iterations.size()) << threshold;
    EXPECT_FALSE(seen.repeats_differ);
    for (std::size_t i = 0; i < run.iterations.size(); ++i) {
      EXPECT_TRUE(SameFigures(seen.iterations[i], run.iterations[i])) << i;
    }
  }
  const SelectionRecord partial = RecordSelection(walk.lat, walk.lon, s, nullptr, 40);
  EXPECT_FALSE(partial.Complete());
  EXPECT_EQ(partial.Iterations(), 38);
  const SelectionRecord whole = RecordSelection(walk.lat, walk.lon, s, nullptr);
  for (const std::int64_t wanted : {3, 25, 40, 41, 400}) {
    s.threshold = 0.0;
    s.wanted_count = wanted;
    const std::optional<SelectionResult> read = partial.Read(s);
    ASSERT_EQ(read.has_value(), wanted <= 40) << wanted;
    if (read) {
      EXPECT_EQ(read->selected, whole.Read(s)->selected) << wanted;
    }
  }
  for (std::int64_t i = 0; i < partial.n(); ++i) {
    const std::int64_t rank = partial.Ranks()[static_cast<std::size_t>(i)];
    EXPECT_EQ(rank, rank <= 38 ? whole.Ranks()[static_cast<std::size_t>(i)] : SelectionRecord::kNotReached);
  }
}

// A selection kept and taken further, back and forth between counts and
// tolerances, answers each as a fresh run, also after stops asked for in the
// middle of its iterations (a preview's newer value stops the one before):
// the stopped iteration is made again, the record holds every one up to it.
TEST(ResumableSelection, TakenFurtherAfterStopsAnswersAsFreshRuns) {
  std::vector<std::pair<std::string, SelectionSettings>> settings;
  std::vector<std::pair<std::vector<double>, std::vector<double>>> tracks;
  for (const testing::TrackShape& t : testing::ManoeuvringTracks()) {
    settings.emplace_back(t.name, Xy());
    tracks.emplace_back(t.first, t.second);
  }
  const testing::GeoTrack walk = testing::ShipWalk("walk", 3000, 54.0, 4.0, 7);
  SelectionSettings ellipsoidic;
  ellipsoidic.input_format = InputFormat::OruKvl;
  ellipsoidic.datum = testing::Datum(kWgs84DatumString);
  settings.emplace_back(walk.name, ellipsoidic);
  tracks.emplace_back(walk.lat, walk.lon);
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    SCOPED_TRACE(settings[t].first);
    const auto& [first, second] = tracks[t];
    SelectionSettings s = settings[t].second;
    const auto n = static_cast<std::int64_t>(first.size());
    ResumableSelection kept(first, second, s);
    int stopped = 0;
    // Targets in the order a user previews them, each stopped once before.
    const std::pair<double, std::int64_t> targets[] = {
        {0.0, 40}, {0.0, 12}, {5.0, n}, {0.0, n / 4}, {0.5, n}, {0.0, 30}, {-1.0, n}};
    for (const auto& [threshold, wanted] : targets) {
      s.threshold = threshold;
      s.wanted_count = wanted;
      testing::RecordingObserver stops(0, 2);
      try {
        kept.Select(threshold, wanted, &stops);
      } catch (const SelectionStopped&) {
        ++stopped;
      }
      const bool ahead = !kept.Recorded(threshold, wanted);
      testing::RecordingObserver seen(0), fresh_seen(0);
      const SelectionResult got = kept.Select(threshold, wanted, &seen);
      const SelectionResult fresh = SelectPoints(first, second, s, &fresh_seen);
      EXPECT_EQ(got.selected, fresh.selected) << threshold << ", " << wanted;
      EXPECT_TRUE(SameFigures(got.statistics, fresh.statistics));
      if (ahead) {
        // The record holds every iteration made; the figures shown end as
        // the fresh run's.
        EXPECT_EQ(kept.Record().Iterations(), got.statistics.count - 2);
        EXPECT_TRUE(SameFigures(seen.iterations.back(), fresh_seen.iterations.back()));
      }
    }
    EXPECT_TRUE(kept.Record().Complete());
    EXPECT_GT(stopped, 0);
  }
}

}  // namespace
}  // namespace oru
