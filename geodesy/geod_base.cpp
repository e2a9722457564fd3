#include "geodesy/geod_base.h"

#include <utility>

#include "geodesy/angles.h"
#include "geodesy/detail.h"
#include "geodesy/error_codes.h"
#include "geodesy/error_messages.h"
#include "geodesy/projections.h"

namespace oru {

GeodBase::GeodBase(DatumParams& datum_in, MercParams& merc_in, const LatLon& position_in,
                   Geod_Observer observer_in)
    : datum(&datum_in), merc(&merc_in), position(position_in), observer(std::move(observer_in)) {}

GeodBase::GeodBase(DatumParams& datum_in, const Geo_Line& line_in, Geod_Observer observer_in)
    : datum(&datum_in), merc(nullptr), line(line_in), observer(std::move(observer_in)) {}

int GeodBase::Read_Datum() {
  if (!detail::Reread_Datum(*datum) && observer) observer(kDatumReadingError);
  return kGeodOk;
}

int GeodBase::Merc_To_Geo() {
  if (merc == nullptr) return kGeodMercatorRange;
  Read_Datum();
  double phi = 0.0;
  double lambda = 0.0;
  detail::Merc_Inverse(*datum, *merc, phi, lambda);
  position.lat_rad = phi;
  position.lon_rad = lambda;
  LatLon_To_DMS();
  return kGeodOk;
}

int GeodBase::Pos_Pos() {
  detail::Line_Radians r;
  const int code = detail::Check_Line_Points(
      line, detail::Line_Checks{true, true, kGeodPoint1ToRadians, false}, r);
  if (code != kGeodOk) return code;
  Read_Datum();
  line.P1.lat_rad = r.phi1;
  line.P1.lon_rad = r.lam1;
  line.P2.lat_rad = r.phi2;
  line.P2.lon_rad = r.lam2;
  detail::Geodesic_Inverse(datum->a, datum->f, r.phi1, r.lam1, r.phi2, r.lam2, line.dist,
                           line.az12.rad, line.az21.rad);
  Az12_To_DMS();
  Az21_To_DMS();
  return kGeodOk;
}

void GeodBase::Error_Message() { message = oru::Error_Message(error); }

int GeodBase::LatLon_To_DMS() { return oru::LatLon_To_DMS(position); }
int GeodBase::P1_To_Rad() { return oru::P1_To_Rad(line); }
int GeodBase::P2_To_Rad() { return oru::P2_To_Rad(line); }
int GeodBase::Az12_To_DMS() { return oru::Az12_To_DMS(line); }
int GeodBase::Az21_To_DMS() { return oru::Az21_To_DMS(line); }

}  // namespace oru
