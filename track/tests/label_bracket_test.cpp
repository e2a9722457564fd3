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
// only, or up and down again. A start's label is told exactly when the
// two bounds meet: 1 + the hops of the end the lower pass took, and the
// upper pass's hops plus the least surplus up to the upper pass's reach,
// here taken point by point.
TEST(LabelBracket, TellsALabelExactlyWhereItsBoundsMeet) {
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
    ASSERT_TRUE(bracket.Brackets(1.5));
    ASSERT_FALSE(bracket.Brackets(2.5));
    bracket.Begin(n);
    std::int64_t told = 0;
    for (std::int64_t i = n - 2; i >= 0; --i) {
      std::int64_t least = surplus[i + 1];
      for (std::int64_t j = i + 1; j <= reaches[i]; ++j) least = std::min(least, surplus[j]);
      const std::int64_t above = 1 + hops[ends[i]], below = upper_hops[i] + least;
      ASSERT_EQ(bracket.Known(i, hops), below == above ? above : -1) << "start " << i;
      told += below == above ? 1 : 0;
      bracket.Labelled(i, hops[i]);
    }
    EXPECT_GT(told, n / 10);
  }
}

}  // namespace
}  // namespace oru
