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

// One track of n points (n >= 100) of every shape, for measuring how the
// selections scale with the number of points: collinear along an axis at
// 1 m, collinear with steps that round, a smooth course with fixes 6.5 cm
// apart, a random walk, random points in a square, the zig-zag of changing
// amplitude, a course with loops, drift at anchor, a ship turning back over
// its track, a spiral, and a ship's voyage logged every second.
std::vector<TrackShape> ScalableTracks(int n);

// Every scalable shape at 3,000 points and every generated track: the
// tracks on which the plane blocks' boxes and outlines are checked.
std::vector<TrackShape> PlaneBlockTracks();

// Which of t's points have both coordinates within 2^200 in magnitude (and
// not NaN): those that the plane blocks' boxes and outlines hold.
std::vector<char> TamePoints(const TrackShape& t);

// A course that curves gently and smoothly (a radius of 400 m at the
// tightest, an S-bend every 3 km), n fixes 6.5 cm apart: a bicycle's or a
// survey vessel's densely logged track.
TrackShape SmoothCourse(int n);

}  // namespace oru::testing
