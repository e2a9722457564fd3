#include "gis/projected_crs.h"

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <charconv>
#include <cmath>

#include "gis/gdal_support.h"

namespace oru {

struct ProjectedCrs::Transform {
  std::unique_ptr<OGRCoordinateTransformation> to_wgs84;
};

ProjectedCrs::ProjectedCrs(int epsg, std::unique_ptr<Transform> transform)
    : epsg_(epsg), transform_(std::move(transform)) {}

ProjectedCrs::~ProjectedCrs() = default;

std::unique_ptr<ProjectedCrs> ProjectedCrs::FromText(std::string_view text, std::string& error) {
  std::string quoted(1, '\'');
  quoted.append(text).push_back('\'');
  int code = 0;
  const bool epsg = text.size() > 5 && (text[0] == 'E' || text[0] == 'e') &&
                    (text.substr(1, 4) == "PSG:" || text.substr(1, 4) == "psg:");
  const char* digits = text.data() + 5;
  const char* end = text.data() + text.size();
  if (!epsg || std::from_chars(digits, end, code).ptr != end || !(code > 0)) {
    error = quoted + " is no CRS: name it as EPSG:N";
    return nullptr;
  }
  RegisterGisDrivers();
  OGRSpatialReference crs;
  CPLErrorReset();
  if (crs.importFromEPSG(code) != OGRERR_NONE) {
    error = "EPSG:" + std::to_string(code) + " is not a CRS that PROJ knows";
    return nullptr;
  }
  if (!crs.IsProjected()) {
    error = "EPSG:" + std::to_string(code) +
            " is not a projected CRS, and X, Y tracks are plane coordinates";
    return nullptr;
  }
  const char* unit = nullptr;
  if (!(std::fabs(crs.GetLinearUnits(&unit) - 1.0) < 1e-12)) {
    error = "EPSG:" + std::to_string(code) + " measures in " + (unit ? unit : "other units") +
            ", and X, Y tracks are in metres";
    return nullptr;
  }
  OGRSpatialReference wgs84;
  wgs84.SetWellKnownGeogCS("WGS84");
  // Easting, northing in; longitude, latitude out.
  crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  auto transform = std::make_unique<Transform>();
  transform->to_wgs84.reset(OGRCreateCoordinateTransformation(&crs, &wgs84));
  if (!transform->to_wgs84) {
    error = "EPSG:" + std::to_string(code) + " has no transformation to WGS 84: " +
            GdalReason("PROJ knows none");
    return nullptr;
  }
  return std::unique_ptr<ProjectedCrs>(new ProjectedCrs(code, std::move(transform)));
}

bool ProjectedCrs::ToWgs84(double x, double y, double& lat, double& lon) const {
  double lon_x = x;
  double lat_y = y;
  if (!transform_->to_wgs84->Transform(1, &lon_x, &lat_y)) return false;
  if (!(std::isfinite(lon_x) && std::isfinite(lat_y))) return false;
  lat = lat_y;
  lon = lon_x;
  return true;
}

}  // namespace oru
