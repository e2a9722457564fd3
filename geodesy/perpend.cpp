#include "geodesy/perpend.h"

#include <cmath>
#include <limits>

#include "geodesy/angles.h"
#include "geodesy/detail.h"
#include "geodesy/error_codes.h"
#include "geodesy/geodesic.h"
#include "geodesy/rhumb.h"

namespace oru {

int perpend(DatumParams& datum, const Geo_Line& line, Geo_Line& point) {
  constexpr int kMaxPasses = 500;
  constexpr double kSettled = 0.0001;  // metres
  const bool geodesic = line.line_type == 'G';
  const int inverse_failed = geodesic ? kGeodPerpendPosPos : kGeodPerpendPosPosLox;
  const int direct_failed = geodesic ? kGeodPerpendPosAzDist : kGeodPerpendPosAdLox;

  Geo_Line work = line;
  double prev = std::numeric_limits<double>::infinity();
  for (int pass = 1; pass <= kMaxPasses; ++pass) {
    if ((geodesic ? Pos_Pos(datum, work) : Pos_Pos_lox(datum, work)) != kGeodOk) {
      return inverse_failed;
    }
    if ((geodesic ? Pos_Pos(datum, point) : Pos_Pos_lox(datum, point)) != kGeodOk) {
      return inverse_failed;
    }
    const double azL = detail::Normalise_Azimuth(work.az12.rad);
    const double azP = detail::Normalise_Azimuth(point.az12.rad);
    double along = std::cos(std::fabs(azL - azP)) * point.dist;
    if (along < 0.0) {
      along = -along;
      work.az12.rad = std::fmod(azL + detail::kPi, detail::kTwoPi);
      Az12_To_DMS(work);
    }
    work.dist = along;
    if ((geodesic ? Pos_Az_Dist(datum, work) : Pos_AD_Lox(datum, work)) != kGeodOk) {
      return direct_failed;
    }
    work.P1 = work.P2;
    work.P2 = line.P2;
    point.P1 = work.P1;
    if (std::fabs(prev - along) < kSettled) {
      point.dist = std::fabs(point.dist);
      return kGeodOk;
    }
    prev = along;
  }
  return kGeodPerpendNoConvergence;
}

}  // namespace oru
