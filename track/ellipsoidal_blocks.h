#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "track/track_blocks.h"

namespace oru {

// What the optimal selection knows of each block of a geographic track beyond
// level 0 (level 0 blocks are read point by point): a box in space that
// holds the geocentric places of all the block's points, and up to
// kRepresentatives of its points that stand for its shape.
//
// The box has axes of the block's own: u along its chord (first to last
// point), w towards the block's first point from the centre of the earth
// made square to u, and v = w x u; its centre and half-extents are found
// from the points (level 1) or from the corners of the two boxes below, and
// widened by 1 micrometre for the rounding (the coordinates, at most some
// 6,400 km, round to nanometres). The representatives are the corners of
// the convex hull of the representatives below (of all points at level 1)
// in the block's (u, v) plane.
//
// Blocks with a point that the bounds do not cover (`usable` false) have no
// box and only usable points as representatives.
class EllipsoidalBlocks {
 public:
  static constexpr int kRepresentatives = 8;

  struct Point {
    double x, y, z;  // metres, geocentric
  };
  struct Box {
    Point centre;
    Point axis[3];   // unit vectors u, v, w
    double half[3];  // metres
  };

  EllipsoidalBlocks(const std::vector<Point>& points, const std::vector<char>& usable);

  // For blocks of level 1 and up.
  bool HasBox(Block b) const { return boxed_[slot_(b)] != 0; }
  const Box& BoxOf(Block b) const { return boxes_[slot_(b)]; }
  std::span<const std::int64_t> Representatives(Block b) const {
    const std::size_t slot = slot_(b);
    return {representatives_.data() + slot * kRepresentatives, counts_[slot]};
  }

 private:
  Box Frame(Block b) const;
  void Choose(std::span<const std::int64_t> candidates, const Box& frame, Block b);

  const std::vector<Point>& points_;
  std::int64_t n_;
  BlockSlots slot_;  // a block's place in the tables below
  std::vector<Box> boxes_;
  std::vector<char> boxed_;
  std::vector<std::int64_t> representatives_;  // kRepresentatives slots per block
  std::vector<std::size_t> counts_;
};

}  // namespace oru
