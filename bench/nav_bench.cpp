// Navigation file reading: the NMEA 0183 and UKOOA P1/90 readers against the
// C library's fgets + sscanf of the same fields, in the same run, on
// generated files of 1,000,000 records held in memory (so that disk speed
// takes no part). The sscanf baselines do less: no checksum, no epoch and
// date bookkeeping, no tracks.
//
//   nav_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/nav_files.h"
#include "navformats/nmea_reader.h"
#include "navformats/p190_reader.h"

namespace oru {
namespace {

constexpr long kRecords = 1000000;
constexpr long kNmeaFixes = kRecords * 10 / 11;  // 1,000,000 sentences with the RMCs

const std::string& Nmea() {
  static const std::string text = bench::NmeaLog(kNmeaFixes);
  return text;
}

const std::string& P190() {
  static const std::string text = bench::P190File(kRecords);
  return text;
}

void NmeaOurs(benchmark::State& state) {
  const std::string& text = Nmea();  // made outside the timing
  for (auto _ : state) {
    const NavReadOutcome read = ReadNmeaTracks(text);
    if (read.tracks.size() != 1 || read.tracks[0].first.size() != kNmeaFixes) {
      state.SkipWithError("not every fix was read");
    }
    benchmark::DoNotOptimize(read.tracks.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Nmea().size()));
}

void NmeaLibc(benchmark::State& state) {
  std::vector<double> lat(kRecords);
  std::vector<double> lon(kRecords);
  const std::string& text = Nmea();
  for (auto _ : state) {
    FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    char line[128];
    std::size_t n = 0;
    while (std::fgets(line, sizeof line, file) != nullptr) {
      double time = 0.0;
      double a = 0.0;
      double b = 0.0;
      char ns = 0;
      char ew = 0;
      int quality = 0;
      if (std::strncmp(line + 3, "GGA", 3) == 0 &&
          std::sscanf(line + 7, "%lf,%lf,%c,%lf,%c,%d", &time, &a, &ns, &b, &ew, &quality) == 6 &&
          quality > 0) {
        lat[n] = static_cast<int>(a / 100) + (a - static_cast<int>(a / 100) * 100) / 60.0;
        lon[n] = static_cast<int>(b / 100) + (b - static_cast<int>(b / 100) * 100) / 60.0;
        ++n;
      }
    }
    std::fclose(file);
    if (n != kNmeaFixes) state.SkipWithError("not every fix was read");
    benchmark::DoNotOptimize(lat.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Nmea().size()));
}

void P190Ours(benchmark::State& state) {
  const std::string& text = P190();
  for (auto _ : state) {
    const NavReadOutcome read = ReadP190Tracks(text, {});
    if (read.tracks.size() != kRecords / 1000) state.SkipWithError("not every line was read");
    benchmark::DoNotOptimize(read.tracks.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * P190().size()));
}

void P190Libc(benchmark::State& state) {
  std::vector<double> lat(kRecords);
  std::vector<double> lon(kRecords);
  const std::string& text = P190();
  for (auto _ : state) {
    FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    char line[128];
    std::size_t n = 0;
    while (std::fgets(line, sizeof line, file) != nullptr) {
      if (line[0] != 'V') continue;
      char name[13];
      int lat_d, lat_m, lon_d, lon_m;
      double lat_s, lon_s;
      char ns, ew;
      if (std::sscanf(line, "%*c%12c%*12c%2d%2d%5lf%c%3d%2d%5lf%c", name, &lat_d, &lat_m, &lat_s,
                      &ns, &lon_d, &lon_m, &lon_s, &ew) == 9) {
        lat[n] = lat_d + lat_m / 60.0 + lat_s / 3600.0;
        lon[n] = lon_d + lon_m / 60.0 + lon_s / 3600.0;
        ++n;
      }
    }
    std::fclose(file);
    if (n != kRecords) state.SkipWithError("not every record was read");
    benchmark::DoNotOptimize(lat.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * P190().size()));
}

BENCHMARK(NmeaOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(NmeaLibc)->Unit(benchmark::kMillisecond);
BENCHMARK(P190Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(P190Libc)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oru

BENCHMARK_MAIN();
