#include "plot/preview_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "track/tests/track_shapes.h"

namespace oru {
namespace {

struct Previewed {
  testing::TrackShape track;
  std::shared_ptr<ResumableSelection> selection;
};

// The selection of a run that kept `count` points, kept.
Previewed Kept(const testing::TrackShape& t, std::int64_t count) {
  SelectionSettings s;
  s.calculation = CalculationType::Planar;
  s.input_format = InputFormat::AsciiXY;
  auto kept = std::make_shared<ResumableSelection>(t.first, t.second, s);
  kept->Select(0.0, count, nullptr);
  return {t, kept};
}

// The slider runs from the fewest points to all of them, or from the
// largest deviation down to the smallest, without a step back; a position
// read back from its value is the same position; each value previews what
// a fresh run with it keeps, read from the run's record when it stops
// within it, else taken further.
TEST(PreviewModel, SliderValuesPreviewFreshRuns) {
  for (const testing::TrackShape& t : testing::ManoeuvringTracks()) {
    const auto n = static_cast<std::int64_t>(t.first.size());
    for (const Criterion criterion : {Criterion::NumberOfPoints, Criterion::MaximumDeviation}) {
      SCOPED_TRACE(t.name + (criterion == Criterion::NumberOfPoints ? ", points" : ", metres"));
      const Previewed p = Kept(t, 40);
      const PreviewModel model(p.selection, criterion, n);
      double before = model.ValueAt(0);
      std::int64_t count_before = model.ResultFor(before).statistics.count;
      for (int position = 0; position <= PreviewModel::kPositions; position += 37) {
        const double value = model.ValueAt(position);
        EXPECT_GE(value, before);
        before = value;
        if (criterion == Criterion::MaximumDeviation) {
          EXPECT_EQ(model.PositionOf(value), position);
        }
        SelectionSettings s;
        s.calculation = CalculationType::Planar;
        s.input_format = InputFormat::AsciiXY;
        s.threshold = criterion == Criterion::NumberOfPoints ? 0.0 : value;
        s.wanted_count = criterion == Criterion::NumberOfPoints ? static_cast<std::int64_t>(value) : n;
        const std::optional<SelectionResult> known = model.Known(value);
        const SelectionResult preview = model.ResultFor(value);
        EXPECT_EQ(preview.selected, SelectPoints(t.first, t.second, s, nullptr).selected) << value;
        if (known) {
          EXPECT_EQ(known->selected, preview.selected);
        } else {
          EXPECT_GT(preview.statistics.count, 40);
        }
        // More points for more wanted, fewer for a wider tolerance.
        const std::int64_t count = preview.statistics.count;
        EXPECT_TRUE(criterion == Criterion::NumberOfPoints ? count >= count_before
                                                           : count <= count_before);
        count_before = count;
      }
      // The slider's ends: every point wanted, or a tolerance that keeps
      // the fewest points a run keeps.
      const double top = model.ValueAt(PreviewModel::kPositions);
      if (criterion == Criterion::NumberOfPoints) {
        EXPECT_EQ(top, static_cast<double>(n));
      } else {
        EXPECT_EQ(model.ResultFor(top).statistics.count, 3);
      }
    }
  }
}

TEST(KeptLine, TheAllPointsLinesAtTheKeptNumbersInRed) {
  const Previewed p = Kept(testing::ManoeuvringTracks().front(), 12);
  const auto n = p.selection->n();
  PlotFileData all;
  for (std::int64_t i = 0; i < n; ++i) {
    all.lines.push_back({p.track.first[static_cast<std::size_t>(i)],
                         p.track.second[static_cast<std::size_t>(i)], 0, 2, -1, 4});
  }
  const PreviewModel model(p.selection, Criterion::NumberOfPoints, n);
  const SelectionResult result = model.ResultFor(12.0);
  std::shared_ptr<PlotFileData> kept;
  ASSERT_TRUE(KeptLine(all, result, n, kept));
  ASSERT_EQ(kept->lines.size(), 12u);
  for (std::size_t k = 0; k < kept->lines.size(); ++k) {
    const PlotLine& from = all.lines[static_cast<std::size_t>(result.selected[k] - 1)];
    EXPECT_EQ(kept->lines[k].x, from.x);
    EXPECT_EQ(kept->lines[k].y, from.y);
    EXPECT_EQ(kept->lines[k].colour, 255);
  }
  // Filled again for fewer points.
  ASSERT_TRUE(KeptLine(all, model.ResultFor(5.0), n, kept));
  EXPECT_EQ(kept->lines.size(), 5u);
  // A line the hand-off could not convert: the numbers no longer match.
  all.lines.pop_back();
  EXPECT_FALSE(KeptLine(all, result, n, kept));
  EXPECT_FALSE(kept);
}

}  // namespace
}  // namespace oru
