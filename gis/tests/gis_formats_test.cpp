#include "gis/gis_formats.h"

#include <gtest/gtest.h>

namespace oru {
namespace {

TEST(GisFormatOfPath, ExtensionsChooseFormats) {
  const std::pair<const char*, const char*> rows[] = {
      {"track.gpx", "gpx"},   {"dir.d/TRACK.GPX", "gpx"}, {"a.gpkg", "gpkg"},
      {"a.shp", "shp"},       {"a.geojson", "geojson"},   {"a.json", "geojson"},
      {"a.kml", "kml"},       {"a.fgb", "fgb"},           {"a.csv", "csv"},
      {"a.dxf", "dxf"},       {"survey.txt", nullptr},    {"gpx", nullptr},
      {"a.gpx.txt", nullptr}, {"a.dbf", nullptr},
  };
  for (const auto& [path, name] : rows) {
    const GisFormat* format = GisFormatOfPath(path);
    if (name == nullptr) {
      EXPECT_EQ(format, nullptr) << path;
    } else {
      ASSERT_NE(format, nullptr) << path;
      EXPECT_EQ(format->name, name) << path;
    }
  }
  EXPECT_FALSE(GisFormatByName("dxf")->writable);
  EXPECT_EQ(WrittenExtension(*GisFormatByName("geojson")), ".geojson");
}

}  // namespace
}  // namespace oru
