#include "track/label_bracket.h"

#include <algorithm>

namespace oru {

void LabelBracket::KeepLower(const Pass& pass) {
  lower_tolerance_ = pass.tolerance;
  lower_ends_ = pass.ends;
}

void LabelBracket::KeepUpper(const Pass& pass) {
  upper_tolerance_ = pass.tolerance;
  upper_hops_ = pass.hops;
  upper_reaches_ = pass.reaches;
}

bool LabelBracket::Brackets(double tolerance) const {
  return lower_tolerance_ <= tolerance && tolerance <= upper_tolerance_;
}

bool LabelBracket::Begin(std::int64_t n, double tolerance) {
  n_ = n;
  above_lower_ = lower_tolerance_ <= tolerance;
  below_upper_ = tolerance <= upper_tolerance_;
  lows_.clear();
  // The last point: no hops at any tolerance.
  if (n > 0) lows_.push_back({n - 1, 0});
  return above_lower_ || below_upper_;
}

LabelBracket::Range LabelBracket::Bounds(std::int64_t i,
                                         const std::vector<std::int64_t>& hops) const {
  const auto at = static_cast<std::size_t>(i);
  Range r{1, kNone};
  if (above_lower_) r.most = 1 + hops[static_cast<std::size_t>(lower_ends_[at])];
  if (below_upper_) {
    r.least = upper_hops_[at] + LeastSurplus(std::max(upper_reaches_[at], i + 1));
  }
  return r;
}

void LabelBracket::Labelled(std::int64_t i, std::int64_t hops) {
  if (!below_upper_) return;
  const std::int64_t surplus = hops - upper_hops_[static_cast<std::size_t>(i)];
  while (!lows_.empty() && lows_.back().surplus >= surplus) lows_.pop_back();
  lows_.push_back({i, surplus});
}

std::int64_t LabelBracket::LeastSurplus(std::int64_t r) const {
  // Along lows_ the starts descend and their surpluses ascend: the least
  // surplus up to r is that of the first start at or before r.
  const auto first =
      std::partition_point(lows_.begin(), lows_.end(), [&](const Low& l) { return l.j > r; });
  return first->surplus;
}

}  // namespace oru
