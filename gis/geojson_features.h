#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gis/padded_text.h"

namespace oru {

// The GeoJSON that the streaming reader and writer take as GDAL's GeoJSON
// driver reads it, one feature at a time: what the driver would make of
// a feature, in plain values (gis/geojson_reader.h says which files these
// are).

enum class GeoJsonType { None, Point, MultiPoint, LineString, MultiLineString, Polygon, MultiPolygon };

// A geometry's positions, in order, and how its arrays nest them: levels[k]
// holds the lengths of the arrays k levels below "coordinates" (levels[0]
// the length of "coordinates" itself), in order; a Point has no level, a
// LineString one, a MultiLineString or Polygon two, a MultiPolygon three.
struct GeoJsonGeometry {
  GeoJsonType type = GeoJsonType::None;  // None: null or absent
  bool has_z = false;                    // some position has a third number (others get 0)
  std::vector<double> x;                 // longitudes
  std::vector<double> y;                 // latitudes
  std::vector<double> z;                 // filled only when has_z
  std::vector<std::vector<std::uint32_t>> levels;
};

// A member of "properties" as GDAL types it: its JSON kind, its value.
enum class GeoJsonKind { Null, Boolean, Integer, Real, String, Other };
struct GeoJsonProperty {
  std::string key;
  GeoJsonKind kind = GeoJsonKind::Null;
  bool boolean = false;
  std::int64_t integer = 0;
  double real = 0.0;
  std::string text;  // String: unescaped; Other (objects, arrays): not kept
};

struct GeoJsonFeature {
  std::int64_t number = 0;  // 1-based, in file order
  std::vector<GeoJsonProperty> properties;
  GeoJsonGeometry geometry;
};

// The one layer GDAL reads of a GeoJSON file.
struct GeoJsonLayer {
  std::string name;  // "name" of a FeatureCollection, else the file's name without extension
  bool names_crs84 = false;  // the collection's "crs" member names OGC's CRS84
};

// Walks the features of a GeoJSON text (a FeatureCollection, a Feature or
// a bare geometry at the root), calling `feature` for each in order, with
// its geometry only when `with_geometry` (else its type and has_z only).
// What GDAL makes of the layer goes to `layer`. False,
// part way through maybe, when the text holds anything that GDAL's driver
// may read otherwise than described here: JSON that does not parse, a
// "crs" member other than CRS84's at the root, feature ids, members given
// twice, unknown or odd types (GeometryCollection among them), positions
// other than two or three plain numbers, empty arrays other than lines or
// parts of lines, keys of properties that differ from others or from
// "name" only in case, and so on.
bool WalkGeoJson(const PaddedText& text, const std::string& file_stem, bool with_geometry,
                 GeoJsonLayer& layer, const std::function<bool(GeoJsonFeature&)>& feature);

// Whether GDAL may take a text for a date, a time or both ("2024-05-01",
// "12:30", "2024/05/01 12:30:00+02"): such texts are left to it.
bool MayReadAsDate(std::string_view text);

}  // namespace oru
