#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "track/direction_wedge.h"
#include "track/track_blocks.h"

namespace oru {

// A piece of a start's walk along the track: one end (block.level ==
// kWalkedEnd, the end at `begin`) or a block of ends, with the index of the
// wedge of the points before it.
inline constexpr int kWalkedEnd = -1;
struct WalkPiece {
  std::int64_t begin;  // its first point
  Block block;
  int wedge;  // into the walk's wedges; -1 for an end
};

// The walk of a start beyond its near scan, walked ahead of the search
// (ShortcutOracle::WalkOn): its pieces in track order, the wedges of its
// blocks, and the last point it reached.
struct WalkBeyond {
  std::vector<WalkPiece> pieces;
  std::vector<DirectionWedge> wedges;
  std::int64_t reach = 0;
};

// The walk from point p on, whose `wedge` the points before p narrowed (and
// left open unless `open` is false): the points up to the next leaf's start
// one by one, then whole blocks, each twice as long as the one before while
// the wedge survives the points standing for it; a block that closes it is
// tried again by halves, a leaf point by point. Returns the last point the
// walk reached: where the wedge closed, or the track's last point n - 1.
//
// points(wedge, begin, end): walks points as ShortcutOracle::WalkPoints,
// listing the ends, and returns the point after the last one walked;
// narrow(wedge, b): narrows by block b (level 1 and up); block(b, before):
// takes block b, which the wedge `before` survives.
template <typename Points, typename Narrow, typename TakeBlock>
std::int64_t WalkBlocks(std::int64_t p, std::int64_t n, int top_level, bool open,
                        DirectionWedge wedge, Points points, Narrow narrow, TakeBlock block) {
  auto walk_points = [&](std::int64_t end) {
    p = points(wedge, p, end);
    open = !wedge.Empty();
  };
  if (open) walk_points(std::min(n, (p + kLeafPoints - 1) & ~(kLeafPoints - 1)));
  int cap = 0;
  while (open && p < n) {
    const int level = AlignedLevel(p, std::min(cap, top_level));
    const Block b{level, p >> (kLeafShift + level)};
    const std::int64_t end = BlockEnd(b, n);
    if (level == 0) {
      walk_points(end);
      cap = 1;
      continue;
    }
    DirectionWedge after = wedge;
    narrow(after, b);
    if (after.Empty()) {
      cap = level - 1;
      continue;
    }
    block(b, wedge);
    wedge = after;
    p = end;
    cap = level + 1;
  }
  return open ? n - 1 : p - 1;
}

}  // namespace oru
