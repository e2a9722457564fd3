// The C++ engine's side of bench/python_bench.py: thins the arrays that the
// Python benchmark thins with oru.thin_xy, through the same call (ThinTrack
// on the engine's copies of the arrays, in huge pages, with the quality
// figures), and prints the seconds of each run, one a line (wall, then
// processor seconds of the thread), then the points kept. The arrays come as raw float64 in a file: the n X values, then the
// n Y values (numpy's tofile).
//
//   array_thin_bench ARRAYS.f64 POINTS_KEPT RUNS

#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/track_thinning.h"
#include "track/huge_pages.h"
#include "trackio/file_io.h"

namespace {

// Processor seconds of the calling thread.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::vector<double> EngineCopy(const double* values, std::size_t n) {
  std::vector<double> copy;
  oru::ReserveInHugePages(copy, n);
  copy.assign(values, values + n);
  return copy;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: array_thin_bench ARRAYS.f64 POINTS_KEPT RUNS\n");
    return 2;
  }
  std::string bytes;
  if (!oru::LoadFile(argv[1], bytes) || bytes.size() % (2 * sizeof(double)) != 0) {
    std::fprintf(stderr, "%s could not be read as two float64 arrays\n", argv[1]);
    return 1;
  }
  const std::size_t n = bytes.size() / (2 * sizeof(double));
  std::vector<double> arrays(2 * n);
  std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(arrays.data()));
  oru::ThinChoices choices;
  choices.criterion = oru::Criterion::NumberOfPoints;
  choices.wanted_count = std::atoll(argv[2]);
  choices.quality_figures = true;
  std::int64_t kept = 0;
  for (int run = 0; run < std::atoi(argv[3]); ++run) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = ThreadSeconds();
    const oru::TrackThinning thinned =
        oru::ThinTrack(EngineCopy(arrays.data(), n), EngineCopy(arrays.data() + n, n), false,
                       oru::DatumChoice::Wgs84, choices, nullptr);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    kept = thinned.statistics.count;
    std::printf("%.6f %.6f\n", seconds.count(), ThreadSeconds() - cpu);
  }
  std::printf("kept %lld\n", static_cast<long long>(kept));
  return 0;
}
