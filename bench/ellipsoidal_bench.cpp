// The ellipsoidal selection: the fast engine (only split segments measured,
// bounds before exact measures, two threads) against the literal engine that
// measures every candidate in every iteration, the optimal selection beside
// the fast engine, and the "planar" calculation
// of a geographic track (projection, then plane measures) against the plane
// run on as many X, Y points; the record of a whole selection.
//
//   ellipsoidal_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// The literal engine takes tens of seconds on 5,000 points; it runs once per
// repetition.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "geodesy/datum.h"
#include "track/selection_engine.h"
#include "track/selection_record.h"
#include "track/tests/reference_engine.h"

namespace {

struct GeoTrack {
  std::vector<double> lat;  // degrees
  std::vector<double> lon;
};

// A ship-like walk around 54N 4E: fixes 10 to 50 m apart, a heading that
// wanders and turns every 500 fixes (bench/make_geo_track.py's recipe).
GeoTrack ShipWalk(std::size_t n, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> wander(0.0, 0.01);
  std::uniform_real_distribution<double> step(10.0, 50.0);
  const double turns[] = {0.0, 0.0, 0.01, -0.01, 0.03, -0.03};
  std::uniform_int_distribution<int> pick(0, 5);
  GeoTrack t;
  double lat = 54.0, lon = 4.0, heading = 0.0, turn = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (i % 500 == 0) turn = turns[pick(random)];
    heading += turn + wander(random);
    const double s = step(random);
    lat += s * std::cos(heading) / 111200.0;
    lon += s * std::sin(heading) / (111200.0 * std::cos(lat * M_PI / 180.0));
    t.lat.push_back(lat);
    t.lon.push_back(lon);
  }
  return t;
}

// A ship's voyage of about 1,500 km: 1,000,000 fixes 1.5 m apart from 36N
// 5W eastwards, a course that changes by a few degrees every 20 to 60 km and
// wanders a little between (a seeded recipe).
GeoTrack Voyage(std::size_t n, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> wander(0.0, 0.0004);
  std::uniform_real_distribution<double> leg(20000.0, 60000.0), turn(-0.08, 0.08);
  GeoTrack t;
  double lat = 36.0, lon = -5.0, heading = 1.45, to_turn = leg(random);
  const double step = 1.5;
  for (std::size_t i = 0; i < n; ++i) {
    to_turn -= step;
    if (to_turn < 0.0) {
      heading += turn(random);
      to_turn = leg(random);
    }
    heading += wander(random);
    lat += step * std::cos(heading) / 111200.0;
    lon += step * std::sin(heading) / (111200.0 * std::cos(lat * M_PI / 180.0));
    t.lat.push_back(lat);
    t.lon.push_back(lon);
  }
  return t;
}

oru::SelectionSettings Settings(oru::CalculationType calculation, oru::InputFormat format,
                                double threshold, std::int64_t wanted) {
  oru::SelectionSettings s;
  s.calculation = calculation;
  s.input_format = format;
  s.threshold = threshold;
  s.wanted_count = wanted;
  if (format != oru::InputFormat::AsciiXY) {
    s.datum.text = oru::kWgs84DatumString;
    oru::Read_Datum(s.datum);
  }
  return s;
}

// range(0): points; range(1): 0 for --max-deviation 1, else --points.
oru::SelectionSettings Criterion(const benchmark::State& state, oru::CalculationType calculation,
                                 oru::InputFormat format) {
  const auto n = state.range(0);
  return state.range(1) == 0 ? Settings(calculation, format, 1.0, n)
                             : Settings(calculation, format, 0.0, state.range(1));
}

