#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "track/shortcut_oracle.h"

namespace oru {

// What exact searches have told of shortcuts' weights, so that a shortcut
// asked about again is answered without measuring its points again. The
// search for a count asks its dear shortcuts once per trial, and the
// lightest route asks them again for their exact weights: on a course whose
// points tie with a shortcut's weight (circles about points of the line,
// thousands of fixes exactly as far from it), each asking measures every
// one of those points.
//
// A weight is a function of its ends alone, so what is known of it only
// grows: w lies in (above, at_most]; one double in that interval is w
// exactly. A fixed table of slots, each shortcut in the slot its ends hash
// to, the later one kept where two meet: the memory stays small however
// many shortcuts a run measures.
class WeightMemo {
 public:
  // The answer for w(i, j) against low <= high (metres): from what is
  // known where that settles it, else measure()'s, which is kept.
  template <typename Measure>
  WeightAnswer Answer(std::int64_t i, std::int64_t j, double low, double high, Measure measure) {
    if (const std::optional<WeightAnswer> known = Find(i, j, low, high)) return *known;
    const WeightAnswer answer = measure();
    Keep(i, j, low, high, answer);
    return answer;
  }

 private:
  static constexpr int kSlotBits = 12;
  std::optional<WeightAnswer> Find(std::int64_t i, std::int64_t j, double low,
                                   double high) const;
  void Keep(std::int64_t i, std::int64_t j, double low, double high, const WeightAnswer& answer);
  static std::size_t SlotOf(std::int64_t i, std::int64_t j);

  struct Slot {
    std::int64_t i = -1, j = -1;
    double above = 0.0, at_most = 0.0;  // metres
  };
  // 128 KiB: on the heap, not on a thread's stack.
  std::vector<Slot> slots_ = std::vector<Slot>(std::size_t{1} << kSlotBits);
};

}  // namespace oru
