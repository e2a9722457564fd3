// The geodesy calls behind the ellipsoidal thinning, per call:
//  - Pos_Pos on random pairs 10 m to 100 km apart around 54 N, against
//    GeographicLib's Geodesic::Inverse (distance and both azimuths) on the
//    same pairs in the same run;
//  - perpend for a point 1 km off a 10 km geodesic.
// Run: build/bench/geodesy_bench --benchmark_repetitions=10
//        --benchmark_report_aggregates_only=true
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "geodesy/angles.h"
#include "geodesy/datum.h"
#include "geodesy/geodesic.h"
#include "geodesy/perpend.h"

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr std::size_t kPairs = 1024;  // a power of two

const GeographicLib::Geodesic& Karney() {
  static const GeographicLib::Geodesic g(6378137.0, 1.0 / 298.257223563);
  return g;
}

// A Geo_Line point from degrees, through the library's own conversion.
oru::Geo_Point Point(double lat, double lon) {
  oru::Geo_Line g{};
  g.P2.lat_rad = lat * kDeg;
  g.P2.lon_rad = lon * kDeg;
  oru::P2_To_DMS(g);
  return g.P2;
}

double Degrees(std::int32_t d, std::int32_t m, double s, char h) {
  const double v = d + m / 60.0 + s / 3600.0;
  return (h == 'S' || h == 'W') ? -v : v;
}

struct Pairs {
  std::vector<oru::Geo_Line> lines;
  std::vector<double> deg;  // lat1, lon1, lat2, lon2 of each line
};

const Pairs& Random_Pairs() {
  static const Pairs pairs = [] {
    Pairs p;
    std::mt19937_64 rng(54);
    std::uniform_real_distribution<double> lat(53.5, 54.5), lon(0.0, 10.0), az(0.0, 360.0),
        log_s(std::log(10.0), std::log(1e5));
    for (std::size_t i = 0; i < kPairs; ++i) {
      const double lat1 = lat(rng), lon1 = lon(rng);
      double lat2 = 0.0, lon2 = 0.0;
      Karney().Direct(lat1, lon1, az(rng), std::exp(log_s(rng)), lat2, lon2);
      oru::Geo_Line g{};
      g.line_type = 'G';
      g.P1 = Point(lat1, lon1);
      g.P2 = Point(lat2, lon2);
      p.lines.push_back(g);
      p.deg.push_back(Degrees(g.P1.lat_deg, g.P1.lat_min, g.P1.lat_sec, g.P1.lat_hemi));
      p.deg.push_back(Degrees(g.P1.lon_deg, g.P1.lon_min, g.P1.lon_sec, g.P1.lon_hemi));
      p.deg.push_back(Degrees(g.P2.lat_deg, g.P2.lat_min, g.P2.lat_sec, g.P2.lat_hemi));
      p.deg.push_back(Degrees(g.P2.lon_deg, g.P2.lon_min, g.P2.lon_sec, g.P2.lon_hemi));
    }
    return p;
  }();
  return pairs;
}

void BM_Pos_Pos(benchmark::State& state) {
  std::vector<oru::Geo_Line> lines = Random_Pairs().lines;
  oru::DatumParams datum{};
  datum.text = oru::kWgs84DatumString;
  std::size_t i = 0;
  for (auto _ : state) {
    oru::Geo_Line& g = lines[i++ & (kPairs - 1)];
    benchmark::DoNotOptimize(oru::Pos_Pos(datum, g));
    benchmark::DoNotOptimize(g.dist);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Pos_Pos);

void BM_GeographicLib_Inverse(benchmark::State& state) {
  const std::vector<double>& deg = Random_Pairs().deg;
  std::size_t i = 0;
  for (auto _ : state) {
    const double* d = &deg[4 * (i++ & (kPairs - 1))];
    double s12 = 0.0, azi1 = 0.0, azi2 = 0.0;
    Karney().Inverse(d[0], d[1], d[2], d[3], s12, azi1, azi2);
    benchmark::DoNotOptimize(s12);
    benchmark::DoNotOptimize(azi1);
    benchmark::DoNotOptimize(azi2);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GeographicLib_Inverse);

// A 10 km geodesic from 54 N 3 E at azimuth 60 degrees; points 1 km off it
// (alternately left and right) at 64 places along it.
void BM_perpend(benchmark::State& state) {
  const GeographicLib::GeodesicLine gl = Karney().Line(54.0, 3.0, 60.0);
  double lat2 = 0.0, lon2 = 0.0, az = 0.0;
  gl.Position(10000.0, lat2, lon2, az);
  oru::Geo_Line line{};
  line.line_type = 'G';
  line.P1 = Point(54.0, 3.0);
  line.P2 = Point(lat2, lon2);
  std::vector<oru::Geo_Line> points;
  for (int k = 0; k < 64; ++k) {
    double flat = 0.0, flon = 0.0, faz = 0.0, plat = 0.0, plon = 0.0;
    gl.Position(10000.0 * (k + 0.5) / 64.0, flat, flon, faz);
    Karney().Direct(flat, flon, faz + (k % 2 == 0 ? 90.0 : -90.0), 1000.0, plat, plon);
    oru::Geo_Line p{};
    p.line_type = 'G';
    p.P1 = line.P1;
    p.P2 = Point(plat, plon);
    points.push_back(p);
  }
  oru::DatumParams datum{};
  datum.text = oru::kWgs84DatumString;
  std::size_t i = 0;
  for (auto _ : state) {
    oru::Geo_Line p = points[i++ & 63];
    benchmark::DoNotOptimize(oru::perpend(datum, line, p));
    benchmark::DoNotOptimize(p.dist);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_perpend);

}  // namespace

BENCHMARK_MAIN();
