#pragma once

#include <string>
#include <string_view>

#include "numbertext/c_number_format.h"

namespace oru {

// lat="..." lon="..." in degrees with eight decimals, locale-free; +180
// becomes -180, the same meridian, since both schemas end the longitudes
// below 180.
inline void AppendLatLonAttributes(std::string& out, double lat, double lon) {
  out += "lat=\"";
  cfmt::Fixed(out, lat, 0, 8);
  out += "\" lon=\"";
  cfmt::Fixed(out, lon >= 180.0 ? lon - 360.0 : lon, 0, 8);
  out += '"';
}

}  // namespace oru
