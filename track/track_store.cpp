#include "track/track_store.h"

#include "track/huge_pages.h"

namespace oru {

TrackStore::TrackStore(std::size_t slots)
    : lat_hemisphere(FilledInHugePages(slots, kFillLetter)),
      lon_hemisphere(FilledInHugePages(slots, kFillLetter)),
      lat_as_read(FilledInHugePages(slots, kFillReal)),
      lon_as_read(FilledInHugePages(slots, kFillReal)),
      first(FilledInHugePages(slots, kFillReal)),
      second(FilledInHugePages(slots, kFillReal)),
      lat_seconds(FilledInHugePages(slots, kFillReal)),
      lon_seconds(FilledInHugePages(slots, kFillReal)),
      lat_degrees(FilledInHugePages(slots, kFillWhole)),
      lat_minutes(FilledInHugePages(slots, kFillWhole)),
      lon_degrees(FilledInHugePages(slots, kFillWhole)),
      lon_minutes(FilledInHugePages(slots, kFillWhole)) {}

}  // namespace oru
