#include "gis/point_row_tracks.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <numeric>

namespace oru {
namespace {

bool Earlier(const RowTime& a, const RowTime& b) {
  return a.date_time ? a.ns < b.ns : a.number < b.number;
}

bool SameTime(const RowTime& a, const RowTime& b) {
  return a.date_time ? a.ns == b.ns : a.number == b.number;
}

// Whether `later` (not earlier than `earlier`) lies more than `gap`
// nanoseconds after it; numbers as times count in seconds.
bool Apart(const RowTime& earlier, const RowTime& later, std::int64_t gap) {
  if (earlier.date_time) {
    // Unsigned: the difference of two int64 values need not fit in one.
    return static_cast<std::uint64_t>(later.ns) - static_cast<std::uint64_t>(earlier.ns) >
           static_cast<std::uint64_t>(gap);
  }
  return later.number - earlier.number > static_cast<double>(gap) / 1e9;
}

}  // namespace

RowTracks TracksOfRows(const std::vector<PointRow>& rows, bool ordered,
                       const std::optional<std::int64_t>& gap) {
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
    const PointRow& a = rows[i];
    const PointRow& b = rows[j];
    if (a.vessel != b.vessel) return a.vessel < b.vessel;
    return ordered && Earlier(a.time, b.time);
  });

  RowTracks result;
  std::size_t same_time_from = 0;  // in the current track: first member of the current time
  for (const std::size_t i : order) {
    const PointRow& row = rows[i];
    RowTrack* track = result.tracks.empty() ? nullptr : &result.tracks.back();
    const bool new_vessel = track == nullptr || track->vessel != row.vessel;
    if (!new_vessel && ordered) {
      const PointRow& last = rows[track->members.back()];
      if (SameTime(last.time, row.time)) {
        const auto repeated = std::any_of(
            track->members.begin() + static_cast<std::ptrdiff_t>(same_time_from),
            track->members.end(),
            [&](std::size_t k) { return rows[k].x == row.x && rows[k].y == row.y; });
        if (repeated) {
          ++result.duplicates;
          continue;
        }
      } else {
        same_time_from = track->members.size();
      }
    }
    if (new_vessel || (ordered && gap && Apart(rows[track->members.back()].time, row.time, *gap))) {
      const int number = new_vessel ? 1 : track->number + 1;
      track = &result.tracks.emplace_back();  // `track` moved: taken anew
      track->vessel = row.vessel;
      track->number = number;
      same_time_from = 0;
    }
    track->members.push_back(i);
  }
  return result;
}

bool LooksLikeIdentityColumn(std::string_view name) {
  std::string word;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  constexpr std::array<std::string_view, 11> kNames = {
      "mmsi", "imo",    "id",      "vessel",   "vesselid", "ship",
      "shipid", "track", "trackid", "callsign", "trackno"};
  return std::find(kNames.begin(), kNames.end(), word) != kNames.end();
}

}  // namespace oru
