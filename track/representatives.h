#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace oru {

// Up to `most` of some points of a track that stand for their shape where
// directions are narrowed by them (any subset of points is sound there;
// these narrow about as much as all of them): the corners of their convex
// hull in a plane (Andrew's monotone chain, plain rounding), thinned to
// `most` spread along the track, ascending. points[k] has plane coordinates
// (x[k], y[k]) (metres); at most 32 points. Writes them to `out` and
// returns how many.
std::size_t ChooseRepresentatives(std::span<const std::int64_t> points, std::span<const double> x,
                                  std::span<const double> y, std::size_t most, std::int64_t* out);

}  // namespace oru
