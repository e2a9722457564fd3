#pragma once

#include <string>

namespace oru {

// One datum: an ellipsoid and its seven-parameter shift to WGS84, read from
// a datum string of blank-separated fields
//   a [m]  1/f  dX dY dZ [m]  rX rY rZ [arc-second]  scale [ppm]  name
// e.g. " 6378137.00  298.257223563 0 0 0 0 0 0 0 WGS".
// The caller fills `text` and zero-fills the rest; every function that takes
// the record reads the numbers from `text` again at its start.
struct DatumParams {
  std::string text;   // the datum string; unchanged by Read_Datum
  std::string name;   // field 10, one word
  double a = 0.0;     // semi-major axis, metres
  double f = 0.0;     // flattening (the string holds its inverse)
  double dX = 0.0, dY = 0.0, dZ = 0.0;  // translation to WGS84, metres
  double rX = 0.0, rY = 0.0, rZ = 0.0;  // rotations, arc-seconds
  double scale = 0.0;                   // scale difference, parts per million
};

// Meridian-arc constants, metres: the arc from the equator to latitude phi
// (radians) is M0 phi - M1 sin 2phi + M2 sin 4phi - M3 sin 6phi.
struct Mericon {
  double M0 = 0.0, M1 = 0.0, M2 = 0.0, M3 = 0.0;
};

// The datum strings of the program. WGS84 serves ETRS89 too; ED50 is the
// International ellipsoid of 1924 with a translation only.
inline constexpr const char* kWgs84DatumString = " 6378137.00  298.257223563 0 0 0 0 0 0 0 WGS";
inline constexpr const char* kEd50DatumString =
    " 6378388.0  297.0 -87.0  -98.0  -121.0 0 0 0 0 EUR-M";

// Reads the ten fields of `datum.text` into a, f, dX ... scale and name, then
// replaces the inverse flattening by f = 1/(1/f). Fields that do not convert
// keep their previous values. Always returns 0.
int Read_Datum(DatumParams& datum);

// Fills `m` from a datum on which Read_Datum has run: the series in e2 up to
// e10 (Helmert's expansion of the meridian arc, truncated after sin 6phi).
// Returns 15 (datum eccentricity incorrect) when f > 1 or f is not a number,
// leaving `m` untouched; otherwise 0.
int Comp_Mericon(const DatumParams& datum, Mericon& m);

}  // namespace oru
