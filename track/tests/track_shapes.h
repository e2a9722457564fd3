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

// The tracks on which the production engine is held against the reference
// engine: seeded random walks, zig-zags whose points tie exactly, collinear
// runs, duplicated points, spirals, huge, tiny and non-finite coordinates,
// and tracks of one to three points.
std::vector<TrackShape> GeneratedTracks();

}  // namespace oru::testing
