#include "navformats/gpx_route_writer.h"

#include "escaping/escapes.h"
#include "navformats/civil_time.h"
#include "navformats/nav_track.h"
#include "navformats/xml_text.h"

namespace oru {

std::string GpxRouteText(const std::vector<Route>& routes) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" creator=\"ORU\">\n";
  for (const Route& route : routes) {
    out += "  <rte>\n    <name>";
    AppendXmlText(out, route.name);
    out += "</name>\n";
    for (std::size_t i = 0; i < route.lat.size(); ++i) {
      out += "    <rtept ";
      AppendLatLonAttributes(out, route.lat[i], route.lon[i]);
      if (i < route.times.size() && route.times[i] != kNoTime) {
        out.append("><time>").append(IsoUtcTime(route.times[i])).append("</time></rtept>\n");
      } else {
        out += "/>\n";
      }
    }
    out += "  </rte>\n";
  }
  out += "</gpx>\n";
  return out;
}

}  // namespace oru
