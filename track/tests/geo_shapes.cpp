#include "track/tests/geo_shapes.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "track/tests/track_shapes.h"

namespace oru::testing {

DatumParams Datum(const char* text) {
  DatumParams d{};
  d.text = text;
  Read_Datum(d);
  return d;
}

GeoTrack ShipWalk(std::string name, int n, double lat0, double lon0, unsigned seed,
                  const char* datum) {
  GeoTrack t{std::move(name), {}, {}, datum};
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> step(10.0, 50.0), turn(-0.15, 0.15);
  double lat = lat0, lon = lon0, heading = 0.7;
  for (int i = 0; i < n; ++i) {
    t.lat.push_back(lat);
    t.lon.push_back(lon);
    heading += turn(random);
    const double s = step(random);
    lat += s * std::cos(heading) / 111000.0;
    lon += s * std::sin(heading) / (111000.0 * std::cos(lat * M_PI / 180.0));
    if (std::fabs(lat) > 90.0) {  // over the pole: down the other side
      lat = std::copysign(180.0, lat) - lat;
      lon += 180.0;
      heading += M_PI;
    }
    if (lon > 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
  }
  return t;
}

namespace {

// A point `east` and `north` metres from (lat0, lon0), on a local plane
// (good to a part in 10^5 over a few kilometres).
void PushMetres(GeoTrack& t, double lat0, double lon0, double east, double north) {
  constexpr double kMetresPerDegree = 111200.0;
  t.lat.push_back(lat0 + north / kMetresPerDegree);
  t.lon.push_back(lon0 + east / (kMetresPerDegree * std::cos(lat0 * M_PI / 180.0)));
}

}  // namespace

GeoTrack SlowShipWithNoise(std::string name, int n, double heading, double noise,
                           unsigned seed) {
  GeoTrack t{std::move(name), {}, {}};
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> gps(0.0, noise);
  double x = 0.0, y = 0.0;
  for (int i = 0; i < n; ++i) {
    PushMetres(t, 30.5, 32.35, x + gps(random), y + gps(random));
    const double manoeuvre = unit(random);
    if (manoeuvre < 0.01) {
      heading += M_PI * (0.7 + 0.6 * unit(random));  // turning back
    } else if (manoeuvre < 0.1) {
      heading += unit(random) - 0.5;
    } else {
      heading += 0.05 * (unit(random) - 0.5);
    }
    const double step = 0.5 + 3.5 * unit(random);
    x += step * std::sin(heading);
    y += step * std::cos(heading);
  }
  return t;
}

GeoTrack SwitchbackHike(int legs, unsigned seed) {
  GeoTrack t{"switchback hike", {}, {}};
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double x = 0.0, y = 0.0;
  PushMetres(t, 46.43, 13.74, x, y);
  for (int leg = 0; leg < legs; ++leg) {
    const double heading = (leg % 2 == 0 ? 3.4 : 0.25) + 0.3 * (unit(random) - 0.5);
    const double length = 40.0 + 260.0 * unit(random);
    for (double done = 0.0; done < length;) {
      const double step = std::min(3.0 + 17.0 * unit(random), length - done + 1.0);
      done += step;
      x += step * std::sin(heading);
      y += step * std::cos(heading);
      PushMetres(t, 46.43, 13.74, x + 2.0 * (unit(random) - 0.5), y);
    }
    // One fix a little beyond the switchback, off to the side.
    PushMetres(t, 46.43, 13.74, x + 25.0 * std::sin(heading) - 12.0,
               y + 25.0 * std::cos(heading) + 5.0);
  }
  return t;
}

GeoTrack FixesBehindEndsAcrossNorth() {
  GeoTrack t{"fixes behind the ends across north", {}, {}};
  // Seen from P: A at azimuth 327 degrees, 5.30 m away; B due north of P,
  // 8.89 m away, so that A-B is 5.3 m long and P lies behind A. Each triple
  // turned by `turn` about P (also by 180 degrees: A and B either side of
  // south), and mirrored east-west; the triples 30 m apart along a parallel.
  double east = 0.0;
  for (double turn : {0.0, 5.0, -5.0, 20.0, 180.0, 185.0}) {
    for (double mirror : {1.0, -1.0}) {
      const double to_a = (327.0 + turn) * M_PI / 180.0;
      const double to_b = turn * M_PI / 180.0;
      PushMetres(t, 30.5, 32.35, east + mirror * 5.30 * std::sin(to_a), 5.30 * std::cos(to_a));
      PushMetres(t, 30.5, 32.35, east, 0.0);
      PushMetres(t, 30.5, 32.35, east + mirror * 8.89 * std::sin(to_b), 8.89 * std::cos(to_b));
      east += 30.0;
    }
  }
  return t;
}

GeoTrack AlongAWholeMinute(int n, unsigned seed) {
  GeoTrack t{"along a whole minute of latitude", {}, {}};
  std::mt19937_64 random(seed);
  std::normal_distribution<double> gps(0.0, 0.003);
  const double minute = 54.0 + 7.0 / 60.0;
  for (int i = 0; i < n; ++i) {
    PushMetres(t, minute, 4.0, 1.5 * i, gps(random) - 0.06 - 0.03 * i / n);
  }
  return t;
}

GeoTrack BesideAWholeMinute(int n) {
  GeoTrack t{"beside a whole minute of longitude", {}, {}};
  const double minute = 4.0 + 7.0 / 60.0;
  for (int i = 0; i < n; ++i) PushMetres(t, 54.0, minute, i % 76 == 0 ? -5.0 : -0.008, 1.5 * i);
  return t;
}

GeoTrack FixBesideTheWestEnd(double beside) {
  GeoTrack t{"a fix beside the west end, " + std::to_string(beside) + " m east of it", {}, {}};
  const double lat = 54.0 + 7.5 / 60.0, lon = 12.3;
  // On the line from 2 km east of B (5 cm south of B's parallel) to B.
  auto on_line = [&](double east) { PushMetres(t, lat, lon, east, -0.05 * east / 2000.0); };
  for (int i = 0; i < 39; ++i) on_line(2000.0 - 50.0 * i);
  PushMetres(t, lat, lon, beside, 0.5);
  for (int i = 1; i <= 12; ++i) on_line(50.0 * i);  // east again, and back
  for (int i = 0; i <= 10; ++i) on_line(575.0 - 50.0 * i);
  PushMetres(t, lat, lon, 0.0, 0.0);
  for (int i = 1; i <= 5; ++i) PushMetres(t, lat, lon, 0.0, 100.0 * i);
  return t;
}

std::vector<GeoTrack> ScalableGeoTracks(int n) {
  std::vector<GeoTrack> tracks;
  {  // From 36N 5W eastwards, a course that changes by a few degrees every 20
     // to 60 km and wanders a little between.
    GeoTrack t{"voyage, fixes 1.5 m apart", {}, {}};
    std::mt19937_64 random(23);
    std::normal_distribution<double> wander(0.0, 0.0004);
    std::uniform_real_distribution<double> leg(20000.0, 60000.0), turn(-0.08, 0.08);
    double east = 0.0, north = 0.0, heading = 1.45, to_turn = leg(random);
    for (int i = 0; i < n; ++i) {
      PushMetres(t, 36.0, -5.0, east, north);
      to_turn -= 1.5;
      if (to_turn < 0.0) {
        heading += turn(random);
        to_turn = leg(random);
      }
      heading += wander(random);
      east += 1.5 * std::sin(heading);
      north += 1.5 * std::cos(heading);
    }
    tracks.push_back(t);
  }
  tracks.push_back(ShipWalk("ship walk", n, 54.0, 4.0, 21));
  {
    GeoTrack t{"collinear in degrees, 1.4 m apart", {}, {}};
    for (int i = 0; i < n; ++i) {
      t.lat.push_back(54.0 + i * 1e-5);
      t.lon.push_back(4.0 + i * 1.3e-5);
    }
    tracks.push_back(t);
  }
  tracks.push_back(SlowShipWithNoise("slow ship with GPS noise", n, 0.3, 2.0, 22));
  {
    GeoTrack t = SwitchbackHike(n / 8, 24);
    while (static_cast<int>(t.lat.size()) < n) {  // the hike again, a little further east
      const GeoTrack more = SwitchbackHike(n / 8, 25 + static_cast<unsigned>(t.lat.size()));
      for (std::size_t k = 0; k < more.lat.size(); ++k) {
        t.lat.push_back(more.lat[k]);
        t.lon.push_back(more.lon[k] + 0.05);
      }
    }
    t.lat.resize(static_cast<std::size_t>(n));
    t.lon.resize(static_cast<std::size_t>(n));
    tracks.push_back(t);
  }
  {
    const TrackShape course = SmoothCourse(n);
    GeoTrack t{course.name, {}, {}};
    for (int i = 0; i < n; ++i) {
      PushMetres(t, 46.0, 7.0, course.first[static_cast<std::size_t>(i)],
                 course.second[static_cast<std::size_t>(i)]);
    }
    tracks.push_back(t);
  }
  return tracks;
}

std::vector<GeoTrack> AwkwardTracks() {
  std::vector<GeoTrack> tracks;
  tracks.push_back(ShipWalk("ship walk 54N 4E", 40, 54.0, 4.0, 1));
  tracks.push_back(ShipWalk("ship walk ED50", 36, 55.5, 3.0, 2, kEd50DatumString));
  tracks.push_back(ShipWalk("walk across the antimeridian", 40, 60.0, 179.9995, 3));
  tracks.push_back(ShipWalk("walk near the north pole", 30, 89.9990, 40.0, 4));
  tracks.push_back(ShipWalk("walk near the south pole", 30, -89.9985, -120.0, 5));
  {  // Repeated points and points on the ends of their segments: equal
     // deviations, exact zeros.
    GeoTrack t = ShipWalk("walk with repeats", 16, 54.0, 4.0, 6);
    GeoTrack r{"repeated points and segment ends", {}, {}};
    for (std::size_t i = 0; i < t.lat.size(); ++i) {
      for (int k = 0; k < 1 + static_cast<int>(i % 3); ++k) {
        r.lat.push_back(t.lat[i]);
        r.lon.push_back(t.lon[i]);
      }
      r.lat.push_back(t.lat.front());  // the first point again
      r.lon.push_back(t.lon.front());
    }
    r.lat.push_back(t.lat.front());
    r.lon.push_back(t.lon.front() + 0.01);
    tracks.push_back(r);
  }
  {  // Mirror images about the equator: ties between distinct points.
    GeoTrack t{"mirrored about the equator", {0.0}, {10.0}};
    for (int i = 1; i <= 12; ++i) {
      const double off = 0.001 * (1 + i % 4);
      t.lat.push_back(i % 2 ? off : -off);
      t.lon.push_back(10.0 + 0.01 * ((i + 1) / 2));
    }
    t.lat.push_back(0.0);
    t.lon.push_back(10.1);
    tracks.push_back(t);
  }
  {  // Points on and near the circle over the chord: right angles at P, where
     // the measure switches between perpendicular and end distance.
    GeoTrack t{"right angles at P", {54.0}, {4.0}};
    for (int i = 1; i <= 24; ++i) {
      const double theta = M_PI * i / 25.0;
      const double r = 0.05 * (1.0 + (i % 3 - 1) * 1e-7);
      t.lat.push_back(54.0 + r * std::sin(theta) * 0.6);
      t.lon.push_back(4.05 - r * std::cos(theta));
    }
    t.lat.push_back(54.0);
    t.lon.push_back(4.1);
    tracks.push_back(t);
  }
  {  // A long chord across an ocean, with a wavy course between.
    GeoTrack t{"across the Atlantic", {}, {}};
    for (int i = 0; i <= 30; ++i) {
      const double f = i / 30.0;
      t.lat.push_back(50.0 - 10.0 * f + 3.0 * std::sin(7.0 * f));
      t.lon.push_back(-5.0 - 65.0 * f);
    }
    tracks.push_back(t);
  }
  {  // Along a meridian and back: points beyond the ends of north-south
     // segments, seen at azimuths near 0 and 360 degrees.
    GeoTrack t{"up and down a meridian", {}, {}};
    for (int i = 0; i < 30; ++i) {
      t.lat.push_back(30.0 + 0.001 * (i < 15 ? i : 30 - i) + 1e-6 * (i % 4));
      t.lon.push_back(20.0 + 1e-6 * (i % 3));
    }
    tracks.push_back(t);
  }
  // Ships manoeuvring near 54N 4E (every k-th fix of the metre tracks, at
  // most about 50, so that the literal engine stays quick): where splitting
  // a segment moves points away from the line.
  for (const TrackShape& m : ManoeuvringTracks()) {
    GeoTrack t{m.name + " at 54N", {}, {}};
    const std::size_t every = (m.first.size() + 49) / 50;
    for (std::size_t i = 0; i < m.first.size(); i += every) {
      t.lat.push_back(54.0 + m.second[i] / 111200.0);
      t.lon.push_back(4.0 + m.first[i] / (111200.0 * std::cos(54.0 * M_PI / 180.0)));
    }
    tracks.push_back(t);
  }
  // Fixes behind the ends of segments, either side of north: an AIS log of a
  // slow manoeuvre, a hike's switchbacks, and short segments with a fix
  // behind one end.
  tracks.push_back(SlowShipWithNoise("slow ship with GPS noise", 60, 0.3, 2.0, 8));
  tracks.push_back(SwitchbackHike(4, 9));
  tracks.push_back(FixesBehindEndsAcrossNorth());
  tracks.push_back(FixBesideTheWestEnd(0.001));
  tracks.push_back(FixBesideTheWestEnd(0.0001));
  {  // On the equator, equal latitudes: Vincenty's nudged special cases.
    GeoTrack t{"equal latitudes on the equator", {}, {}};
    for (int i = 0; i < 25; ++i) {
      t.lat.push_back(i % 5 == 2 ? 0.0001 : 0.0);
      t.lon.push_back(-0.01 + 0.001 * i);
    }
    tracks.push_back(t);
  }
  return tracks;
}

}  // namespace oru::testing
