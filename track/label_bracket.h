#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace oru {

// The labels of two whole passes that count hops, at tolerances lo <= hi,
// which bound the labels of a later pass at a tolerance t above lo, below
// hi or between them, and tell most of them without a search where both
// do. Every shortcut valid for lo is valid for t >= lo, and every one
// valid for t <= hi is valid for hi, so for start i:
//   hops_t(i) <= 1 + hops_t(e(i)), e(i) the end that lo's pass took;
//   hops_t(i) >= 1 + min of hops_t(j) over the ends valid for hi
//             >= hops_hi(i) + min of (hops_t(j) - hops_hi(j)) over
//                i < j <= reach_hi(i), the last point hi's walk reached.
// Near the count sought the two labels differ by a few hops, at a few
// places along the track: the surplus hops_t - hops_hi stays level over
// long stretches, and both bounds meet at 96 to 99 % of the starts of a
// random walk, a drift at anchor or a ship turning back over its track.
class LabelBracket {
 public:
  // One pass's labels per start: its hops, the end it took (a valid one
  // with one hop fewer) and the last point a valid shortcut may reach.
  struct Pass {
    double tolerance = 0.0;  // metres
    const std::vector<std::int64_t>& hops;
    const std::vector<std::int64_t>& ends;
    const std::vector<std::int64_t>& reaches;
  };

  // Keeps `pass` as the bracket's lower or upper end.
  void KeepLower(const Pass& pass);
  void KeepUpper(const Pass& pass);

  // Whether both ends are kept and lo <= tolerance <= hi.
  bool Brackets(double tolerance) const;
  // The hops of every point for `tolerance` when the upper end was counted
  // there, else null.
  const std::vector<std::int64_t>* HopsAt(double tolerance) const {
    return tolerance == upper_tolerance_ ? &upper_hops_ : nullptr;
  }
  // The last point of every start's walk there, likewise.
  const std::vector<std::int64_t>* ReachesAt(double tolerance) const {
    return tolerance == upper_tolerance_ ? &upper_reaches_ : nullptr;
  }

  // Starts a pass at `tolerance` over `n` points; whether an end bounds
  // its labels.
  bool Begin(std::int64_t n, double tolerance);
  // Bounds of start i's hops, least <= hops <= most (kNone: no bound from
  // above); `hops` holds the pass's labels of the starts after i.
  static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  struct Range {
    std::int64_t least, most;
  };
  Range Bounds(std::int64_t i, const std::vector<std::int64_t>& hops) const;
  // The end that lo's pass took from start i, valid for the pass, with one
  // hop fewer than Bounds' most; and the last point a valid shortcut from
  // i may reach.
  std::int64_t LowerEnd(std::int64_t i) const { return lower_ends_[static_cast<std::size_t>(i)]; }
  std::int64_t Reach(std::int64_t i) const {
    return below_upper_ ? upper_reaches_[static_cast<std::size_t>(i)] : n_ - 1;
  }
  // Takes start i's label (hops) in, starts labelled from the last down.
  void Labelled(std::int64_t i, std::int64_t hops);

 private:
  // The surplus of the pass's hops over hi's, least over i < j <= r: the
  // starts j labelled so far whose surplus is below that of every start
  // before them, in the order taken (descending j, ascending surplus).
  struct Low {
    std::int64_t j;
    std::int64_t surplus;
  };
  std::int64_t LeastSurplus(std::int64_t r) const;

  // Metres; NaN until kept.
  double lower_tolerance_ = std::numeric_limits<double>::quiet_NaN();
  double upper_tolerance_ = std::numeric_limits<double>::quiet_NaN();
  std::vector<std::int64_t> lower_ends_;
  std::vector<std::int64_t> upper_hops_, upper_reaches_;
  std::vector<Low> lows_;
  // The pass begun: its points, and whether its tolerance lies above lo,
  // below hi.
  std::int64_t n_ = 0;
  bool above_lower_ = false, below_upper_ = false;
};

}  // namespace oru
