#include "navformats/rtz_writer.h"

#include "escaping/escapes.h"
#include "navformats/xml_text.h"

namespace oru {

std::string RtzText(const Route& route, LegGeometry legs) {
  const char* geometry = legs == LegGeometry::Orthodrome ? "Orthodrome" : "Loxodrome";
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<route xmlns=\"http://www.cirm.org/RTZ/1/1\" version=\"1.1\">\n"
      "  <routeInfo routeName=\"";
  AppendXmlText(out, route.name);
  out += "\"/>\n  <waypoints>\n";
  for (std::size_t i = 0; i < route.lat.size(); ++i) {
    out += "    <waypoint id=\"";
    cfmt::Int(out, static_cast<std::int64_t>(i + 1));
    out += "\">\n      <position ";
    AppendLatLonAttributes(out, route.lat[i], route.lon[i]);
    out += "/>\n";
    if (i > 0) out.append("      <leg geometryType=\"").append(geometry).append("\"/>\n");
    out += "    </waypoint>\n";
  }
  out += "  </waypoints>\n</route>\n";
  return out;
}

}  // namespace oru
