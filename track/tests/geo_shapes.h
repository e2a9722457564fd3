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

// The awkward tracks: each one meets a case that a bound on the ellipsoidal
// measure must respect (both datums, the antimeridian, the poles, repeated
// points, ties, right angles at P, long chords, a meridian, equal latitudes,
// and the manoeuvring tracks near 54N).
std::vector<GeoTrack> AwkwardTracks();

}  // namespace oru::testing
