// How the optimal selection scales with the number of points, against
// Douglas-Peucker on the same tracks in the same run: every shape of the
// scalable generators (X, Y planar; geographic on the ellipsoid) at n/2 and
// n points, by tolerance and by count, and the cases that once grew
// quadratically. Wall seconds, the median of interleaved repetitions (more
// of them for rows of milliseconds).
//
//   optimal_scaling [--points N] [--repeats R] [--only TEXT] [--row K]
//
// --only runs the rows whose track or criterion contains TEXT, --row the
// K-th row alone (from 0; exit status 3 beyond the last), without the
// table's head: bench/optimal_scaling.sh runs each row under a time limit.
//
// The targets checked on every row: doubling the points at most 2.5 times
// the time, and at n points at most ten times Douglas-Peucker plus 1 s.
//
// Freed memory stays with the process (KeepFreedMemory), so that both sizes
// run on pages already touched. Left to itself, glibc hands the larger
// size's freed arrays back to the system after each repetition, and the
// next one faults every page in again, while the smaller size, run in
// between, reuses what the larger left: on rows of milliseconds that
// difference of page faults, not of the method, doubled the ratio.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <limits>
#include <string>
#include <vector>

#include "geodesy/datum.h"
#include "track/selection_engine.h"
#include "track/tests/geo_shapes.h"
#include "track/tests/track_shapes.h"

