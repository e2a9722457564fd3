#include "track/tests/track_shapes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace oru::testing {
namespace {

TrackShape RandomWalk(std::string name, unsigned seed, int n, double step) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> turn(0.0, 0.6);
  std::uniform_real_distribution<double> stride(0.2, 1.0);
  TrackShape t{std::move(name), {}, {}};
  double x = 0.0, y = 0.0, heading = 0.0;
  for (int i = 0; i < n; ++i) {
    t.first.push_back(x);
    t.second.push_back(y);
    heading += turn(random);
    const double s = step * stride(random);
    x += s * std::sin(heading);
    y += s * std::cos(heading);
  }
  return t;
}

TrackShape Scaled(TrackShape t, std::string name, double scale, double offset = 0.0) {
  t.name = std::move(name);
  for (double& v : t.first) v = v * scale + offset;
  for (double& v : t.second) v = v * scale + offset;
  return t;
}

// Pairs of points mirrored across the axis of the first-to-last segment:
// their deviations are equal to the last bit, so every choice between them
// is a tie that the lower point number must win.
TrackShape MirroredZigZag(int pairs) {
  TrackShape t{"mirrored zig-zag", {0.0}, {0.0}};
  for (int k = 1; k <= pairs; ++k) {
    const double wide = (k % 3 == 0) ? 2.0 : 1.0;
    t.first.insert(t.first.end(), {wide, -wide});
    t.second.insert(t.second.end(), {static_cast<double>(k), static_cast<double>(k)});
  }
  t.first.push_back(0.0);
  t.second.push_back(pairs + 1.0);
  return t;
}

// A saw-tooth of identical teeth: equal deviations recur along the track.
TrackShape SawTooth(int teeth) {
  TrackShape t{"saw-tooth", {}, {}};
  for (int i = 0; i <= 2 * teeth; ++i) {
    t.first.push_back(i);
    t.second.push_back(i % 2 == 0 ? 0.0 : 3.0);
  }
  return t;
}

TrackShape Collinear(std::string name, int n, double d1, double d2, double o1, double o2) {
  TrackShape t{std::move(name), {}, {}};
  for (int i = 0; i < n; ++i) {
    t.first.push_back(o1 + i * d1);
    t.second.push_back(o2 + i * d2);
  }
  return t;
}

TrackShape Duplicated(TrackShape t) {
  TrackShape d{t.name + ", every point repeated", {}, {}};
  for (std::size_t i = 0; i < t.first.size(); ++i) {
    const int copies = 1 + static_cast<int>(i % 3);
    for (int c = 0; c < copies; ++c) {
      d.first.push_back(t.first[i]);
      d.second.push_back(t.second[i]);
    }
  }
  return d;
}

TrackShape Spiral(int n, double turns) {
  TrackShape t{"spiral", {}, {}};
  for (int i = 0; i < n; ++i) {
    const double theta = turns * 2.0 * 3.141592653589793 * i / n;
    const double r = 1.0 + 10.0 * theta;
    t.first.push_back(r * std::cos(theta));
    t.second.push_back(r * std::sin(theta));
  }
  return t;
}

// A zig-zag whose amplitude grows and then shrinks again, as a hiker's GPS
// track wanders about a path: splitting a segment often leaves the points
// beside it farther from the shorter segments than from the long one.
TrackShape GrowingZigZag(int n) {
  TrackShape t{"zig-zag of changing amplitude", {}, {}};
  for (int i = 0; i < n; ++i) {
    const double amplitude = 2.0 + 18.0 * std::sin(3.141592653589793 * i / (n - 1));
    t.first.push_back(6.0 * i);
    t.second.push_back(i % 2 == 0 ? amplitude : -0.4 * amplitude);
  }
  return t;
}

// A ship that runs out along a course, turns and comes back a few metres
// beside its own track, then overshoots its starting place.
TrackShape TurningBack(unsigned seed, int n) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> jitter(0.0, 1.5);
  TrackShape t{"ship turning back over its track", {}, {}};
  const int out = n / 2;
  for (int i = 0; i < n; ++i) {
    const double along = i < out ? 15.0 * i : 15.0 * (2 * out - i) - 40.0;
    const double beside = i < out ? 0.0 : 8.0 + 3.0 * std::sin(i * 0.2);
    t.first.push_back(along + jitter(random));
    t.second.push_back(beside + jitter(random));
  }
  return t;
}

