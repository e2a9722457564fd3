#pragma once

#include <string>
#include <vector>

#include "navformats/route.h"

namespace oru {

// The routes as one GPX 1.1 file (Topografix, "http://www.topografix.com/
// GPX/1/1"), for chart plotters: one <rte> each, in order, with its <name>
// and one <rtept lat lon> per waypoint (degrees WGS84, eight decimals, a
// longitude of +180 written as -180), with a <time> where the route has one.
std::string GpxRouteText(const std::vector<Route>& routes);

}  // namespace oru
