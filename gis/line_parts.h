#pragma once

#include <cstdint>

#include <ogr_geometry.h>

class OGRLayer;

namespace oru {

// What a layer's features hold for the thinning.
enum class LayerRole {
  Lines,       // every line part of every feature is a track
  PointRows,   // CSV rows from coordinate columns: the layer's points, in order, are one track
  GpxPoints,   // GPX track_points/route_points (read from GPX, or from a copy of
               // one): a feature per vertex of the tracks/routes layer's lines
  Copied,      // GPX waypoints: copied as they are, never thinned
};

// The role of a layer of a file read with GDAL's driver `driver`.
LayerRole RoleOfLayer(const char* driver, OGRLayer& layer);

// Calls part(line, number) for every line of `geometry`, in order: a
// LineString itself (number 0); the members of a MultiLineString (1, 2, ...);
// the LineString members of a GeometryCollection (numbered by member).
// Returns the count of lines found.
template <typename Part>
int ForEachLinePart(OGRGeometry& geometry, Part&& part) {
  const OGRwkbGeometryType type = wkbFlatten(geometry.getGeometryType());
  if (type == wkbLineString) {
    part(*geometry.toLineString(), 0);
    return 1;
  }
  if (type != wkbMultiLineString && type != wkbGeometryCollection) return 0;
  OGRGeometryCollection& collection = *geometry.toGeometryCollection();
  int lines = 0;
  for (int i = 0; i < collection.getNumGeometries(); ++i) {
    OGRGeometry* member = collection.getGeometryRef(i);
    if (wkbFlatten(member->getGeometryType()) == wkbLineString) {
      part(*member->toLineString(), i + 1);
      ++lines;
    }
  }
  return lines;
}

}  // namespace oru
