#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace oru {

// Points that a bound search found far from a shortcut of the open start
// (the point behind its largest lower bound), kept to bound the start's
// other shortcuts from below: a shortcut's weight is at least any point's
// deviation between its ends, whichever search found the point. The last
// kMost found are kept; Findings() changes whenever the list does
// (ShortcutOracle::Findings).
class ShortcutWitnesses {
 public:
  static constexpr std::size_t kMost = 8;

  // For a new start: none yet.
  void Clear() {
    points_.clear();
    ++findings_;
  }

  // Keeps point w (store index; -1, none, is ignored).
  void Add(std::int64_t w) {
    if (w < 0 || std::find(points_.begin(), points_.end(), w) != points_.end()) return;
    if (points_.size() == kMost) points_.erase(points_.begin());
    points_.push_back(w);
    ++findings_;
  }

  // For a new start that keeps the last point found (none if none was).
  void KeepLast() {
    if (points_.size() > 1) points_.erase(points_.begin(), points_.end() - 1);
    ++findings_;
  }

  std::span<const std::int64_t> Points() const { return points_; }
  std::int64_t Findings() const { return findings_; }

 private:
  std::vector<std::int64_t> points_;
  std::int64_t findings_ = 0;
};

}  // namespace oru
