#include "navformats/route.h"

#include <numbers>

#include "geodesy/angles.h"
#include "geodesy/datum.h"
#include "geodesy/transformation.h"

namespace oru {

bool ToWgs84(DatumChoice datum, double& lat, double& lon) {
  if (datum != DatumChoice::Ed50) return true;
  DatumParams ed50{};
  DatumParams wgs84{};
  ed50.text = kEd50DatumString;
  wgs84.text = kWgs84DatumString;
  Read_Datum(ed50);
  Read_Datum(wgs84);
  constexpr double kRadians = std::numbers::pi / 180.0;
  LatLon p{};
  p.lat_rad = lat * kRadians;
  p.lon_rad = lon * kRadians;
  if (LatLon_To_DMS(p) != 0 || Datum_Trans(ed50, p, wgs84, p) != 0) return false;
  lat = p.lat_rad / kRadians;
  lon = p.lon_rad / kRadians;
  return true;
}

}  // namespace oru
