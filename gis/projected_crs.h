#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace oru {

// A projected CRS named by its EPSG code, as the CRS of X, Y tracks in
// metres: checked once, then their points transformed to WGS84 through
// GDAL/PROJ. Not shared between threads (PROJ's transformations are not).
class ProjectedCrs {
 public:
  ~ProjectedCrs();
  ProjectedCrs(const ProjectedCrs&) = delete;
  ProjectedCrs& operator=(const ProjectedCrs&) = delete;

  // The CRS of "EPSG:N" (the authority in any case). Null, with `error`
  // saying why, when the text is not of that form, PROJ knows no such CRS,
  // it is not projected, or its unit is not the metre.
  static std::unique_ptr<ProjectedCrs> FromText(std::string_view text, std::string& error);

  int Epsg() const { return epsg_; }
  // Easting x and northing y (metres) to WGS84 latitude and longitude
  // (degrees); false when PROJ cannot transform the point.
  bool ToWgs84(double x, double y, double& lat, double& lon) const;

 private:
  struct Transform;
  ProjectedCrs(int epsg, std::unique_ptr<Transform> transform);

  int epsg_;
  std::unique_ptr<Transform> transform_;
};

}  // namespace oru
