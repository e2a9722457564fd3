#include "track/label_bracket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace oru {
namespace {

// Labels of a pass between the bracket's ends: the upper pass's hops plus
// a surplus that is level over long stretches and changes at a few places
// (how the labels of two tolerances close to each other differ), going up
// only, or up and down again. A label lies at most 1 + the hops of the end
// that the lower pass took (for tolerances above the lower pass's), at
// least the upper pass's hops plus the least surplus up to the upper
// pass's reach (below the upper pass's), here taken point by point.
TEST(LabelBracket, BoundsLabelsByThePassesBelowAndAbove) {
  constexpr std::int64_t n = 3000;
  struct Case {
    const char* name;
    std::int64_t changes;  // places where the surplus changes
    bool falls_back;       // it may fall as well as rise
  };
  for (const Case& c : {Case{"level", 0, false}, Case{"rising in steps", 12, false},
                        Case{"rising and falling", 40, true}}) {
    SCOPED_TRACE(c.name);
    std::mt19937_64 random(11);
    std::vector<std::int64_t> upper_hops(n), surplus(n), hops(n), ends(n), reaches(n);
    for (std::int64_t j = 0; j < n; ++j) upper_hops[j] = (n - 1 - j) / 40;
    std::int64_t level = 0;
    for (std::int64_t j = n - 2; j >= 0; --j) {
      if (random() % n < static_cast<std::uint64_t>(c.changes)) {
        level = c.falls_back && level > 0 && random() % 2 == 0 ? level - 1 : level + 1;
      }
      surplus[j] = level;
      hops[j] = upper_hops[j] + level;
      reaches[j] = std::min<std::int64_t>(n - 1, j + 1 + static_cast<std::int64_t>(random() % 300));
      ends[j] = j + 1 + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(
                                                       std::min<std::int64_t>(60, n - 1 - j)));
    }
    LabelBracket bracket;
    bracket.KeepLower({1.0, hops, ends, reaches});
    bracket.KeepUpper({2.0, upper_hops, ends, reaches});
    // Between the passes, above both, below both.
    for (const double tolerance : {1.5, 2.5, 0.5}) {
      SCOPED_TRACE(tolerance);
      const bool above_lower = tolerance >= 1.0, below_upper = tolerance <= 2.0;
      ASSERT_EQ(bracket.Brackets(tolerance), above_lower && below_upper);
      ASSERT_TRUE(bracket.Begin(n, tolerance));
      std::int64_t told = 0;
      for (std::int64_t i = n - 2; i >= 0; --i) {
        std::int64_t least = surplus[i + 1];
        for (std::int64_t j = i + 1; j <= reaches[i]; ++j) least = std::min(least, surplus[j]);
        const LabelBracket::Range r = bracket.Bounds(i, hops);
        ASSERT_EQ(r.most, above_lower ? 1 + hops[ends[i]] : LabelBracket::kNone) << "start " << i;
        ASSERT_EQ(r.least, below_upper ? upper_hops[i] + least : 1) << "start " << i;
        told += r.least == r.most ? 1 : 0;
        bracket.Labelled(i, hops[i]);
      }
      if (above_lower && below_upper) {
        EXPECT_GT(told, n / 10);
      }
    }
  }
}

}  // namespace
}  // namespace oru
