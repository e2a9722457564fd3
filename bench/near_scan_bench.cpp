// The optimal selection's near scan alone (PlanarShortcuts::ScanNear, the
// ray wedges of eight starts at once in vector lanes): every start of a
// 100,000-point track over as many points as a label pass scans, at the
// tolerance where 1,000 points suffice on that track (a pass counting hops:
// 256 points) and at 1 m (a pass bounding the worst: 128). About half of a
// count pass on the long hops of such a selection.
//
//   near_scan_bench --benchmark_repetitions=7 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/tests/track_shapes.h"

namespace {

constexpr int kPoints = 100000;
constexpr std::int64_t kCountSteps = 256;
constexpr std::int64_t kWorstSteps = 128;

const oru::testing::TrackShape& Shape(const std::string& name) {
  static const std::vector<oru::testing::TrackShape> tracks = oru::testing::ScalableTracks(kPoints);
  return *std::find_if(tracks.begin(), tracks.end(),
                       [&](const oru::testing::TrackShape& t) { return t.name == name; });
}

void BM_NearScan(benchmark::State& state, const std::string& shape, double tolerance,
                 std::int64_t steps) {
  const oru::testing::TrackShape& t = Shape(shape);
  oru::PlanarSegmentMeasure measure(t.first, t.second);
  const oru::PlanarShortcuts shortcuts(measure);
  const auto n = static_cast<std::int64_t>(t.first.size());
  oru::NearScan scans[oru::ShortcutOracle::kNearStarts];
  std::int64_t ends = 0;
  for (auto _ : state) {
    for (std::int64_t first = 0; first + 1 < n; first += oru::ShortcutOracle::kNearStarts) {
      const auto count =
          static_cast<int>(std::min<std::int64_t>(oru::ShortcutOracle::kNearStarts, n - 1 - first));
      if (!shortcuts.ScanNear(first, count, steps, tolerance, scans)) {
        state.SkipWithError("the track lies beyond the lanes' range");
        return;
      }
      for (int l = 0; l < count; ++l) ends += static_cast<std::int64_t>(scans[l].ends.size());
    }
  }
  state.counters["ends per start"] =
      static_cast<double>(ends) / static_cast<double>(state.iterations() * (n - 1));
}

BENCHMARK_CAPTURE(BM_NearScan, random_walk_73m, "random walk", 73.5, kCountSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NearScan, drift_27m, "drift at anchor", 27.4, kCountSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NearScan, spiral_4mm, "spiral", 0.0042, kCountSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NearScan, random_points_500m, "random points in a square of 1 km", 499.7,
                  kCountSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NearScan, smooth_course_1m, "smooth course, fixes 6.5 cm apart", 1.0,
                  kWorstSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NearScan, spiral_1m, "spiral", 1.0, kWorstSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NearScan, turning_back_1m, "ship turning back over its track", 1.0,
                  kWorstSteps)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