void BM_EllipsoidicFast(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  const auto s = Criterion(state, oru::CalculationType::Ellipsoidic, oru::InputFormat::OruKvl);
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = static_cast<std::int64_t>(oru::SelectPoints(t.lat, t.lon, s, nullptr).selected.size());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_EllipsoidicFast)
    ->Args({100000, 0})
    ->Args({100000, 1000})
    ->Args({5000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Short tracks, as a fleet's archive holds tens of thousands of them: the
// wall and processor time of one ellipsoidic thinning within 10 m.
void BM_ShortTracks(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  const auto s = Settings(oru::CalculationType::Ellipsoidic, oru::InputFormat::OruKvl, 10.0,
                          state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(oru::SelectPoints(t.lat, t.lon, s, nullptr).selected.data());
  }
}
BENCHMARK(BM_ShortTracks)
    ->Arg(10)->Arg(100)->Arg(300)->Arg(1000)->Arg(3000)->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The record of the whole selection (every point ranked, the curve to the
// end) on the same walk, in the same run as the fast engine.
void BM_EllipsoidicRecord(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  const auto n = state.range(0);
  const auto s = Settings(oru::CalculationType::Ellipsoidic, oru::InputFormat::OruKvl, 0.0, n);
  for (auto _ : state) {
    const oru::SelectionRecord record = oru::RecordSelection(t.lat, t.lon, s, nullptr);
    benchmark::DoNotOptimize(record.Ranks().data());
  }
}
BENCHMARK(BM_EllipsoidicRecord)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The optimal selection on the same walks, in the same run as the fast
// engine: the fewest points within 1 m, or the least deviation for 1,000.
void BM_EllipsoidicOptimal(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  auto s = Criterion(state, oru::CalculationType::Ellipsoidic, oru::InputFormat::OruKvl);
  s.method = oru::SelectionMethod::Optimal;
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = static_cast<std::int64_t>(oru::SelectPoints(t.lat, t.lon, s, nullptr).selected.size());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_EllipsoidicOptimal)
    ->Args({100000, 0})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_EllipsoidicLiteral(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  const auto s = Criterion(state, oru::CalculationType::Ellipsoidic, oru::InputFormat::OruKvl);
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = static_cast<std::int64_t>(
        oru::testing::ReferenceSelectPoints(t.lat, t.lon, s).selected.size());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_EllipsoidicLiteral)
    ->Args({5000, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// "planar" on the geographic walk: projection and plane measures.
void BM_PlanarGeographic(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  const auto s = Criterion(state, oru::CalculationType::Planar, oru::InputFormat::OruKvl);
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = static_cast<std::int64_t>(oru::SelectPoints(t.lat, t.lon, s, nullptr).selected.size());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_PlanarGeographic)
    ->Args({100000, 0})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The plane run on the same walk in metres (a local equirectangular
// picture of it): as many points, similar shape.
void BM_PlanarXY(benchmark::State& state) {
  const GeoTrack t = ShipWalk(static_cast<std::size_t>(state.range(0)), 54);
  std::vector<double> x(t.lat.size()), y(t.lat.size());
  for (std::size_t i = 0; i < t.lat.size(); ++i) {
    x[i] = (t.lon[i] - 4.0) * 111200.0 * std::cos(54.0 * M_PI / 180.0);
    y[i] = t.lat[i] * 111200.0;
  }
  const auto s = Criterion(state, oru::CalculationType::Planar, oru::InputFormat::AsciiXY);
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = static_cast<std::int64_t>(oru::SelectPoints(x, y, s, nullptr).selected.size());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_PlanarXY)
    ->Args({100000, 0})
    ->Args({100000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The voyage, "ellipsoidic" and "planar" in the same run: --points 1000
// (range 1000) and --max-deviation 10 (range 0).
void BM_Voyage(benchmark::State& state, oru::CalculationType calculation) {
  static const GeoTrack t = Voyage(1000000, 15);
  const oru::SelectionSettings s =
      state.range(0) == 0
          ? Settings(calculation, oru::InputFormat::OruKvl, 10.0, 1000000)
          : Settings(calculation, oru::InputFormat::OruKvl, 0.0, state.range(0));
  std::int64_t kept = 0;
  for (auto _ : state) {
    kept = static_cast<std::int64_t>(oru::SelectPoints(t.lat, t.lon, s, nullptr).selected.size());
  }
  state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK_CAPTURE(BM_Voyage, ellipsoidic, oru::CalculationType::Ellipsoidic)
    ->Arg(1000)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Voyage, planar, oru::CalculationType::Planar)
    ->Arg(1000)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