namespace {

using oru::CalculationType;
using oru::InputFormat;
using oru::SelectionMethod;
using oru::SelectionSettings;

struct Options {
  int points = 100000;
  int repeats = 3;
  std::string only;  // run only the rows whose name contains it
  int row = -1;      // run only this row; -1 for all
};

// A track as the engine takes it, with the settings of its calculation.
struct Track {
  std::string name;
  std::vector<double> first, second;
  SelectionSettings settings;
};

// How a row thins: a tolerance (metres) or a number of points.
struct Criterion {
  const char* name;
  double threshold;
  std::int64_t wanted;
};

SelectionSettings Planar() {
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  return s;
}

SelectionSettings Ellipsoidic(const char* datum) {
  SelectionSettings s;
  s.calculation = CalculationType::Ellipsoidic;
  s.input_format = InputFormat::OruKvl;
  s.datum = oru::testing::Datum(datum);
  return s;
}

std::vector<Track> Tracks(int n) {
  std::vector<Track> tracks;
  for (oru::testing::TrackShape& t : oru::testing::ScalableTracks(n)) {
    tracks.push_back({"xy: " + t.name, std::move(t.first), std::move(t.second), Planar()});
  }
  for (oru::testing::GeoTrack& t : oru::testing::ScalableGeoTracks(n)) {
    tracks.push_back(
        {"ellipsoidic: " + t.name, std::move(t.lat), std::move(t.lon), Ellipsoidic(t.datum)});
  }
  return tracks;
}

double Seconds(const Track& t, SelectionMethod method, const Criterion& c) {
  SelectionSettings s = t.settings;
  s.method = method;
  s.threshold = c.threshold;
  s.wanted_count = c.wanted > 0 ? c.wanted : static_cast<std::int64_t>(t.first.size());
  const auto begin = std::chrono::steady_clock::now();
  const oru::SelectionResult result = oru::SelectPoints(t.first, t.second, s, nullptr);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  if (result.selected.empty()) std::abort();  // keeps the run from being optimised away
  return took.count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 == 1 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

// Medians of the optimal selection on the half and the whole track and of
// Douglas-Peucker on the whole one, the three interleaved in each repetition
// so that others' load on the machine falls on all alike. Rows of a few
// milliseconds are repeated beyond `repeats` until they have taken a second
// (at most kMostRepeats times): a median of three such runs says more about
// the machine's caches and scheduler than about the method.
struct Row {
  double half, whole, dp;
};

constexpr double kSteadySeconds = 1.0;
constexpr int kMostRepeats = 101;

Row Measure(const Track& half, const Track& whole, const Criterion& c, int repeats) {
  std::vector<double> h, w, d;
  double spent = 0.0;
  for (int r = 0; r < repeats || (spent < kSteadySeconds && r < kMostRepeats); ++r) {
    h.push_back(Seconds(half, SelectionMethod::Optimal, c));
    w.push_back(Seconds(whole, SelectionMethod::Optimal, c));
    d.push_back(Seconds(whole, SelectionMethod::DouglasPeucker, c));
    spent += h.back() + w.back() + d.back();
  }
  return {Median(h), Median(w), Median(d)};
}

// The row's name goes out first: a row stopped by a time limit is named.
bool MeasureAndPrint(const Track& half, const Track& whole, const Criterion& c, int repeats) {
  std::printf("| %s | %s | ", whole.name.c_str(), c.name);
  std::fflush(stdout);
  const Row row = Measure(half, whole, c, repeats);
  const double doubling = row.whole / row.half;
  const bool met = doubling <= 2.5 && row.whole <= 10.0 * row.dp + 1.0;
  std::printf("%.4f | %.4f | %.2f | %.4f | %.1f | %s |\n", row.half, row.whole, doubling, row.dp,
              row.whole / row.dp, met ? "yes" : "NO");
  std::fflush(stdout);
  return met;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int k = 1; k + 1 < argc; k += 2) {
    if (std::strcmp(argv[k], "--points") == 0) {
      o.points = std::atoi(argv[k + 1]);
    } else if (std::strcmp(argv[k], "--repeats") == 0) {
      o.repeats = std::atoi(argv[k + 1]);
    } else if (std::strcmp(argv[k], "--only") == 0) {
      o.only = argv[k + 1];
    } else if (std::strcmp(argv[k], "--row") == 0) {
      o.row = std::atoi(argv[k + 1]);
    } else {
      std::fprintf(stderr, "usage: optimal_scaling [--points N] [--repeats R] [--only TEXT] [--row K]\n");
      std::exit(2);
    }
  }
  if (!(o.points >= 200 && o.repeats >= 1)) {
    std::fprintf(stderr, "optimal_scaling: --points 200 or more, --repeats 1 or more\n");
    std::exit(2);
  }
  return o;
}

// Keeps the heap's freed memory in the process (no trimming) and serves
// blocks of up to 32 MiB from it rather than from fresh mappings.
void KeepFreedMemory() {
  constexpr int kLargestFromHeap = 32 << 20;  // bytes: glibc's most for M_MMAP_THRESHOLD
  if (mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max()) == 0 ||
      mallopt(M_MMAP_THRESHOLD, kLargestFromHeap) == 0) {
    std::fprintf(stderr, "optimal_scaling: the allocator's thresholds could not be set\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  KeepFreedMemory();
  const std::vector<Track> halves = Tracks(o.points / 2), wholes = Tracks(o.points);
  const Criterion criteria[] = {{"max deviation 1 m", 1.0, 0}, {"1,000 points", 0.0, 1000}};
  if (o.row < 0) {
    std::printf("%d against %d points, medians of %d or more (seconds)\n\n", o.points / 2, o.points,
                o.repeats);
    std::printf("| track | criterion | optimal, n/2 | optimal, n | doubling | DP, n | optimal / DP "
                "| met |\n|---|---|---|---|---|---|---|---|\n");
  }
  int row = 0, missed = 0;
  for (std::size_t k = 0; k < wholes.size(); ++k) {
    for (const Criterion& c : criteria) {
      const bool wanted = wholes[k].name.find(o.only) != std::string::npos ||
                          std::string(c.name).find(o.only) != std::string::npos;
      if (!wanted || (o.row >= 0 && row++ != o.row)) continue;
      if (!MeasureAndPrint(halves[k], wholes[k], c, o.repeats)) ++missed;
      if (o.row >= 0) return 0;
    }
  }
  if (o.row >= 0) return 3;
  std::printf("\n%d rows miss a target\n", missed);
  return 0;
}
