#include "track/label_tree.h"

#include <algorithm>

namespace oru {

LabelTree::LabelTree(std::int64_t n) : n_(n), points_(static_cast<std::size_t>(n)) {
  const int levels = BlockLevels(n);
  levels_.resize(static_cast<std::size_t>(levels));
  for (int l = 0; l < levels; ++l) {
    levels_[static_cast<std::size_t>(l)].resize(static_cast<std::size_t>(BlockCount(n, l)));
  }
}

void LabelTree::Set(std::int64_t j, std::int64_t hops, double worst) {
  points_[static_cast<std::size_t>(j)] = {hops, worst};
  std::int64_t index = j >> kLeafShift;
  Least least;
  const std::int64_t end = std::min(n_, (index + 1) << kLeafShift);
  for (std::int64_t k = index << kLeafShift; k < end; ++k) {
    least = Lesser(least, points_[static_cast<std::size_t>(k)]);
  }
  for (std::size_t l = 0;; ++l) {
    Least& kept = levels_[l][static_cast<std::size_t>(index)];
    if (kept.hops == least.hops && kept.worst == least.worst) return;  // nothing above changes
    kept = least;
    if (l + 1 == levels_.size()) return;
    const std::vector<Least>& below = levels_[l];
    const auto left = static_cast<std::size_t>(index & ~std::int64_t{1});
    least = left + 1 < below.size() ? Lesser(below[left], below[left + 1]) : below[left];
    index >>= 1;
  }
}

}  // namespace oru
