#pragma once

#include <string>
#include <string_view>

#include "numbertext/c_number_format.h"

namespace oru {

// `text` for an XML attribute value or element content: the five reserved
// characters as entities, other control characters than tab, line feed and
// carriage return (which XML 1.0 cannot hold) as blanks.
inline void AppendXmlEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r' ? ' ' : c;
    }
  }
}

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
