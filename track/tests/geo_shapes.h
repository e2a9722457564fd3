#pragma once

#include <string>
#include <vector>

#include "geodesy/datum.h"

namespace oru::testing {

// A datum record read from one of the program's datum strings.
DatumParams Datum(const char* text);

// A generated geographic track.
struct GeoTrack {
  std::string name;
  std::vector<double> lat, lon;  // signed degrees
  const char* datum = kWgs84DatumString;
};

// A ship-like walk: a slowly turning heading, steps of 10 to 50 m, over the
// poles and across the antimeridian as it comes.
GeoTrack ShipWalk(std::string name, int n, double lat0, double lon0, unsigned seed,
                  const char* datum = kWgs84DatumString);

// A slow ship logged by AIS: fixes 0.5 to 4 m apart along a course that
// mostly holds `heading` (radians from north) with now and then a sharp turn
// or a turn back, each fix thrown off by GPS noise of `noise` metres (sd), so
// that fixes fall behind the ones before them and either side of north of
// their neighbours. Near 30.5N 32.35E.
GeoTrack SlowShipWithNoise(std::string name, int n, double heading, double noise, unsigned seed);

// A mountain hike zig-zagging up a slope near 46.43N 13.74E: switchbacks of
// 40 to 300 m that turn back on the leg before, fixes 3 to 20 m apart, and a
// fix just beyond a switchback's end.
GeoTrack SwitchbackHike(int legs, unsigned seed);

// Fixes behind the ends of short segments, seen from the fix with one end
// just west and the other just east of north (or south): for each bearing of
// the segment, A, P, B with P 5.3 m behind A and A-B 5.3 m long.
GeoTrack FixesBehindEndsAcrossNorth();

// A course along the parallel of 54 07'N, from 6 cm to 9 cm south of it,
// fixes 1.5 m apart thrown off by 3 mm of GPS noise: the geodesics of 1.5 km
// between them bulge north by 6 cm into the band of latitudes whose DMS
// seconds carry to the next minute (the fixes themselves stay clear of it).
GeoTrack AlongAWholeMinute(int n, unsigned seed);

// A course north along the meridian of 4 07'E at 54N, 1.5 m a fix, 8 mm
// west of it (in the band whose DMS seconds carry, 9 mm wide there, so that
// the measure takes each fix 8 mm east), but for every 76th fix, 5 m west.
GeoTrack BesideAWholeMinute(int n);

// A line of 2 km west along the parallel of 54 07.5'N (its east end 5 cm
// south of it), fixes 50 m apart; then (fix 39) a fix 0.5 m north of the
// west end B and `beside` metres east of it; 600 m east along the line and
// back; B (fix 63), and 500 m north. Where perpend's foot for fix 39 lies
// millimetres east of B, at B's latitude, Vincenty's nudge of the line from
// the foot to B turns it by radians, and the measure puts the fix far
// nearer than 0.5 m (0.164 m at 1 mm, 0.031 m at 0.1 mm).
GeoTrack FixBesideTheWestEnd(double beside);

// The awkward tracks: each one meets a case that a bound on the ellipsoidal
// measure must respect (both datums, the antimeridian, the poles, repeated
// points, ties, right angles at P, long chords, a meridian, equal latitudes,
// and the manoeuvring tracks near 54N).
std::vector<GeoTrack> AwkwardTracks();

// One geographic track of n points (n >= 100) of every shape, for measuring
// how the selections scale with the number of points: a ship's voyage of
// fixes 1.5 m apart, a ship's walk of 10 to 50 m steps, fixes 1.4 m apart on
// a line of constant steps in latitude and longitude, a slow ship with GPS
// noise, a switchback hike, and the smooth course of ScalableTracks with
// fixes 6.5 cm apart near 46N.
std::vector<GeoTrack> ScalableGeoTracks(int n);

}  // namespace oru::testing
