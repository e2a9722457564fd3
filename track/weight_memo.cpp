#include "track/weight_memo.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace oru {
namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();
}  // namespace

std::size_t WeightMemo::SlotOf(std::int64_t i, std::int64_t j) {
  // Fibonacci hashing of both ends (Knuth, TAOCP vol. 3, 6.4).
  const std::uint64_t key =
      static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15u ^ static_cast<std::uint64_t>(j);
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits));
}

std::optional<WeightAnswer> WeightMemo::Find(std::int64_t i, std::int64_t j, double low,
                                             double high) const {
  const Slot& s = slots_[SlotOf(i, j)];
  if (s.i != i || s.j != j) return std::nullopt;
  if (s.at_most <= low) return WeightAnswer{WeightAnswer::Kind::kAtMost, 0.0};
  if (s.above >= high) return WeightAnswer{WeightAnswer::Kind::kAbove, 0.0};
  if (std::nextafter(s.above, kInf) == s.at_most) return Classify(s.at_most, low, high);
  return std::nullopt;
}

void WeightMemo::Keep(std::int64_t i, std::int64_t j, double low, double high,
                      const WeightAnswer& answer) {
  Slot& s = slots_[SlotOf(i, j)];
  if (s.i != i || s.j != j) s = {i, j, -kInf, kInf};
  switch (answer.kind) {
    case WeightAnswer::Kind::kAtMost:
      s.at_most = std::min(s.at_most, low);
      break;
    case WeightAnswer::Kind::kAbove:
      s.above = std::max(s.above, high);
      break;
    case WeightAnswer::Kind::kExactly:
      s.at_most = answer.value;
      s.above = std::nextafter(answer.value, -kInf);
      break;
  }
}

}  // namespace oru
