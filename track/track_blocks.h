#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace oru {

// Blocks of consecutive points of a track: the nodes of the range structures
// through which the optimal selection reasons about many points at once.
// Level 0 holds blocks of kLeafPoints points (points 0 to 7, 8 to 15, ...);
// each level up joins two neighbouring blocks, so a block of level l starts
// at a multiple of its length, kLeafPoints 2^l. Blocks are cut at the end of
// the track; the top level has a single block.
struct Block {
  int level = 0;
  std::int64_t index = 0;
};

inline constexpr int kLeafShift = 3;
inline constexpr std::int64_t kLeafPoints = std::int64_t{1} << kLeafShift;

inline std::int64_t BlockBegin(Block b) { return b.index << (kLeafShift + b.level); }
inline std::int64_t BlockEnd(Block b, std::int64_t n) {
  return std::min(n, (b.index + 1) << (kLeafShift + b.level));
}
// side 0: the first half, 1: the second.
inline Block ChildBlock(Block b, int side) { return {b.level - 1, 2 * b.index + side}; }

// Blocks of `level` over n points.
inline std::int64_t BlockCount(std::int64_t n, int level) {
  return (n + (kLeafPoints << level) - 1) >> (kLeafShift + level);
}

// Levels over n points (at least one): the top one has a single block.
inline int BlockLevels(std::int64_t n) {
  int levels = 1;
  while (BlockCount(n, levels - 1) > 1) ++levels;
  return levels;
}

// The places of the blocks of levels 1 and up in one array, level by level:
// the tables that the range structures keep per block are indexed by it.
class BlockSlots {
 public:
  explicit BlockSlots(std::int64_t n) {
    const int levels = BlockLevels(n);
    offsets_.assign(static_cast<std::size_t>(levels), 0);  // level 0 has none
    for (int l = 1; l < levels; ++l) {
      offsets_[static_cast<std::size_t>(l)] = count_;
      count_ += BlockCount(n, l);
    }
  }

  std::size_t Count() const { return static_cast<std::size_t>(count_); }
  std::size_t operator()(Block b) const {
    return static_cast<std::size_t>(offsets_[static_cast<std::size_t>(b.level)] + b.index);
  }

 private:
  std::vector<std::int64_t> offsets_;  // first slot of each level
  std::int64_t count_ = 0;
};

// The highest level, at most `cap`, whose block containing point p starts
// at p (p a multiple of kLeafPoints).
inline int AlignedLevel(std::int64_t p, int cap) {
  int level = 0;
  while (level < cap && (p & ((kLeafPoints << (level + 1)) - 1)) == 0) ++level;
  return level;
}

// Calls point(k) for the points of [begin, end) outside whole blocks and
// block(b) for the largest aligned blocks inside it, in track order.
template <typename Point, typename Whole>
void ForEachPiece(std::int64_t begin, std::int64_t end, int top_level, Point point, Whole block) {
  std::int64_t p = begin;
  while (p < end && (p & (kLeafPoints - 1)) != 0) point(p++);
  while (p + kLeafPoints <= end) {
    int level = AlignedLevel(p, top_level);
    while (p + (kLeafPoints << level) > end) --level;
    block(Block{level, p >> (kLeafShift + level)});
    p += kLeafPoints << level;
  }
  while (p < end) point(p++);
}

}  // namespace oru
