// The optimal selection beside the Douglas-Peucker selection: the points
// each keeps at 1, 5 and 20 m, and the largest deviation each reaches with
// 25, 100 and 1,000 points, on generated tracks with manoeuvres and on the
// shipped samples. Prints a Markdown table.
//
//   compare_methods SOURCE_DIR

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "geodesy/datum.h"
#include "track/selection_engine.h"
#include "track/track_store.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"

namespace {

struct Track {
  std::string name;
  std::vector<double> first, second;
  oru::CalculationType calculation = oru::CalculationType::Planar;
  oru::InputFormat format = oru::InputFormat::AsciiXY;
};

// A fix every second at `speed` m/s, 0.3 m of position noise; the heading
// follows `turn_rate` (rad/s) given for each second.
struct Log {
  std::mt19937_64 random{54};
  std::normal_distribution<double> noise{0.0, 0.3};
  double x = 500000.0, y = 6000000.0, heading = 0.0;
  Track track;

  void Sail(int seconds, double speed, double turn_rate) {
    for (int s = 0; s < seconds; ++s) {
      track.first.push_back(x + noise(random));
      track.second.push_back(y + noise(random));
      heading += turn_rate;
      x += speed * std::sin(heading);
      y += speed * std::cos(heading);
    }
  }
};

// Survey lines: 2 km runs 100 m apart, turning back at each end.
Track SurveyLines() {
  Log log;
  log.track.name = "survey lines, 12 runs of 2 km, turning back";
  for (int run = 0; run < 12; ++run) {
    log.Sail(800, 2.5, 0.0);
    log.Sail(63, 2.5, (run % 2 == 0 ? 1.0 : -1.0) * M_PI / 63.0);  // 100 m across
  }
  return log.track;
}

// A course with loops of 50 to 300 m radius and S-turns between.
Track Loops() {
  Log log;
  log.track.name = "course with loops and S-turns";
  for (double radius : {50.0, 300.0, 120.0, 80.0}) {
    log.Sail(1500, 4.0, 0.0);
    const int around = static_cast<int>(2.0 * M_PI * radius / 4.0);
    log.Sail(around, 4.0, 2.0 * M_PI / around);
    for (int s = 0; s < 4; ++s) log.Sail(200, 4.0, (s % 2 == 0 ? 1.0 : -1.0) * 0.004);
  }
  return log.track;
}

// In to an anchorage, six hours at anchor swinging and drifting within
// tens of metres (a fix every 2 s), and out again.
Track Anchorage() {
  Log log;
  log.track.name = "approach, six hours at anchor, departure";
  log.Sail(3000, 5.0, 0.0002);
  std::normal_distribution<double> drift(0.0, 1.0);
  const double ax = log.x, ay = log.y;
  for (int s = 0; s < 10800; ++s) {
    const double swing = 0.0005 * s;
    log.track.first.push_back(ax + 40.0 * std::sin(swing) + drift(log.random));
    log.track.second.push_back(ay + 40.0 * std::cos(swing) + drift(log.random));
  }
  log.Sail(3000, 5.0, -0.0003);
  return log.track;
}

bool ReadSample(const std::string& path, oru::InputFormat format, Track& t) {
  std::string text;
  if (!oru::LoadFile(path, text)) return false;
  oru::TrackStore store(static_cast<std::size_t>(oru::CountTrackLines(text)));
  const oru::ReadOutcome read = oru::ReadTrack(text, format, store);
  if (read.bad_line != 0) return false;
  const auto n = static_cast<std::size_t>(read.points);
  t.first.assign(store.first.begin(), store.first.begin() + static_cast<std::ptrdiff_t>(n));
  t.second.assign(store.second.begin(), store.second.begin() + static_cast<std::ptrdiff_t>(n));
  return true;
}

oru::SelectionResult Run(const Track& t, oru::SelectionMethod method, double threshold,
                         std::int64_t wanted) {
  oru::SelectionSettings s;
  s.method = method;
  s.calculation = t.calculation;
  s.input_format = t.format;
  s.threshold = threshold;
  s.wanted_count = wanted;
  if (t.format != oru::InputFormat::AsciiXY) {
    s.datum.text = oru::kWgs84DatumString;
    oru::Read_Datum(s.datum);
  }
  return oru::SelectPoints(t.first, t.second, s, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: compare_methods SOURCE_DIR\n");
    return 2;
  }
  const std::string samples = std::string(argv[1]) + "/data/samples/";
  std::vector<Track> tracks = {SurveyLines(), Loops(), Anchorage()};
  Track xy{"sample survey_line_xy (X, Y)", {}, {}};
  Track geo{"sample survey_line_oru (ellipsoidic)", {}, {}, oru::CalculationType::Ellipsoidic,
            oru::InputFormat::OruKvl};
  if (!ReadSample(samples + "survey_line_xy.txt", oru::InputFormat::AsciiXY, xy) ||
      !ReadSample(samples + "survey_line_oru.txt", oru::InputFormat::OruKvl, geo)) {
    std::fprintf(stderr, "compare_methods: cannot read the samples in %s\n", samples.c_str());
    return 1;
  }
  tracks.push_back(xy);
  tracks.push_back(geo);

  const auto dp = oru::SelectionMethod::DouglasPeucker;
  const auto optimal = oru::SelectionMethod::Optimal;
  std::printf("| track | points | kept at 1 m (DP / optimal) | 5 m | 20 m "
              "| deviation at 25 points, m (DP / optimal) | 100 points | 1,000 points |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  for (const Track& t : tracks) {
    const auto n = static_cast<std::int64_t>(t.first.size());
    std::printf("| %s | %lld |", t.name.c_str(), static_cast<long long>(n));
    for (double d : {1.0, 5.0, 20.0}) {
      std::printf(" %zu / %zu |", Run(t, dp, d, n).selected.size(),
                  Run(t, optimal, d, n).selected.size());
    }
    for (std::int64_t wanted : {25, 100, 1000}) {
      if (wanted >= n) {
        std::printf(" - |");
        continue;
      }
      std::printf(" %.2f / %.2f |", Run(t, dp, 0.0, wanted).max_deviation,
                  Run(t, optimal, 0.0, wanted).max_deviation);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
