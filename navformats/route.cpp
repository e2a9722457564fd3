#include "navformats/route.h"

#include <numbers>

#include "geodesy/angles.h"
#include "geodesy/datum.h"
#include "geodesy/transformation.h"

namespace oru {

bool ShiftDatum(DatumChoice from, DatumChoice to, double& lat, double& lon) {
  if (from == to) return true;
  DatumParams source{};
  DatumParams target{};
  source.text = DatumString(from);
  target.text = DatumString(to);
  Read_Datum(source);
  Read_Datum(target);
  constexpr double kRadians = std::numbers::pi / 180.0;
  LatLon p{};
  p.lat_rad = lat * kRadians;
  p.lon_rad = lon * kRadians;
  if (LatLon_To_DMS(p) != 0 || Datum_Trans(source, p, target, p) != 0) return false;
  lat = p.lat_rad / kRadians;
  lon = p.lon_rad / kRadians;
  return true;
}

}  // namespace oru
