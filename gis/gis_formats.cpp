#include "gis/gis_formats.h"

#include <array>
#include <cctype>
#include <filesystem>

namespace oru {
namespace {

constexpr std::array<GisFormat, 8> kFormats{{
    {"gpx", "GPX", ".gpx", "GPX 1.0/1.1: tracks, track segments and routes", true, true},
    {"gpkg", "GPKG", ".gpkg", "OGC GeoPackage", true, true},
    {"shp", "ESRI Shapefile", ".shp", "ESRI Shapefile (.shp with .shx, .dbf, .prj)", true, false},
    {"geojson", "GeoJSON", ".geojson .json", "GeoJSON", true, false},
    {"kml", "LIBKML", ".kml", "Keyhole Markup Language", true, true},
    {"fgb", "FlatGeobuf", ".fgb", "FlatGeobuf", true, false},
    {"csv", "CSV", ".csv",
     "comma-separated values: WKT geometry, or one point a row in longitude/latitude "
     "(or X/Y) columns",
     true, false},
    {"dxf", "DXF", ".dxf", "AutoCAD DXF (read only)", false, false},
}};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::span<const GisFormat> GisFormats() { return kFormats; }

const GisFormat* GisFormatByName(std::string_view name) {
  for (const GisFormat& format : kFormats) {
    if (format.name == name) return &format;
  }
  return nullptr;
}

const GisFormat* GisFormatOfPath(std::string_view path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension.empty()) return nullptr;
  for (const GisFormat& format : kFormats) {
    std::string_view list = format.extensions;
    while (!list.empty()) {
      const std::size_t blank = list.find(' ');
      if (EqualNoCase(list.substr(0, blank), extension)) return &format;
      list = blank == std::string_view::npos ? std::string_view() : list.substr(blank + 1);
    }
  }
  return nullptr;
}

std::string_view WrittenExtension(const GisFormat& format) {
  return format.extensions.substr(0, format.extensions.find(' '));
}

}  // namespace oru
