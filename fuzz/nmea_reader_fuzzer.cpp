// Fuzz target: the NMEA 0183 reader, and the route writers on what it read.
// Every position read must be a latitude and longitude in range, every
// track must carry a time per position or none, and a file reads either
// into tracks or into its refusal. Any crash, sanitizer report or broken
// invariant (std::abort) is a finding.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "navformats/gpx_route_writer.h"
#include "navformats/nmea_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const oru::NavReadOutcome read = oru::ReadNmeaTracks(text);
  if (read.tracks.empty() == read.error.empty()) std::abort();
  std::vector<oru::Route> routes;
  for (const oru::NavTrack& track : read.tracks) {
    if (track.first.empty() || track.first.size() != track.second.size()) std::abort();
    if (!track.times.empty() && track.times.size() != track.first.size()) std::abort();
    oru::Route route;
    route.name = track.label;
    for (std::size_t i = 0; i < track.first.size(); ++i) {
      if (!(track.first[i] >= -90.0 && track.first[i] <= 90.0)) std::abort();
      if (!(track.second[i] >= -180.0 && track.second[i] <= 180.0)) std::abort();
    }
    route.lat = track.first;
    route.lon = track.second;
    route.times = track.times;
    routes.push_back(std::move(route));
  }
  if (oru::GpxRouteText(routes).empty()) std::abort();
  return 0;
}
