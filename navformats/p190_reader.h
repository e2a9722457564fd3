#pragma once

#include <string_view>

#include "navformats/nav_track.h"

namespace oru {

struct P190Choices {
  // Read the grid easting and northing (metres) instead of the latitude and
  // longitude; the file's datum then plays no part.
  bool grid = false;
};

// Reads the position records of a UKOOA P1/90 file (UKOOA P1/90 Post Plot
// Data Exchange Tape, 1990 Format; 80-column records, LF, CR LF or CR line
// ends). The column table is beside the reader (p190_reader.cpp).
//
// - Header records (H in column 1) name the geodetic datum of the
//   latitudes and longitudes: H1500 "geodetic datum as plotted", else H1400
//   "as surveyed", overruled by the EPSG extension record H8001 (EPSG
//   geographic CRS code) when present. WGS84 (also ETRS89, EPSG 4326, 4258)
//   and ED50 (EPSG 4230) are accepted; any other datum, or none at all, is an
//   error that says so, unless the grid coordinates are read.
// - Position records (type 1: V vessel, S source, C common mid point, E echo
//   sounder, T tailbuoy, A antenna, G receiver group, Q bin centre, Z
//   other) make one track per record type, line name, vessel, source and
//   tailbuoy identity, in the order of their first record. Receiver group
//   records of 3-D surveys (R) and relation records (X) are not positions
//   of a track and are passed over, as are empty lines.
// - Any other record, or a position record whose fields do not read (too
//   short, a minute of 60, a letter in a number), is an error naming its
//   line: "Line 12: latitude (columns 26-35) '52 7 61.00N' does not read.".
// A file without a position record fails with "Input file empty.".
NavReadOutcome ReadP190Tracks(std::string_view text, const P190Choices& choices);

}  // namespace oru
