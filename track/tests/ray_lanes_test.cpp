#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "track/direction_wedge.h"
#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/ray_lanes.h"
#include "track/run_settings.h"
#include "track/tests/optimal_reference.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

// The slack that the planar shortcuts add to each point's tolerance (their
// WalkPoints is the point-by-point walk the lanes are held against).
constexpr double kRelativeSlack = 0x1p-40;
constexpr double kAbsoluteSlack = 0x1p-500;  // metres
constexpr std::int64_t kSteps = 150;

// What the scans of one track were held against, summed over tracks.
struct Tally {
  std::int64_t lanes_compared = 0, valid_ends = 0, extra_ends = 0, walk_ends = 0;
};

// Every compiled form of the scan (as many as this processor runs), start
// by start in groups of up to eight, over kSteps points at tolerance d: each
// form lists exactly what the first lists and leaves the same wedges; the
// lists hold every end that the wedge walked point by point
// (PlanarShortcuts::WalkPoints) lists, and every end whose shortcut is
// valid (every shortcut's weight, measured).
void CheckScans(const testing::TrackShape& t, const testing::ShortcutWeights& w,
                PlanarShortcuts& shortcuts, double d, Tally& tally) {
  const std::vector<RayLaneKernel> kernels = RayLaneKernels();
  const auto n = static_cast<std::int64_t>(t.first.size());
  for (std::int64_t first = 0; first + 1 < n; first += kRayLanes) {
    const auto count = static_cast<int>(std::min<std::int64_t>(kRayLanes, n - 1 - first));
    std::vector<std::vector<RayLane>> scans;
    for (const RayLaneKernel& kernel : kernels) {
      scans.emplace_back(kRayLanes);
      ScanRayLanesWith(kernel, t.first.data(), t.second.data(), n, first, count, kSteps, d,
                       kRelativeSlack, kAbsoluteSlack, scans.back().data());
    }
    for (int l = 0; l < count; ++l) {
      const std::int64_t i = first + l;
      const RayLane& lane = scans.front()[static_cast<std::size_t>(l)];
      for (std::size_t k = 1; k < scans.size(); ++k) {
        const RayLane& other = scans[k][static_cast<std::size_t>(l)];
        ASSERT_EQ(other.ends, lane.ends) << kernels[k].name << ", start " << i;
        ASSERT_EQ(other.open, lane.open) << kernels[k].name << ", start " << i;
        if (lane.open) {
          ASSERT_EQ(other.next, lane.next) << kernels[k].name << ", start " << i;
          ASSERT_EQ(std::vector<double>(
                        {other.ex, other.ey, other.lo_x, other.lo_y, other.hi_x, other.hi_y}),
                    std::vector<double>({lane.ex, lane.ey, lane.lo_x, lane.lo_y, lane.hi_x,
                                         lane.hi_y}))
              << kernels[k].name << ", start " << i;
        }
      }
      ++tally.lanes_compared;
      std::vector<std::int64_t> walked;
      shortcuts.Open(i, d, false);
      DirectionWedge wedge = DirectionWedge();
      const std::int64_t walk_end = std::min(n, i + 1 + kSteps);
      const std::int64_t next = shortcuts.WalkPoints(wedge, i + 1, walk_end, walked);
      for (const std::int64_t j : walked) {
        ASSERT_TRUE(std::binary_search(lane.ends.begin(), lane.ends.end(), j))
            << "start " << i << ", end " << j;
      }
      // A wedge the walk leaves open the lanes leave open at the same point.
      if (!wedge.Empty() && next < n) {
        ASSERT_TRUE(lane.open) << "start " << i;
        ASSERT_EQ(lane.next, next) << "start " << i;
      }
      tally.walk_ends += static_cast<std::int64_t>(walked.size());
      tally.extra_ends += static_cast<std::int64_t>(lane.ends.size() - walked.size());
      for (std::int64_t j = i + 1; j < walk_end; ++j) {
        if (!(w(i, j) <= d)) continue;
        ++tally.valid_ends;
        ASSERT_TRUE(std::binary_search(lane.ends.begin(), lane.ends.end(), j))
            << "valid shortcut " << i << "-" << j;
      }
    }
  }
}

SelectionSettings PlaneSettings() {
  SelectionSettings settings;
  settings.method = SelectionMethod::Optimal;
  settings.calculation = CalculationType::Planar;
  settings.input_format = InputFormat::AsciiXY;
  return settings;
}

// The generated plane tracks at tolerances where lightest routes flip
// (groups that do not fill a form's registers, the track's last starts,
// and starts near the last point among them), and a gently curving course
// at tolerances that keep the wedges open over many points: the lists run
// on past the lanes' first stretches, and a wedge that the walk leaves open
// after kSteps points is open in the lanes too, at the same point.
TEST(RayLanes, EveryFormListsTheEndsOfTheWedgeWalkAndEveryValidEnd) {
  Tally tally;
  for (const testing::TrackShape& t : testing::GeneratedTracks()) {
    const auto n = static_cast<std::int64_t>(t.first.size());
    if (n < 3) continue;
    SCOPED_TRACE(t.name);
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    if (!shortcuts.Unbounded().empty()) continue;  // beyond the lanes' range
    const testing::ShortcutWeights w(t.first, t.second, PlaneSettings());
    for (std::int64_t wanted : {std::int64_t{3}, n / 4, n / 2}) {
      CheckScans(t, w, shortcuts, testing::ReferenceByCount(w, wanted).statistics.largest_deviation,
                 tally);
    }
  }
  const Tally generated = tally;
  const testing::TrackShape course = testing::SmoothCourse(300);
  PlanarSegmentMeasure measure(course.first, course.second);
  PlanarShortcuts shortcuts(measure);
  const testing::ShortcutWeights w(course.first, course.second, PlaneSettings());
  for (double d : {0.01, 0.05, 1.0}) {  // metres
    SCOPED_TRACE(d);
    CheckScans(course, w, shortcuts, d, tally);
  }
  EXPECT_GT(generated.lanes_compared, 8000);
  EXPECT_GT(generated.valid_ends, 80000);
  EXPECT_GT(tally.valid_ends - generated.valid_ends, 3 * 300 * kSteps / 2);
  // The lanes leave out a constraint only where an arc grazes the guard
  // band: their lists are the walk's but for a few ends.
  EXPECT_LT(tally.extra_ends, tally.walk_ends / 1000);
}

}  // namespace
}  // namespace oru
