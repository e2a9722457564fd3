#include "gis/gis_track.h"

namespace oru {

std::string TrackPlace(const GisTrack& track) {
  std::string place = "layer '" + track.layer + "'";
  if (!track.rows.empty()) {
    if (!track.vessel.empty()) place += ", " + track.vessel;
    return place + ", track " + std::to_string(track.part);
  }
  place += ", feature " + std::to_string(track.feature);
  if (track.part > 0) place += ", part " + std::to_string(track.part);
  if (!track.name.empty()) place += " '" + track.name + "'";
  return place;
}

}  // namespace oru
