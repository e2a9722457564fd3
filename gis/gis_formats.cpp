#include "gis/gis_formats.h"

#include <array>
#include <string>

#include "escaping/escapes.h"
#include "escaping/utf8_text.h"
#include "trackio/file_io.h"

namespace oru {
namespace {

constexpr std::array<GisFormat, 8> kFormats{{
    {"gpx", "GPX", ".gpx", "GPX 1.0/1.1: tracks, track segments and routes", "GPX", true, true,
     true, true},
    {"gpkg", "GPKG", ".gpkg", "OGC GeoPackage", "GeoPackage", true, true},
    {"shp", "ESRI Shapefile", ".shp", "ESRI Shapefile (.shp with .shx, .dbf, .prj)", "Shapefile",
     true, false},
    {"geojson", "GeoJSON", ".geojson .json", "GeoJSON", "GeoJSON", true, false, true},
    {"kml", "LIBKML", ".kml", "Keyhole Markup Language", "KML", true, true, true, true},
    {"fgb", "FlatGeobuf", ".fgb", "FlatGeobuf", "FlatGeobuf", true, false},
    {"csv", "CSV", ".csv",
     "comma-separated values: WKT geometry, or one point a row in longitude/latitude "
     "(or X/Y) columns",
     "CSV", true, false},
    {"dxf", "DXF", ".dxf", "AutoCAD DXF (read only)", "DXF", false, false},
}};

}  // namespace

std::span<const GisFormat> GisFormats() { return kFormats; }

const GisFormat* GisFormatByName(std::string_view name) {
  for (const GisFormat& format : kFormats) {
    if (format.name == name) return &format;
  }
  return nullptr;
}

const GisFormat* GisFormatOfPath(std::string_view path) {
  for (const GisFormat& format : kFormats) {
    if (PathHasExtension(path, format.extensions)) return &format;
  }
  return nullptr;
}

std::string_view WrittenExtension(const GisFormat& format) {
  return format.extensions.substr(0, format.extensions.find(' '));
}

std::string TextFor(const GisFormat& format, std::string_view text) {
  if (!format.xml) return ValidUtf8(text);
  std::string fit = XmlCharacters(text);
  // libkml writes a text with markup characters as one CDATA section, which
  // its first "]]>" would end: the '>' is set apart.
  if (format.driver == "LIBKML") {
    for (std::size_t at = 0; (at = fit.find("]]>", at)) != std::string::npos; at += 4) {
      fit.insert(at + 2, 1, ' ');
    }
  }
  return fit;
}

}  // namespace oru