// A course with three loops of different radius along it.
TrackShape Loops(int per_loop) {
  TrackShape t{"course with loops", {}, {}};
  double x = 0.0;
  for (double radius : {40.0, 15.0, 70.0}) {
    for (int i = 0; i < 20; ++i) {
      t.first.push_back(x);
      t.second.push_back(0.0);
      x += 12.0;
    }
    for (int i = 0; i < per_loop; ++i) {
      const double theta = 2.0 * 3.141592653589793 * i / per_loop;
      t.first.push_back(x + radius * std::sin(theta));
      t.second.push_back(radius - radius * std::cos(theta));
    }
  }
  t.first.push_back(x + 200.0);
  t.second.push_back(5.0);
  return t;
}

// A ship at anchor: it arrives, swings and drifts with many fixes within a
// few metres of each other, then leaves.
TrackShape AnchorDrift(unsigned seed, int fixes) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> drift(0.0, 2.0);
  TrackShape t{"drift at anchor", {}, {}};
  for (int i = 0; i < 10; ++i) {
    t.first.push_back(-300.0 + 30.0 * i);
    t.second.push_back(-100.0 + 10.0 * i);
  }
  for (int i = 0; i < fixes; ++i) {
    const double swing = 0.05 * i;
    t.first.push_back(25.0 * std::sin(swing) + drift(random));
    t.second.push_back(25.0 * std::cos(swing) + drift(random));
  }
  for (int i = 1; i <= 10; ++i) {
    t.first.push_back(40.0 * i);
    t.second.push_back(-20.0 * i);
  }
  return t;
}

// Out to a turning mark and back well beyond the start: points beyond the
// ends of the segments that join them.
TrackShape BeyondTheEnds() {
  TrackShape t{"doubling back beyond a segment's end", {}, {}};
  for (int i = 0; i <= 30; ++i) {
    t.first.push_back(10.0 * i);
    t.second.push_back(0.3 * (i % 4));
  }
  for (int i = 0; i <= 45; ++i) {
    t.first.push_back(300.0 - 10.0 * i);
    t.second.push_back(4.0 + 0.2 * (i % 3));
  }
  t.first.push_back(20.0);
  t.second.push_back(1.0);
  return t;
}

TrackShape RandomPoints(unsigned seed, int n) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> place(0.0, 1000.0);
  TrackShape t{"random points in a square of 1 km", {}, {}};
  for (int i = 0; i < n; ++i) {
    t.first.push_back(place(random));
    t.second.push_back(place(random));
  }
  return t;
}

// Loops of 40, 15 and 70 m radius, again and again, 240 m of straight
// course before each.
TrackShape RepeatedLoops(int n) {
  TrackShape t{"course with loops", {}, {}};
  constexpr double kPi = 3.141592653589793;
  constexpr int kPerLoop = 24;
  double x = 0.0;
  for (int loop = 0; static_cast<int>(t.first.size()) < n; ++loop) {
    const double radius = (loop % 3 == 0) ? 40.0 : (loop % 3 == 1 ? 15.0 : 70.0);
    for (int i = 0; i < 20; ++i, x += 12.0) {
      t.first.push_back(x);
      t.second.push_back(0.0);
    }
    for (int i = 0; i < kPerLoop; ++i) {
      const double theta = 2.0 * kPi * i / kPerLoop;
      t.first.push_back(x + radius * std::sin(theta));
      t.second.push_back(radius - radius * std::cos(theta));
    }
  }
  t.first.resize(static_cast<std::size_t>(n));
  t.second.resize(static_cast<std::size_t>(n));
  return t;
}

// A ship at 4 to 6 knots logged every second: a slowly wandering heading
// with a course change every half hour or so, sampled with 0.3 m of position
// noise, in UTM-like coordinates.
TrackShape Voyage(unsigned seed, int n) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> wander(0.0, 0.0005);  // rad/s per step
  std::normal_distribution<double> noise(0.0, 0.3);      // metres
  std::uniform_real_distribution<double> course(-2.0, 2.0);
  std::uniform_int_distribution<int> leg(600, 3000);  // seconds between course changes
  TrackShape t{"voyage logged every second", {}, {}};
  double x = 450000.0, y = 6200000.0, heading = 0.7, rate = 0.0, speed = 2.5;
  double turn_left = 0.0;
  int next_change = leg(random);
  for (int i = 0; i < n; ++i) {
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
  return t;
}

TrackShape WithValue(TrackShape t, std::string name, std::size_t index, bool first, double value) {
  t.name = std::move(name);
  (first ? t.first : t.second)[index] = value;
  return t;
}

}  // namespace

std::vector<TrackShape> ManoeuvringTracks() {
  return {GrowingZigZag(90), TurningBack(5, 120), Loops(24), AnchorDrift(6, 150),
          BeyondTheEnds()};
}

