// libFuzzer target: datum strings through Read_Datum and what reads them.
// Checks that the library's memo of parsed datums (used by every function
// that re-reads its datum) leaves a record exactly as Read_Datum does, from
// the same previous values, and that Comp_Mericon, the line problems and
// the transformation survive any ellipsoid.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "geodesy/datum.h"
#include "geodesy/detail.h"
#include "geodesy/geod_base.h"
#include "geodesy/geodesic.h"
#include "geodesy/transformation.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

bool Same(double x, double y) { return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y); }

bool Same(const oru::DatumParams& x, const oru::DatumParams& y) {
  return x.text == y.text && x.name == y.name && Same(x.a, y.a) && Same(x.f, y.f) &&
         Same(x.dX, y.dX) && Same(x.dY, y.dY) && Same(x.dZ, y.dZ) && Same(x.rX, y.rX) &&
         Same(x.rY, y.rY) && Same(x.rZ, y.rZ) && Same(x.scale, y.scale);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace oru;
  DatumParams plain{};
  plain.text.assign(reinterpret_cast<const char*>(data), size);
  plain.dX = 1.0;
  plain.name = "previous";
  DatumParams memo = plain;
  // Twice each: the second reading starts from what the first left.
  for (int i = 0; i < 2; ++i) {
    Require(Read_Datum(plain) == 0);
    detail::Reread_Datum(memo);
    Require(Same(plain, memo));
  }
  Mericon m{};
  Comp_Mericon(plain, m);

  Geo_Line line{};
  line.line_type = 'G';
  line.P1 = Geo_Point{52, 0, 0.0, 'N', 0.0, 4, 0, 0.0, 'E', 0.0};
  line.P2 = Geo_Point{51, 30, 0.0, 'S', 0.0, 175, 0, 0.0, 'W', 0.0};  // nearly antipodal
  Pos_Pos(memo, line);
  GeodBase object(memo, line);
  object.Pos_Pos();

  DatumParams wgs{};
  wgs.text = kWgs84DatumString;
  LatLon p{};
  p.lat_deg = 52;
  p.lat_hemi = 'N';
  p.lon_deg = 4;
  p.lon_hemi = 'E';
  Datum_Trans(memo, p, wgs, p);
  return 0;
}
