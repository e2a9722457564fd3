#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "track/convex_hull.h"
#include "track/track_blocks.h"

namespace oru {

// What the optimal selection knows of each block of a plane track beyond
// level 0 (level 0 blocks are read point by point): a box that holds every
// point of the block for certain, its extent along the axes, and up to
// kRepresentatives of its points that stand for its shape.
//
// The box is kept in a frame of the block's own: its first point O and a
// direction u along the narrowest strip that holds the block's points (at
// level 1) or its halves' boxes (NarrowestDirection). A chord from the
// first to the last point would run from a tooth's tip to a tooth's foot
// on a zig-zag, and a box along it would be twice as wide as the teeth,
// with the excess handed up to every box above. For every point P
// of the block the exact (unrounded) values
//     alpha = (P - O) . u,   beta = u x (P - O)
// lie within [a_lo, a_hi] and [b_lo, b_hi]: level 1 boxes are measured from
// the points, with each rounded alpha and beta widened by its rounding error,
// and each level up is bounded from the two boxes below through Linear.
//
// Representatives: the corners of the convex hull of the representatives of
// the two halves (of all points at level 1), thinned to kRepresentatives
// spread along the track. Any points of a block can stand for it where they
// only narrow what its points are known to admit; these narrow it about as
// much as all its points do.
//
// Blocks with a point whose coordinates are not within 2^200 in magnitude
// (or not finite) have no box and only such points as representatives.
class PlanarBlocks {
 public:
  static constexpr int kRepresentatives = 8;

  struct Box {
    double ox, oy;                  // O, metres
    double ux, uy;                  // u, metres
    double q;                       // |u|^2 as computed, 2^-400 or more
    double a_lo, a_hi, b_lo, b_hi;  // metres^2
    double x_lo, x_hi, y_lo, y_hi;  // metres: the extent of the points
    // The corners (alpha u + beta u') / |u|^2 from O, for alpha in {a_lo,
    // a_hi} (bit 0 of the index) and beta in {b_lo, b_hi} (bit 1), with
    // u' = (-u2, u1); as computed.
    double corner_x[4], corner_y[4];  // metres
  };

  // The range of w . (P - O) over the points P of a box's block, for certain.
  struct Range {
    double lo, hi;
  };
  static Range Linear(const Box& box, double w1, double w2);

  // x, y: the track, metres; tame[k]: point k lies within the range above.
  PlanarBlocks(const std::vector<double>& x, const std::vector<double>& y,
               const std::vector<char>& tame);

  // For blocks of level 1 and up.
  bool HasBox(Block b) const { return boxed_[slot_(b)] != 0; }
  const Box& BoxOf(Block b) const { return boxes_[slot_(b)]; }
  std::span<const std::int64_t> Representatives(Block b) const {
    const std::size_t slot = slot_(b);
    return {representatives_.data() + slot * kRepresentatives, counts_[slot]};
  }

 private:
  void MeasureLeafPair(const std::vector<double>& x, const std::vector<double>& y,
                       const std::vector<char>& tame, Block b);
  // O and u of a box.
  static void SetFrame(Box& box, double ox, double oy, Direction u);
  static void SetCorners(Box& box);
  void JoinHalves(const std::vector<double>& x, const std::vector<double>& y, Block b);
  void ChooseRepresentatives(const std::vector<double>& x, const std::vector<double>& y,
                             std::span<const std::int64_t> points, Block b);

  std::int64_t n_;
  BlockSlots slot_;  // a block's place in the tables below
  std::vector<Box> boxes_;
  std::vector<char> boxed_;
  std::vector<std::int64_t> representatives_;  // kRepresentatives slots per block
  std::vector<std::size_t> counts_;
};

}  // namespace oru