TrackShape SmoothCourse(int n) {
  TrackShape t{"smooth course, fixes 6.5 cm apart", {}, {}};
  constexpr double kStep = 0.065, kPi = 3.141592653589793;
  double x = 0.0, y = 0.0, heading = 0.4;
  for (int i = 0; i < n; ++i) {
    t.first.push_back(x);
    t.second.push_back(y);
    heading += kStep * std::sin(2.0 * kPi * i * kStep / 3000.0) / 400.0;
    x += kStep * std::sin(heading);
    y += kStep * std::cos(heading);
  }
  return t;
}

std::vector<TrackShape> ScalableTracks(int n) {
  std::vector<TrackShape> tracks;
  tracks.push_back(Collinear("collinear along an axis, 1 m apart", n, 0.0, 1.0, 500000.0, 6e6));
  tracks.push_back(Collinear("collinear, steps that round", n, 0.42, 0.56, 1e5, 2e5));
  tracks.push_back(SmoothCourse(n));
  tracks.push_back(RandomWalk("random walk", 11, n, 10.0));
  tracks.push_back(RandomPoints(12, n));
  tracks.push_back(GrowingZigZag(n));
  tracks.push_back(RepeatedLoops(n));
  tracks.push_back(AnchorDrift(6, n - 20));
  tracks.push_back(TurningBack(5, n));
  tracks.push_back(Spiral(n, 3.0));
  tracks.push_back(Voyage(13, n));
  return tracks;
}

std::vector<TrackShape> PlaneBlockTracks() {
  std::vector<TrackShape> tracks = ScalableTracks(3000);
  for (TrackShape& t : GeneratedTracks()) tracks.push_back(std::move(t));
  return tracks;
}

std::vector<char> TamePoints(const TrackShape& t) {
  std::vector<char> tame(t.first.size());
  for (std::size_t k = 0; k < tame.size(); ++k) {
    tame[k] = std::fabs(t.first[k]) <= 0x1p+200 && std::fabs(t.second[k]) <= 0x1p+200;
  }
  return tame;
}

std::vector<TrackShape> GeneratedTracks() {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  std::vector<TrackShape> tracks;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    tracks.push_back(RandomWalk("random walk " + std::to_string(seed), seed, 40 + 17 * seed, 10.0));
  }
  const TrackShape walk = RandomWalk("walk", 99, 120, 10.0);
  tracks.push_back(Scaled(walk, "walk far from the origin", 1.0, 6.5e6));
  tracks.push_back(Scaled(walk, "walk of 1e150 metres", 1e150));
  tracks.push_back(Scaled(walk, "walk of 1e300 metres", 1e300));
  tracks.push_back(Scaled(walk, "walk of 1e-300 metres", 1e-300));
  tracks.push_back(Scaled(walk, "walk of 1e-150 metres", 1e-150));
  tracks.push_back(Scaled(walk, "walk of subnormal metres", 1e-312));
  // Within the cheap bound's range (coordinates up to 2^200 = 1.6e60,
  // segments down to 2^-200 = 6.2e-61), near either end of it.
  tracks.push_back(Scaled(walk, "walk of 1e55 metres", 1e55));
  tracks.push_back(Scaled(walk, "walk of 1e-55 metres", 1e-55));
  tracks.push_back(WithValue(walk, "walk with a NaN", 37, true, kNaN));
  tracks.push_back(WithValue(walk, "walk with a NaN end point", 119, false, kNaN));
  tracks.push_back(WithValue(walk, "walk with an infinity", 64, false, kInf));
  tracks.push_back(WithValue(walk, "walk with a huge point", 50, true, 1e250));
  tracks.push_back(MirroredZigZag(40));
  tracks.push_back(SawTooth(45));
  tracks.push_back(Collinear("collinear along an axis", 60, 0.0, 2.5, 3.0, -7.0));
  tracks.push_back(Collinear("collinear, slope 2", 60, 1.0, 2.0, 0.0, 0.0));
  tracks.push_back(Collinear("collinear, inexact steps", 60, 0.1, 0.3, 1e5, 2e5));
  tracks.push_back(Duplicated(RandomWalk("walk", 7, 50, 5.0)));
  tracks.push_back(Collinear("one point repeated", 30, 0.0, 0.0, 4.0, 5.0));
  tracks.push_back(Spiral(150, 3.0));
  for (TrackShape& t : ManoeuvringTracks()) tracks.push_back(std::move(t));
  tracks.push_back({"one point", {1.0}, {2.0}});
  tracks.push_back({"two points", {1.0, 4.0}, {2.0, 6.0}});
  tracks.push_back({"three points", {0.0, 1.0, 2.0}, {0.0, 5.0, 0.0}});
  tracks.push_back({"three points on a line", {0.0, 1.0, 2.0}, {0.0, 1.0, 2.0}});
  return tracks;
}

}  // namespace oru::testing
