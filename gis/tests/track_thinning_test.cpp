// The limit on points a track (--max-waypoints) on manoeuvring tracks.
#include <gtest/gtest.h>

#include "gis/track_thinning.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

GisTrack PlaneTrack(const testing::TrackShape& shape) {
  GisTrack track;
  track.first = shape.first;
  track.second = shape.second;
  track.points = static_cast<std::int64_t>(shape.first.size());
  return track;
}

// Capped by deviation, a track keeps the selection that "Number of points"
// makes of the limit, and reports the deviation it reached; a threshold met
// with exactly the limit's points, or asked for fewer points than it, is not
// capped.
TEST(TrackThinning, LimitOnPoints) {
  for (const SelectionMethod method : {SelectionMethod::DouglasPeucker, SelectionMethod::Optimal})
  for (const testing::TrackShape& shape : testing::ManoeuvringTracks()) {
    SCOPED_TRACE(shape.name + (method == SelectionMethod::Optimal ? ", optimal" : ""));
    constexpr std::int64_t kLimit = 7;
    ThinChoices by_count;
    by_count.method = method;
    by_count.criterion = Criterion::NumberOfPoints;
    by_count.wanted_count = kLimit;
    GisTrack track = PlaneTrack(shape);
    const TrackThinning seven = ThinTrack(track, by_count);

    ThinChoices tight;
    tight.method = method;
    tight.criterion = Criterion::MaximumDeviation;
    tight.threshold = 0.001;
    tight.max_points = kLimit;
    track = PlaneTrack(shape);
    const TrackThinning capped = ThinTrack(track, tight);
    EXPECT_TRUE(capped.capped);
    EXPECT_EQ(capped.selected, seven.selected);
    EXPECT_EQ(capped.statistics.largest_deviation, seven.statistics.largest_deviation);
    EXPECT_GT(capped.statistics.largest_deviation, tight.threshold);

    ThinChoices exact = tight;
    exact.threshold = seven.statistics.largest_deviation;
    track = PlaneTrack(shape);
    exact.max_points = ThinTrack(track, exact).statistics.count;  // the points it needs
    track = PlaneTrack(shape);
    const TrackThinning met = ThinTrack(track, exact);
    EXPECT_FALSE(met.capped);
    EXPECT_EQ(met.statistics.count, exact.max_points);

    ThinChoices more = by_count;
    more.wanted_count = 50;
    more.max_points = kLimit;
    track = PlaneTrack(shape);
    const TrackThinning limited = ThinTrack(track, more);
    EXPECT_TRUE(limited.capped);
    EXPECT_EQ(limited.selected, seven.selected);

    by_count.max_points = kLimit;
    track = PlaneTrack(shape);
    EXPECT_FALSE(ThinTrack(track, by_count).capped);
  }
}

}  // namespace
}  // namespace oru
