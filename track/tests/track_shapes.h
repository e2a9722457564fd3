#pragma once

#include <string>
#include <vector>

namespace oru::testing {

// A generated X, Y track, metres.
struct TrackShape {
  std::string name;
  std::vector<double> first;
  std::vector<double> second;
};

// Tracks shaped like ships' and hikers' tracks, in metres: a zig-zag of
// changing amplitude, a ship turning back beside its own track, loops, drift
// at anchor (many fixes within metres) and a track doubling back beyond the
// ends of its segments. These are where a deviation grows when its segment
// is split.
std::vector<TrackShape> ManoeuvringTracks();

// The tracks on which the production engine is held against the reference
// engine: seeded random walks, zig-zags whose points tie exactly, collinear
// runs, duplicated points, spirals, the manoeuvring tracks, huge, tiny and
// non-finite coordinates, and tracks of one to three points.
std::vector<TrackShape> GeneratedTracks();

}  // namespace oru::testing
