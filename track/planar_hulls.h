#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "track/track_blocks.h"

namespace oru {

// The outline of each block of a plane track from level 1 up: points of the
// block, in order around it, among which lie all its extreme points, so that
// every point of the block lies in the convex hull of the outline.
//
// Why it matters. The distance from a segment is a convex function of the
// point, so over a block it is largest at an extreme point: the outline
// gives the block's largest distance from any segment, where its box (whose
// corners overestimate a round cloud by up to 41 %) gives only a bound.
//
// Built by Andrew's monotone chain (1979) over the block's points, and a
// level up over the outlines of its two halves. A point leaves the chain
// only on a turn that is certainly the wrong way, beyond the rounding of the
// orientation test (Shewchuk 1997, "Adaptive precision floating-point
// arithmetic and fast robust geometric predicates", the bound of orient2d's
// first stage): such a point lies strictly inside the hull of the others.
// Points on a near-straight stretch are all kept, so the outline may be a
// little more than the hull; it is never less.
//
// Blocks whose outline has more than kMostPoints points, or with a point
// whose coordinates are not within 2^200 in magnitude (or not finite), have
// none (an empty span), and neither has any block above them.
class PlanarHulls {
 public:
  static constexpr std::size_t kMostPoints = 24;

  // x, y: the track, metres; tame[k]: point k lies within the range above.
  PlanarHulls(const std::vector<double>& x, const std::vector<double>& y,
              const std::vector<char>& tame);

  // For blocks of level 1 and up: the outline's points (track indexes).
  std::span<const std::int64_t> Outline(Block b) const {
    const std::size_t slot = slot_(b);
    return {points_.data() + slot * kMostPoints, counts_[slot]};
  }

 private:
  // Keeps the outline of `points` for block b, when it is short enough.
  void Keep(const std::vector<double>& x, const std::vector<double>& y,
            std::vector<std::int64_t>& points, Block b);

  BlockSlots slot_;  // a block's place in the tables below
  std::vector<std::int64_t> points_;   // kMostPoints slots per block
  std::vector<std::size_t> counts_;    // 0: no outline
  std::vector<std::int64_t> scratch_;  // the chain being built
};

}  // namespace oru
