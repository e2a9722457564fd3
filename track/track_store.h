#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oru {

// Fill values of a slot that the reader did not write.
inline constexpr char kFillLetter = ' ';
inline constexpr double kFillReal = 999.9;
inline constexpr std::int32_t kFillWhole = 999;

// Every point of one input track, held as twelve parallel sequences (index i
// of each belongs to point number i+1). Sized once, before reading, to the
// line count of the file; a slot that the reader does not write keeps the
// fill value of its field.
//
// Angles: degrees, minutes and seconds of arc; in the signed fields south and
// west are negative. For an X, Y track only `first` and `second` are filled,
// in metres.
struct TrackStore {
  explicit TrackStore(std::size_t slots = 0);

  std::size_t size() const { return first.size(); }

  std::vector<char> lat_hemisphere;       // 'N'/'S' as read or derived
  std::vector<char> lon_hemisphere;       // 'E'/'W' as read or derived
  std::vector<double> lat_as_read;        // unsigned decimal degrees ("oru/kvl")
  std::vector<double> lon_as_read;        // unsigned decimal degrees ("oru/kvl")
  std::vector<double> first;              // signed latitude, degrees; or X, metres
  std::vector<double> second;             // signed longitude, degrees; or Y, metres
  std::vector<double> lat_seconds;
  std::vector<double> lon_seconds;
  std::vector<std::int32_t> lat_degrees;
  std::vector<std::int32_t> lat_minutes;
  std::vector<std::int32_t> lon_degrees;
  std::vector<std::int32_t> lon_minutes;
};

}  // namespace oru
