#pragma once

#include <string>

#include "navformats/route.h"

namespace oru {

// The route as an RTZ file, route exchange format version 1.1 (IEC
// 61174:2015 Annex S, schema "http://www.cirm.org/RTZ/1/1"):
//
//   <route version="1.1">                      namespace of RTZ 1.1
//     <routeInfo routeName="..."/>             routeName required
//     <waypoints>
//       <waypoint id="1">                      id: nonNegativeInteger, unique
//         <position lat="..." lon="..."/>      degrees WGS84, lat -90..90,
//       </waypoint>                            lon -180 <= lon < 180
//       <waypoint id="2">
//         <position .../>
//         <leg geometryType="Orthodrome"/>     the leg that ends here
//       </waypoint> ...                        at least two waypoints
//     </waypoints>
//   </route>
//
// Waypoints are numbered from 1 in route order; every waypoint after the
// first carries the leg from its predecessor. Latitudes and longitudes have
// eight decimals (about a millimetre); a longitude of +180 is written as
// -180. The route needs at least two waypoints.
std::string RtzText(const Route& route, LegGeometry legs);

}  // namespace oru
