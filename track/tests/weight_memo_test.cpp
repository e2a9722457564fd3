#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

// Weights asked again and again, against limits on either side of them and
// in any order, so that what earlier askings told (above one limit, at most
// another, exactly so much) answers later ones: every answer as the
// measure's own farthest point gives it. On a course with loops (whole
// runs of points tie with a shortcut's weight), the zig-zag and a random
// walk; more shortcuts than the memo has slots, so that shortcuts share a
// slot.
TEST(WeightMemo, AnswersAgreeWithTheMeasureInAnyOrder) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::vector<testing::TrackShape> all = testing::ScalableTracks(3000);
  std::mt19937_64 random(61);
  for (const int shape : {6, 5, 3}) {
    const testing::TrackShape& t = all[static_cast<std::size_t>(shape)];
    SCOPED_TRACE(t.name);
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    const auto n = static_cast<std::int64_t>(t.first.size());
    struct Asked {
      std::int64_t i, j;
      double w;  // metres, by the measure
    };
    std::vector<Asked> asked;
    for (int k = 0; k < 6000; ++k) {
      const std::int64_t span = std::int64_t{2} << (k % 9);  // 2 to 512 points
      const std::int64_t i = std::uniform_int_distribution<std::int64_t>(0, n - 1 - span)(random);
      asked.push_back({i, i + span, measure.FarthestPoint(i, i + span).deviation});
    }
    for (int round = 0; round < 4; ++round) {
      for (const Asked& a : asked) {
        const double below = std::nextafter(a.w, -kInf), above = std::nextafter(a.w, kInf);
        const std::pair<double, double> limits[] = {
            {-kInf, kInf}, {below, below}, {a.w, a.w},      {below, above},
            {above, kInf}, {-kInf, below}, {0.5 * a.w, a.w}, {a.w, 2.0 * a.w}};
        const auto [low, high] = limits[std::uniform_int_distribution<int>(0, 7)(random)];
        const WeightAnswer got = shortcuts.Weight(a.i, a.j, low, high);
        const WeightAnswer want = Classify(a.w, low, high);
        ASSERT_EQ(got.kind, want.kind) << a.i << "-" << a.j << " against " << low << ", " << high;
        ASSERT_EQ(got.value, want.value) << a.i << "-" << a.j;
      }
    }
  }
}

}  // namespace
}  // namespace oru
