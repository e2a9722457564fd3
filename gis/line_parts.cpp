#include "gis/line_parts.h"

#include <cstring>

#include <ogrsf_frmts.h>

namespace oru {

LayerRole RoleOfLayer(const char* driver, OGRLayer& layer) {
  const char* name = layer.GetName();
  OGRFeatureDefn& fields = *layer.GetLayerDefn();
  if ((std::strcmp(name, "track_points") == 0 && fields.GetFieldIndex("track_fid") >= 0) ||
      (std::strcmp(name, "route_points") == 0 && fields.GetFieldIndex("route_fid") >= 0)) {
    return LayerRole::GpxPoints;
  }
  if (std::strcmp(driver, "GPX") == 0 && std::strcmp(name, "waypoints") == 0) {
    return LayerRole::Copied;
  }
  if (std::strcmp(driver, "CSV") == 0 && wkbFlatten(layer.GetGeomType()) == wkbPoint) {
    return LayerRole::PointRows;
  }
  return LayerRole::Lines;
}

}  // namespace oru
