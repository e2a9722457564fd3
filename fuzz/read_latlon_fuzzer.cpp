// libFuzzer target: coordinate texts through Read_LatLon, and every position
// it accepts through the conversions, projections, datum transformation and
// line problems. Checks what Read_LatLon promises: on success the letters
// are N/S and E/W and degrees, minutes and seconds lie below their bounds;
// on failure the record is unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "geodesy/angles.h"
#include "geodesy/datum.h"
#include "geodesy/geod_base.h"
#include "geodesy/geodesic.h"
#include "geodesy/projections.h"
#include "geodesy/read_latlon.h"
#include "geodesy/rhumb.h"
#include "geodesy/transformation.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace oru;
  LatLon p{};
  p.text.assign(reinterpret_cast<const char*>(data), size);
  p.lat_deg = 77;
  p.lon_sec = 1.25;
  p.lat_hemi = 'Q';
  p.height = -3.0;
  const int code = Read_LatLon(p);
  if (code != 0) {
    Require(p.lat_deg == 77 && p.lon_sec == 1.25 && p.lat_hemi == 'Q' && p.height == -3.0);
    Require(code == 1 || code == 2 || code == 3 || code == 6 || code == 7 || code == 8);
    return 0;
  }
  Require(p.lat_hemi == 'N' || p.lat_hemi == 'S');
  Require(p.lon_hemi == 'E' || p.lon_hemi == 'W');
  Require(p.lat_deg <= 90 && p.lat_min < 60 && p.lat_sec < 60.0);
  Require(p.lon_deg <= 180 && p.lon_min < 60 && p.lon_sec < 60.0);

  // What the library does with such a position must not crash either.
  DatumParams wgs{};
  wgs.text = kWgs84DatumString;
  DatumParams ed50{};
  ed50.text = kEd50DatumString;
  LatLon q = p;
  LatLon_To_Rad(q);
  LatLon_To_DMS(q);
  MercParams merc{};
  merc.map_scale = 1.0;
  if (Geo_To_Merc(wgs, p, merc) == 0) {
    GeodBase back(wgs, merc, LatLon{});
    back.Merc_To_Geo();
  }
  TMParams tm{};
  tm.k0 = 1.0;
  tm.cm_deg = 3;
  tm.cm_hemi = 'E';
  Mericon m{};
  Geo_To_TM(wgs, p, tm, m);
  LatLon out{};
  Datum_Trans(ed50, p, wgs, out);

  Geo_Line line{};
  line.line_type = 'G';
  line.P1 = Geo_Point{52, 0, 0.0, 'N', 0.0, 4, 0, 0.0, 'E', 0.0};
  line.P2 = Geo_Point{p.lat_deg, p.lat_min, p.lat_sec, p.lat_hemi, 0.0,
                      p.lon_deg, p.lon_min, p.lon_sec, p.lon_hemi, 0.0};
  Geo_Line rhumb = line;
  if (Pos_Pos(wgs, line) == 0) Require(line.dist >= 0.0 || line.dist != line.dist);
  Pos_Pos_lox(wgs, rhumb);
  return 0;
}
