// CSV point rows as tracks: times and gaps as text, the grouping rules.
#include "gis/point_row_tracks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oru {
namespace {

// Nanoseconds from pandas.to_datetime(text, utc=True), the value the
// Python module orders the same rows by.
TEST(ParseRowTime, DateTimesAndNumbers) {
  struct Row {
    const char* text;
    bool date_time;
    std::int64_t ns;
    double number;
  };
  const Row rows[] = {
      {"2024-05-01T00:00:00Z", true, 1714521600000000000, 0.0},
      {"  2024-05-01 12:30:15.25 ", true, 1714566615250000000, 0.0},
      {"2024-02-29T23:59:59.999999999+01:00", true, 1709247599999999999, 0.0},
      {"2000-01-01T00:00-0530", true, 946704600000000000, 0.0},
      {"1970-01-01", true, 0, 0.0},
      {"2261-12-31T23:59:59Z", true, 9214646399000000000, 0.0},
      {"1678-01-01T00:00:00Z", true, -9214560000000000000, 0.0},
      {"1714521600", false, 0, 1714521600.0},
      {"-12.5e1", false, 0, -125.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const std::optional<RowTime> time = ParseRowTime(row.text);
    ASSERT_TRUE(time);
    EXPECT_EQ(time->date_time, row.date_time);
    EXPECT_EQ(time->ns, row.ns);
    EXPECT_EQ(time->number, row.number);
  }
  for (const char* bad : {"", "  ", "2023-02-29T00:00:00Z", "2024-05-01T24:00:00Z",
                          "2024-05-01T12:00:60Z", "2024-05-01T12:00:00.Z", "2024-5-1",
                          "2262-01-01T00:00:00Z", "2024-05-01T12:00:00+25:00", "1,5", "nan",
                          "inf", "12 o'clock"}) {
    EXPECT_FALSE(ParseRowTime(bad)) << bad;
  }
}

// Nanoseconds from pandas.Timedelta(text).value, but a bare number is
// seconds (for pandas nanoseconds).
TEST(ParseDuration, UnitsAndRefusals) {
  struct Row {
    const char* text;
    std::int64_t ns;
  };
  const Row rows[] = {{"90s", 90'000'000'000},        {"30min", 1'800'000'000'000},
                      {"1.5h", 5'400'000'000'000},    {"2d", 172'800'000'000'000},
                      {" 0.1 s ", 100'000'000},       {"45", 45'000'000'000}};
  for (const Row& row : rows) EXPECT_EQ(ParseDuration(row.text), row.ns) << row.text;
  for (const char* bad : {"", "0", "0min", "-5min", "30m", "h", "1e9d", "nan", "10,5min"}) {
    EXPECT_FALSE(ParseDuration(bad)) << bad;
  }
}

PointRow Fix(std::int64_t row, std::int64_t vessel, std::int64_t seconds, double x, double y) {
  PointRow fix;
  fix.row = row;
  fix.vessel = vessel;
  fix.time.date_time = true;
  fix.time.ns = seconds * 1'000'000'000;
  fix.x = x;
  fix.y = y;
  return fix;
}

// The row numbers of each track, and the duplicates.
std::vector<std::vector<std::int64_t>> TrackRows(const std::vector<PointRow>& rows,
                                                 const RowTracks& tracks) {
  std::vector<std::vector<std::int64_t>> out;
  for (const RowTrack& track : tracks.tracks) {
    auto& members = out.emplace_back();
    for (const std::size_t k : track.members) members.push_back(rows[k].row);
  }
  return out;
}

TEST(TracksOfRows, VesselsTimeOrderTiesDuplicatesAndGaps) {
  const std::vector<PointRow> rows = {
      Fix(1, 2, 100, 54.0, 3.0),   Fix(2, 1, 300, 55.0, 4.0),  Fix(3, 1, 100, 55.1, 4.1),
      Fix(4, 1, 200, 55.2, 4.2),   Fix(5, 1, 200, 55.3, 4.3),  // a tie: file order
      Fix(6, 1, 200, 55.2, 4.2),   // repeats row 4: dropped
      Fix(7, 1, 100, 55.2, 4.2),   // same position as row 4, another time: kept
      Fix(8, 1, 2100, 55.4, 4.4),  // 1800 s after row 2: the gap itself, no split
      Fix(9, 1, 3901, 55.5, 4.5),  // 1801 s after row 8: a new track
      Fix(10, 2, 100, 54.0, 3.0),  // repeats row 1
  };
  const RowTracks tracks = TracksOfRows(rows, true, std::int64_t{1800} * 1'000'000'000);
  EXPECT_EQ(TrackRows(rows, tracks),
            (std::vector<std::vector<std::int64_t>>{{3, 7, 4, 5, 2, 8}, {9}, {1}}));
  EXPECT_EQ(tracks.duplicates, 2);
  std::vector<int> numbers;
  for (const RowTrack& track : tracks.tracks) numbers.push_back(track.number);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 1}));

  // A burst of fixes of one second from several receivers: file order,
  // however many (a sort that is not stable reorders large runs of ties).
  std::vector<PointRow> burst;
  std::vector<std::int64_t> numbers_in_file;
  for (int i = 0; i < 100; ++i) {
    burst.push_back(Fix(i + 1, 1, 100 + (i % 3 == 0 ? 0 : 1), 55.0 + i * 1e-5, 4.0));
  }
  for (int i = 0; i < 100; i += 3) numbers_in_file.push_back(i + 1);
  for (int i = 0; i < 100; ++i) {
    if (i % 3 != 0) numbers_in_file.push_back(i + 1);
  }
  EXPECT_EQ(TrackRows(burst, TracksOfRows(burst, true, std::nullopt)),
            std::vector<std::vector<std::int64_t>>{numbers_in_file});

  // Unordered: file order within each vessel, nothing dropped, no split.
  const RowTracks unordered = TracksOfRows(rows, false, std::nullopt);
  EXPECT_EQ(TrackRows(rows, unordered),
            (std::vector<std::vector<std::int64_t>>{{2, 3, 4, 5, 6, 7, 8, 9}, {1, 10}}));
  EXPECT_EQ(unordered.duplicates, 0);
}

// Numbers as times (Unix seconds): the gap counts in seconds. Many tracks
// of one vessel: each numbered after the one before (the track list grows
// while the last track is in hand).
TEST(TracksOfRows, NumbersAsTimesSplitBySeconds) {
  std::vector<PointRow> rows;
  for (int i = 0; i < 40; ++i) {
    PointRow fix = Fix(i + 1, 1, 0, 54.0 + i * 1e-3, 3.0);
    fix.time.date_time = false;
    fix.time.number = 1.7e9 + i * 61.5;
    rows.push_back(fix);
  }
  const RowTracks tracks = TracksOfRows(rows, true, std::int64_t{60} * 1'000'000'000);
  ASSERT_EQ(tracks.tracks.size(), 40u);
  EXPECT_EQ(tracks.tracks.back().number, 40);
  EXPECT_EQ(TracksOfRows(rows, true, std::int64_t{62} * 1'000'000'000).tracks.size(), 1u);
}

}  // namespace
}  // namespace oru
