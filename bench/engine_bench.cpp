// The selection engine against Boost.Geometry's recursive Douglas-Peucker
// simplification on the same ship-like track, and against the plain
// reference engine; the optimal selection and the record of a selection
// against the engine.
//
//   engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "track/selection_engine.h"
#include "track/selection_record.h"
#include "track/tests/reference_engine.h"

namespace {

namespace bg = boost::geometry;
using BoostPoint = bg::model::d2::point_xy<double>;
using BoostLine = bg::model::linestring<BoostPoint>;

struct Track {
  std::vector<double> first;   // easting, metres
  std::vector<double> second;  // northing, metres
  BoostLine line;
};

// A ship at 4 to 6 knots logged every second: a slowly wandering heading
// with a course change every half hour or so, sampled with 0.3 m of position
// noise, in UTM-like coordinates.
Track ShipTrack(std::size_t n, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> wander(0.0, 0.0005);  // rad/s per step
  std::normal_distribution<double> noise(0.0, 0.3);      // metres
  std::uniform_real_distribution<double> course(-2.0, 2.0);
  std::uniform_int_distribution<int> leg(600, 3000);  // seconds between course changes
  Track t;
  t.first.reserve(n);
  t.second.reserve(n);
  double x = 450000.0, y = 6200000.0, heading = 0.7, rate = 0.0, speed = 2.5;
  double turn_left = 0.0;
  int next_change = leg(random);
  for (std::size_t i = 0; i < n; ++i) {
    t.first.push_back(x + noise(random));
    t.second.push_back(y + noise(random));
    if (--next_change == 0) {
      turn_left = course(random);
      next_change = leg(random);
    }
    const double turn = std::clamp(turn_left, -0.02, 0.02);  // at most ~1 degree a second
    turn_left -= turn;
    rate = 0.98 * rate + wander(random);
    heading += rate + turn;
    speed = std::clamp(speed + 0.01 * noise(random), 2.0, 3.0);
    x += speed * std::sin(heading);
    y += speed * std::cos(heading);
  }
  for (std::size_t i = 0; i < n; ++i) t.line.emplace_back(t.first[i], t.second[i]);
  return t;
}

const Track& Million() {
  static const Track track = ShipTrack(1000000, 20240611);
  return track;
}

oru::SelectionSettings Settings(double threshold, std::int64_t wanted) {
  oru::SelectionSettings s;
  s.calculation = oru::CalculationType::Planar;
  s.input_format = oru::InputFormat::AsciiXY;
  s.threshold = threshold;
  s.wanted_count = wanted;
  return s;
}

std::size_t OurCount(const Track& t, const oru::SelectionSettings& s) {
  return oru::SelectPoints(t.first, t.second, s, nullptr).selected.size();
}

std::size_t BoostCount(const Track& t, double tolerance) {
  BoostLine out;
  bg::simplify(t.line, out, tolerance);
  return out.size();
}

// The tolerance at which Boost keeps `wanted` points, or the nearest count
// below it that it reaches: its count falls as the tolerance grows, so bisect
// between a tolerance that keeps too many and one that keeps at most `wanted`.
double MatchingTolerance(const Track& t, std::size_t wanted) {
  double lo = 0.0, hi = 1.0;
  while (BoostCount(t, hi) > wanted) hi *= 2.0;
  for (int i = 0; i < 60; ++i) {
    const double mid = 0.5 * (lo + hi);
    const std::size_t count = BoostCount(t, mid);
    if (count == wanted) return mid;
    (count > wanted ? lo : hi) = mid;
  }
  return hi;
}

// The engine works on its own copies of the coordinates, which the caller
// makes (the processing run copies them out of the track store); they are
// made outside the timing.
void RunOurs(benchmark::State& state, const Track& t, const oru::SelectionSettings& settings) {
  std::size_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> first = t.first, second = t.second;
    state.ResumeTiming();
    const oru::SelectionResult r =
        oru::SelectPoints(std::move(first), std::move(second), settings, nullptr);
    kept = r.selected.size();
    benchmark::DoNotOptimize(r.selected.data());
  }
  state.counters["kept"] = static_cast<double>(kept);
}

