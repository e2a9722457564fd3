#include "track/track_store.h"

namespace oru {

TrackStore::TrackStore(std::size_t slots)
    : lat_hemisphere(slots, kFillLetter),
      lon_hemisphere(slots, kFillLetter),
      lat_as_read(slots, kFillReal),
      lon_as_read(slots, kFillReal),
      first(slots, kFillReal),
      second(slots, kFillReal),
      lat_seconds(slots, kFillReal),
      lon_seconds(slots, kFillReal),
      lat_degrees(slots, kFillWhole),
      lat_minutes(slots, kFillWhole),
      lon_degrees(slots, kFillWhole),
      lon_minutes(slots, kFillWhole) {}

}  // namespace oru
