#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "geodesy/datum.h"
#include "geodesy/records.h"

namespace oru {

// Receives the text of a problem that the window layer shows to the user
// (in a message box); the library itself shows nothing.
using Geod_Observer = std::function<void(const std::string& text)>;

// The text given to the observer when a datum string does not hold nine
// numbers.
inline constexpr const char* kDatumReadingError = "'GeodBase' reading error for datum parameters";

// The object form of the geodesy library, as the plot window uses it: one
// object per conversion, bundling a datum, the records of one computation,
// an error number and a message. The operations compute exactly as their
// library twins (same checks, formulae and codes) on the object's own
// copies of the records.
class GeodBase {
 public:
  // For a position: Merc_To_Geo and the conversions of `position`.
  GeodBase(DatumParams& datum_in, MercParams& merc_in, const LatLon& position_in,
           Geod_Observer observer = {});
  // For a line: Pos_Pos and the conversions of `line`. The object has no
  // MercParams (Merc_To_Geo returns 31).
  GeodBase(DatumParams& datum_in, const Geo_Line& line_in, Geod_Observer observer = {});

  // oru::Read_Datum on `datum`; when fewer than nine numbers convert, the
  // observer receives kDatumReadingError and the reading carries on as
  // oru::Read_Datum does (f is still inverted). Always 0.
  int Read_Datum();

  // Mercator x, y of `merc` (millimetres at its map scale) back to the
  // radians, DMS and letters of `position`: psi and lambda from x and y,
  // then the latitude by Newton's method on psi(phi) from the spherical
  // inverse 2 atan((exp psi - 1) / (exp psi + 1)), until a step of at most
  // 1e-10 rad (at most 100 steps; it converges in a few). Reads the datum
  // with Read_Datum above. Returns 0 (31 for an object made for a line).
  int Merc_To_Geo();

  // The geodesic inverse problem of oru::Pos_Pos on `line`, with the same
  // checks and codes (18, 19, 7, 24, 22) except the radian ranges (52, 53
  // are never returned), reading the datum with Read_Datum above. Fills
  // dist, az12 and az21 of `line`.
  int Pos_Pos();

  // `message` = oru::Error_Message(error).
  void Error_Message();

  // The conversions of angles.h on the members.
  int LatLon_To_DMS();
  int P1_To_Rad();
  int P2_To_Rad();
  int Az12_To_DMS();
  int Az21_To_DMS();

  DatumParams* datum;    // not owned; its text filled by the creator
  MercParams* merc;      // not owned; null for an object made for a line
  LatLon position;       // a copy
  Geo_Line line;         // a copy
  std::int32_t error = 0;
  std::string message;
  Geod_Observer observer;
};

}  // namespace oru