void RunBoost(benchmark::State& state, std::size_t ours) {
  const Track& t = Million();
  const double tolerance = MatchingTolerance(t, ours);
  std::size_t kept = 0;
  for (auto _ : state) {
    BoostLine out;
    bg::simplify(t.line, out, tolerance);
    kept = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["kept"] = static_cast<double>(kept);
  state.counters["ours_kept"] = static_cast<double>(ours);
  state.counters["tolerance_m"] = tolerance;
}

const oru::SelectionSettings kOneMetre = Settings(1.0, 1000000);
const oru::SelectionSettings kTenThousand = Settings(0.0, 10000);

oru::SelectionSettings Optimal(oru::SelectionSettings s) {
  s.method = oru::SelectionMethod::Optimal;
  return s;
}

void BM_Engine_1M_MaxDeviation1m(benchmark::State& state) { RunOurs(state, Million(), kOneMetre); }
void BM_Boost_1M_SameCountAs1m(benchmark::State& state) {
  static const std::size_t ours = OurCount(Million(), kOneMetre);
  RunBoost(state, ours);
}
void BM_Engine_1M_Points10000(benchmark::State& state) { RunOurs(state, Million(), kTenThousand); }
void BM_Boost_1M_SameCountAs10000(benchmark::State& state) {
  static const std::size_t ours = OurCount(Million(), kTenThousand);
  RunBoost(state, ours);
}

// The record of the same selection to 10,000 points: the figures after
// every addition and the rank of every point, against the plain run above.
void BM_Record_1M_Points10000(benchmark::State& state) {
  const Track& t = Million();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> first = t.first, second = t.second;
    state.ResumeTiming();
    const oru::SelectionRecord record =
        oru::RecordSelection(std::move(first), std::move(second), kTenThousand, nullptr, 10000);
    benchmark::DoNotOptimize(record.Ranks().data());
  }
}

// The record to the end, as the window's runs make it for the preview.
void BM_Record_1M_ToTheEnd(benchmark::State& state) {
  const Track& t = Million();
  for (auto _ : state) {
    const oru::SelectionRecord record =
        oru::RecordSelection(t.first, t.second, Settings(0.0, 1000000), nullptr);
    benchmark::DoNotOptimize(record.Ranks().data());
  }
}

const Track& TwentyThousand() {
  static const Track track = ShipTrack(20000, 7);
  return track;
}

void BM_Engine_20k_Points2000(benchmark::State& state) {
  RunOurs(state, TwentyThousand(), Settings(0.0, 2000));
}

void BM_Reference_20k_Points2000(benchmark::State& state) {
  const Track& t = TwentyThousand();
  for (auto _ : state) {
    const oru::testing::ReferenceRun r =
        oru::testing::ReferenceSelectPoints(t.first, t.second, Settings(0.0, 2000));
    benchmark::DoNotOptimize(r.selected.data());
  }
}

// The optimal selection on the same track (it scans on a second thread too,
// so real time is what compares).
void BM_Optimal_1M_MaxDeviation1m(benchmark::State& state) {
  RunOurs(state, Million(), Optimal(kOneMetre));
}
void BM_Optimal_1M_Points10000(benchmark::State& state) {
  RunOurs(state, Million(), Optimal(kTenThousand));
}

BENCHMARK(BM_Engine_1M_MaxDeviation1m)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Optimal_1M_MaxDeviation1m)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Optimal_1M_Points10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Boost_1M_SameCountAs1m)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Engine_1M_Points10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Record_1M_Points10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Record_1M_ToTheEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Boost_1M_SameCountAs10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Engine_20k_Points2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference_20k_Points2000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
