#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gis/row_times.h"

namespace oru {

// How the point rows of a CSV file (one fix a row, as AIS archives keep
// the fixes of many vessels) become tracks. Without it, all the rows of a
// file are one track, in file order.
struct RowGrouping {
  // The column whose values name the rows' vessels (or tracks): a track per
  // value. Empty: all rows belong to one.
  std::string track_by;
  // The column of the rows' times (RowTime): each vessel's rows are put in
  // time order, rows of equal times kept in file order. Empty: file order.
  std::string order_by;
  // Nanoseconds: consecutive rows of a vessel more than this apart in time
  // begin a new track (a receiver's outage, a vessel gone for a day). Needs
  // order_by; for numbers as times, gap / 1e9 in the numbers' units
  // (seconds).
  std::optional<std::int64_t> gap;
  bool Active() const { return !track_by.empty() || !order_by.empty(); }
};

// A row with a usable position, vessel and time.
struct PointRow {
  std::int64_t row = 0;  // 1-based, among the layer's rows
  std::int64_t vessel = 0;  // the number of its track_by value; 0 without track_by
  RowTime time;             // with order_by
  double x = 0.0;           // its position as the engine takes it
  double y = 0.0;
};

// One track: rows (positions in the vector of rows) in track order.
struct RowTrack {
  std::int64_t vessel = 0;
  int number = 1;  // 1-based within its vessel, in time order
  std::vector<std::size_t> members;
};

struct RowTracks {
  std::vector<RowTrack> tracks;  // by vessel number, then time
  // Rows repeating an earlier row of their vessel in time and position
  // (a fix received twice): left out.
  std::int64_t duplicates = 0;
};

// Groups `rows` (in file order) into tracks: by vessel, ordered by time
// when `ordered` (a stable sort: file order among equal times; date-time
// columns by RowTime::ns, number columns by RowTime::number), dropping
// exact duplicates (same vessel, time and position) when ordered, split
// where consecutive rows lie more than grouping.gap apart. Vessels follow
// their numbers.
RowTracks TracksOfRows(const std::vector<PointRow>& rows, bool ordered,
                       const std::optional<std::int64_t>& gap);

// Whether a column's name reads like an identity of vessels or tracks
// ("mmsi", "MMSI", "vessel_id", "track", "id", ...): a file of point rows
// with such a column most likely holds several tracks.
bool LooksLikeIdentityColumn(std::string_view name);

}  // namespace oru
