#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "track/track_blocks.h"

namespace oru {

// Labels of the points of a track (the fewest hops to the last point and a
// lower bound of the lightest such route's weight), with the least label of
// every block kept up to date: the fewest hops among its labelled points,
// and the smallest lower bound of the weight among the points with that
// many hops. Unlabelled points count as infinitely many hops.
class LabelTree {
 public:
  static constexpr std::int64_t kUnlabelled = std::numeric_limits<std::int64_t>::max();

  struct Least {
    std::int64_t hops = kUnlabelled;
    double worst = std::numeric_limits<double>::infinity();  // metres
  };

  explicit LabelTree(std::int64_t n);

  // Labels point j (store index), or labels it again.
  void Set(std::int64_t j, std::int64_t hops, double worst);
  Least Of(Block b) const { return levels_[b.level][b.index]; }
  int Levels() const { return static_cast<int>(levels_.size()); }

 private:
  static Least Lesser(const Least& x, const Least& y) {
    if (x.hops != y.hops) return x.hops < y.hops ? x : y;
    return {x.hops, x.worst < y.worst ? x.worst : y.worst};
  }

  std::int64_t n_;
  std::vector<Least> points_;
  std::vector<std::vector<Least>> levels_;
};

}  // namespace oru
