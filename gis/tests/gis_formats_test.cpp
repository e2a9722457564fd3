#include "gis/gis_formats.h"

#include <gtest/gtest.h>

namespace oru {
namespace {

TEST(GisFormatOfPath, ExtensionsChooseFormats) {
  const std::pair<const char*, const char*> rows[] = {
      {"dir.d/TRACK.GPX", "gpx"}, {"a.json", "geojson"}, {"a.geojson", "geojson"},
      {"a.fgb", "fgb"},           {"survey.txt", nullptr}, {"gpx", nullptr},
      {"a.gpx.txt", nullptr},     {"a.dbf", nullptr},
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
