#pragma once

#include <string>
#include <vector>

#include "run/pipeline.h"

namespace oru {

// What the reading and writing of a file left aside or warns of, one line
// each, naming the input: warnings ("in.shp: ... thinned in metres"), layers
// left out ("in.gpx: left out layer 'x': why"), lines of an
// NMEA log passed over, features that are no tracks (kept as they are in GIS
// outputs, left out of the others). Empty when nothing was.
std::vector<std::string> FileNotes(const FileReport& file);

}  // namespace oru
