// The limit on points a track (--max-waypoints) on manoeuvring tracks.
#include <gtest/gtest.h>

#include "run/track_thinning.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

TrackThinning ThinPlane(const testing::TrackShape& shape, const ThinChoices& choices) {
  return ThinTrack(shape.first, shape.second, false, DatumChoice::Wgs84, choices, nullptr);
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
    const TrackThinning seven = ThinPlane(shape, by_count);

    ThinChoices tight;
    tight.method = method;
    tight.criterion = Criterion::MaximumDeviation;
    tight.threshold = 0.001;
    tight.max_points = kLimit;
    const TrackThinning capped = ThinPlane(shape, tight);
    EXPECT_TRUE(capped.capped);
    EXPECT_EQ(capped.selected, seven.selected);
    EXPECT_EQ(capped.statistics.largest_deviation, seven.statistics.largest_deviation);
    EXPECT_GT(capped.statistics.largest_deviation, tight.threshold);

    ThinChoices exact = tight;
    exact.threshold = seven.statistics.largest_deviation;
    exact.max_points = ThinPlane(shape, exact).statistics.count;  // the points it needs
    const TrackThinning met = ThinPlane(shape, exact);
    EXPECT_FALSE(met.capped);
    EXPECT_EQ(met.statistics.count, exact.max_points);

    ThinChoices more = by_count;
    more.wanted_count = 50;
    more.max_points = kLimit;
    const TrackThinning limited = ThinPlane(shape, more);
    EXPECT_TRUE(limited.capped);
    EXPECT_EQ(limited.selected, seven.selected);

    by_count.max_points = kLimit;
    EXPECT_FALSE(ThinPlane(shape, by_count).capped);
  }
}

}  // namespace
}  // namespace oru
