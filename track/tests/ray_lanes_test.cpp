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
constexpr std::int64_t kSteps = 24;

// Every compiled form of the scan (as many as this processor runs), start
// by start in groups of up to eight, on the generated plane tracks at
// tolerances where lightest routes flip: each form lists exactly what the
// first lists and leaves the same wedges; the lists hold every end that the
// wedge walked point by point (PlanarShortcuts::WalkPoints) lists, and every
// end whose shortcut is valid (every shortcut's weight, measured). Groups
// that do not fill a form's registers (the track's last starts) and starts
// near the last point are among them.
TEST(RayLanes, EveryFormListsTheEndsOfTheWedgeWalkAndEveryValidEnd) {
  SelectionSettings settings;
  settings.method = SelectionMethod::Optimal;
  settings.calculation = CalculationType::Planar;
  settings.input_format = InputFormat::AsciiXY;
  const std::vector<RayLaneKernel> kernels = RayLaneKernels();
  std::int64_t lanes_compared = 0, valid_ends = 0, extra_ends = 0, walk_ends = 0;
  for (const testing::TrackShape& t : testing::GeneratedTracks()) {
    const auto n = static_cast<std::int64_t>(t.first.size());
    if (n < 3) continue;
    SCOPED_TRACE(t.name);
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    if (!shortcuts.Unbounded().empty()) continue;  // beyond the lanes' range
    const testing::ShortcutWeights w(t.first, t.second, settings);
    for (std::int64_t wanted : {std::int64_t{3}, n / 4, n / 2}) {
      const double d = testing::ReferenceByCount(w, wanted).statistics.largest_deviation;
      for (std::int64_t first = 0; first + 1 < n; first += kRayLanes) {
        const auto count = static_cast<int>(std::min<std::int64_t>(kRayLanes, n - 1 - first));
        std::vector<std::vector<RayLane>> scans;
        for (const RayLaneKernel& kernel : kernels) {
          SCOPED_TRACE(kernel.name);
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
              ASSERT_EQ(std::vector<double>({other.ex, other.ey, other.lo_x, other.lo_y,
                                             other.hi_x, other.hi_y}),
                        std::vector<double>(
                            {lane.ex, lane.ey, lane.lo_x, lane.lo_y, lane.hi_x, lane.hi_y}))
                  << kernels[k].name << ", start " << i;
            }
          }
          ++lanes_compared;
          std::vector<std::int64_t> walked;
          shortcuts.Open(i, d, false);
          DirectionWedge wedge = shortcuts.FreeWedge();
          shortcuts.WalkPoints(wedge, i + 1, std::min(n, i + 1 + kSteps), walked);
          for (const std::int64_t j : walked) {
            ASSERT_TRUE(std::binary_search(lane.ends.begin(), lane.ends.end(), j))
                << "start " << i << ", end " << j;
          }
          walk_ends += static_cast<std::int64_t>(walked.size());
          extra_ends += static_cast<std::int64_t>(lane.ends.size() - walked.size());
          for (std::int64_t j = i + 1; j < std::min(n, i + 1 + kSteps); ++j) {
            if (!(w(i, j) <= d)) continue;
            ++valid_ends;
            ASSERT_TRUE(std::binary_search(lane.ends.begin(), lane.ends.end(), j))
                << "valid shortcut " << i << "-" << j;
          }
        }
      }
    }
  }
  EXPECT_GT(lanes_compared, 8000);
  EXPECT_GT(valid_ends, 80000);
  // The lanes leave out a constraint only where an arc grazes the guard
  // band: their lists are the walk's but for a few ends.
  EXPECT_LT(extra_ends, walk_ends / 1000);
}

}  // namespace
}  // namespace oru
