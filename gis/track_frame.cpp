#include "gis/track_frame.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <cpl_conv.h>
#include <cpl_error.h>

#include "gis/gdal_support.h"
#include "trackio/track_reader.h"

namespace oru {
namespace {

enum class KnownDatum { Wgs84, Ed50, Other };

// EPSG datum codes 6326 (WGS 84), 6258 (ETRS89) and 6230 (ED50), or their
// WKT names where a CRS carries no authority.
KnownDatum DatumOf(const OGRSpatialReference& srs) {
  const char* code = srs.GetAuthorityCode("DATUM");
  const char* authority = srs.GetAuthorityName("DATUM");
  if (code != nullptr && authority != nullptr && std::strcmp(authority, "EPSG") == 0) {
    if (std::strcmp(code, "6326") == 0 || std::strcmp(code, "6258") == 0) return KnownDatum::Wgs84;
    if (std::strcmp(code, "6230") == 0) return KnownDatum::Ed50;
    return KnownDatum::Other;
  }
  const char* name = srs.GetAttrValue("DATUM");
  if (name == nullptr) return KnownDatum::Other;
  const std::string datum(name);
  if (datum.starts_with("WGS_1984") || datum.starts_with("World Geodetic System 1984") ||
      datum.starts_with("European_Terrestrial_Reference_System_1989") ||
      datum.starts_with("European Terrestrial Reference System 1989")) {
    return KnownDatum::Wgs84;
  }
  if (datum == "European_Datum_1950" || datum == "European Datum 1950") return KnownDatum::Ed50;
  return KnownDatum::Other;
}

// Whether the data's first coordinate is the CRS's north-pointing axis.
bool LatitudeFirst(const OGRSpatialReference& srs) {
  const std::vector<int>& mapping = srs.GetDataAxisToSRSAxisMapping();
  if (mapping.empty()) return false;
  OGRAxisOrientation orientation = OAO_Other;
  srs.GetAxis(nullptr, mapping[0] - 1, &orientation);
  return orientation == OAO_North;
}

constexpr double kDegree = 0.017453292519943295;  // radians

// The CRS to transform from. A CRS whose EPSG code names another CRS than
// its definition is taken by its definition alone, without its codes: PROJ
// 9.1 follows such a code into its database and fails there (a file of
// "WGS 84" marked EPSG:4926 brings it down). A true code is kept, so that
// PROJ picks that datum's best transformation.
OGRSpatialReference TrustedSource(const OGRSpatialReference& srs) {
  OGRSpatialReference by_code;
  const char* authority = srs.GetAuthorityName(nullptr);
  const char* code = srs.GetAuthorityCode(nullptr);
  const char* options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", "CRITERION=EQUIVALENT",
                           nullptr};
  if (authority == nullptr || code == nullptr ||
      (std::strcmp(authority, "EPSG") == 0 && by_code.importFromEPSG(std::atoi(code)) == OGRERR_NONE &&
       by_code.IsSame(&srs, options))) {
    return srs;
  }
  char* wkt1 = nullptr;
  OGRSpatialReference stripped;
  if (srs.exportToWkt(&wkt1) == OGRERR_NONE) {
    OGR_SRSNode root;
    const char* text = wkt1;
    if (root.importFromWkt(&text) == OGRERR_NONE) {
      root.StripNodes("AUTHORITY");
      char* plain = nullptr;
      if (root.exportToWkt(&plain) == OGRERR_NONE) stripped.importFromWkt(plain);
      CPLFree(plain);
    }
  }
  CPLFree(wkt1);
  stripped.SetDataAxisToSRSAxisMapping(srs.GetDataAxisToSRSAxisMapping());
  return stripped;
}

}  // namespace

bool NoCrs(const OGRSpatialReference* srs) {
  if (srs == nullptr || srs->IsEmpty()) return true;
  const char* name = srs->GetName();
  return srs->GetAuthorityName(nullptr) == nullptr && name != nullptr &&
         (std::strcmp(name, "Undefined geographic SRS") == 0 ||
          std::strcmp(name, "Undefined Cartesian SRS") == 0);
}

std::unique_ptr<OGRCoordinateTransformation> TransformationToWgs84(const OGRSpatialReference& srs,
                                                                   std::string& error) {
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  CPLErrorReset();
  const OGRSpatialReference source = TrustedSource(srs);
  if (source.IsEmpty()) {
    error = "the CRS cannot be read";
    return nullptr;
  }
  std::unique_ptr<OGRCoordinateTransformation> transformation(
      OGRCreateCoordinateTransformation(&source, &wgs84));
  if (!transformation) error = "no transformation to WGS 84: " + GdalReason("PROJ knows none");
  return transformation;
}

std::optional<TrackFrame> FrameOfCrs(const OGRSpatialReference* srs, std::string& error) {
  TrackFrame frame;
  if (NoCrs(srs)) return frame;
  if (srs->IsGeocentric()) {
    error = "geocentric coordinates cannot be thinned as a track";
    return std::nullopt;
  }
  if (srs->IsProjected() || srs->IsLocal() || !srs->IsGeographic()) {
    frame.metres_per_unit = srs->IsProjected() || srs->IsLocal() ? srs->GetLinearUnits() : 1.0;
    if (!(frame.metres_per_unit > 0.0)) frame.metres_per_unit = 1.0;
    return frame;
  }
  frame.geographic = true;
  const KnownDatum datum = DatumOf(*srs);
  const bool degrees = std::fabs(srs->GetAngularUnits() - kDegree) < 1e-12;
  if (datum != KnownDatum::Other && degrees) {
    frame.datum = datum == KnownDatum::Ed50 ? DatumChoice::Ed50 : DatumChoice::Wgs84;
    frame.latitude_first = LatitudeFirst(*srs);
    return frame;
  }
  frame.to_wgs84 = TransformationToWgs84(*srs, error);
  if (!frame.to_wgs84) return std::nullopt;
  return frame;
}

std::optional<std::string> ToEngineCoordinates(const TrackFrame& frame, std::vector<double>& x,
                                               std::vector<double>& y) {
  const std::size_t n = x.size();
  if (frame.to_wgs84) {
    std::vector<int> success(n, FALSE);
    CPLErrorReset();
    if (n > 0 && !frame.to_wgs84->Transform(n, x.data(), y.data(), nullptr, success.data())) {
      for (std::size_t i = 0; i < n; ++i) {
        if (!success[i]) {
          return "point " + std::to_string(i + 1) +
                 ": no transformation to WGS 84: " + GdalReason("outside the CRS's area");
        }
      }
    }
  }
  if (!frame.geographic) {
    for (std::size_t i = 0; i < n; ++i) {
      x[i] *= frame.metres_per_unit;
      y[i] *= frame.metres_per_unit;
      if (!PlaneCoordinateInRange(x[i]) || !PlaneCoordinateInRange(y[i])) {
        return "point " + std::to_string(i + 1) + ": coordinate out of range.";
      }
    }
    return std::nullopt;
  }
  // x: latitude, y: longitude. The checks fail on NaN too.
  if (frame.to_wgs84 || !frame.latitude_first) std::swap(x, y);
  for (std::size_t i = 0; i < n; ++i) {
    if (!(x[i] >= -90.0 && x[i] <= 90.0)) {
      return "point " + std::to_string(i + 1) + ": latitude out of range.";
    }
    if (!(y[i] >= -180.0 && y[i] <= 180.0)) {
      return "point " + std::to_string(i + 1) + ": longitude out of range.";
    }
  }
  return std::nullopt;
}

}  // namespace oru
