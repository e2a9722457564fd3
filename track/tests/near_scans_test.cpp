#include "track/near_scans.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "track/planar_segment_measure.h"
#include "track/planar_shortcuts.h"
#include "track/start_walk.h"
#include "track/tests/track_shapes.h"

namespace oru {
namespace {

// The walk of the open start through the oracle's own calls, as the labels
// take it when nothing was walked ahead.
WalkBeyond WalkOfOpenStart(PlanarShortcuts& shortcuts, const NearScan& near, std::int64_t i,
                           double tolerance) {
  shortcuts.Open(i, tolerance, false);
  const std::int64_t n = shortcuts.Size();
  WalkBeyond walk;
  std::vector<std::int64_t> listed;
  walk.reach = WalkBlocks(
      near.next, n, BlockLevels(n) - 1, near.open, near.wedge,
      [&](DirectionWedge& wedge, std::int64_t begin, std::int64_t end) {
        listed.clear();
        const std::int64_t next = shortcuts.WalkPoints(wedge, begin, end, listed);
        for (const std::int64_t k : listed) walk.pieces.push_back({k, {kWalkedEnd, k}, -1});
        return next;
      },
      [&](DirectionWedge& wedge, Block b) { shortcuts.ConstrainByBlock(wedge, b); },
      [&](Block b, const DirectionWedge& before) {
        walk.wedges.push_back(before);
        walk.pieces.push_back({BlockBegin(b), b, static_cast<int>(walk.wedges.size()) - 1});
      });
  return walk;
}

// What the scans find ahead (on a second thread, in blocks of 512 starts)
// is what the caller would find for each start itself: the rest of its
// walk beyond the near stretch (pieces in order, each block's wedge, the
// last point reached) and its earliest start as an end. On every scalable
// shape, at tolerances from a twentieth of the track's scale to ten times
// it, with near stretches short enough to leave most walks open; from the
// last start down, and from one a third of the way along (where a label
// pass turns to scanning ahead); and with the walks' reaches told, short
// ones scanned further (every other stretch of 32 starts said to end 10
// points on).
TEST(NearScans, WhatIsFoundAheadIsWhatEachStartFindsItself) {
  constexpr int kPoints = 3000;
  constexpr std::int64_t kSteps = 16;
  std::int64_t walked = 0, blocks = 0, earliest = 0;
  std::int64_t scanned_further = 0, scanned_further_untold = 0;
  for (const testing::TrackShape& t : testing::ScalableTracks(kPoints)) {
    SCOPED_TRACE(t.name);
    PlanarSegmentMeasure measure(t.first, t.second);
    PlanarShortcuts shortcuts(measure);
    const std::int64_t n = shortcuts.Size();
    std::vector<std::int64_t> reaches(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) reaches[i] = i + ((i / 32) % 2 == 0 ? 10 : 1000);
    struct Pass {
      double tolerance;
      std::int64_t end;
      const std::vector<std::int64_t>* reaches;
    };
    for (const Pass& pass : {Pass{0.05, n - 1, nullptr}, Pass{1.0, n - 1, nullptr},
                             Pass{10.0, n - 1, nullptr}, Pass{1.0, n / 3, nullptr},
                             Pass{1.0, n - 1, &reaches}}) {
      const auto [tolerance, end, told] = pass;
      SCOPED_TRACE(tolerance);
      SCOPED_TRACE(end);
      NearScans scans(shortcuts, end, kSteps, tolerance, told, 4 * kSteps);
      scans.FindEarliest();
      for (std::int64_t i = end - 1; i >= 0; --i) {
        const NearScan* near = scans.Of(i);
        ASSERT_NE(near, nullptr);
        const std::int64_t e = scans.EarliestStart(i);
        ASSERT_EQ(e, shortcuts.EarliestStart(i, tolerance)) << "start " << i;
        earliest += e > 0 ? 1 : 0;
        // Scanned beyond kSteps (and the group's spread) only where told.
        if (near->open && near->next - i > kSteps + ShortcutOracle::kNearStarts) {
          ++(told != nullptr ? scanned_further : scanned_further_untold);
        }
        if (!near->walked) continue;
        ++walked;
        const WalkBeyond own = WalkOfOpenStart(shortcuts, *near, i, tolerance);
        ASSERT_EQ(near->beyond.reach, own.reach) << "start " << i;
        ASSERT_EQ(near->beyond.pieces.size(), own.pieces.size()) << "start " << i;
        for (std::size_t k = 0; k < own.pieces.size(); ++k) {
          const WalkPiece& a = near->beyond.pieces[k];
          const WalkPiece& b = own.pieces[k];
          ASSERT_TRUE(a.begin == b.begin && a.block.level == b.block.level &&
                      a.block.index == b.block.index && a.wedge == b.wedge)
              << "start " << i << ", piece " << k;
          if (b.wedge < 0) continue;
          ++blocks;
          // The same wedge: the same verdict on every later point.
          const DirectionWedge& wa = near->beyond.wedges[static_cast<std::size_t>(a.wedge)];
          const DirectionWedge& wb = own.wedges[static_cast<std::size_t>(b.wedge)];
          for (std::int64_t q = b.begin; q < n; q += 7) {
            const auto p = static_cast<std::size_t>(q);
            const auto s = static_cast<std::size_t>(i);
            const double vx = t.first[p] - t.first[s], vy = t.second[p] - t.second[s];
            ASSERT_EQ(wa.MayContain(vx, vy), wb.MayContain(vx, vy)) << "start " << i;
          }
        }
      }
    }
  }
  // Most starts walked ahead, many of them through blocks, and ends with
  // earliest starts beyond the first point.
  EXPECT_GT(walked, 90000);
  EXPECT_GT(blocks, 250000);
  EXPECT_GT(earliest, 60000);
  EXPECT_GT(scanned_further, 1000);
  EXPECT_EQ(scanned_further_untold, 0);
}

}  // namespace
}  // namespace oru
