// The streaming GeoJSON reader and writer against GDAL's GeoJSON driver: on
// every file the reader takes, the same tracks, names, coordinates (to the
// bit), order and counts as ReadGisTracks, and a thinned copy equal byte for
// byte to the one GDAL writes of the same selection; the files they must
// leave to GDAL, they leave.
#include "gis/geojson_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <ostream>
#include <string>
#include <vector>

#include "gis/geojson_writer.h"
#include "gis/gis_formats.h"
#include "gis/gis_reader.h"
#include "gis/gis_writer.h"
#include "gis/tests/gis_test_files.h"
#include "track/tests/geo_shapes.h"

namespace oru {
namespace {

using testing::GeoTrack;

// Positions as "[lon, lat]" printed by `format`, `z` a third number when set.
std::string Positions(const GeoTrack& shape, std::size_t begin, std::size_t end,
                      const char* format = "%.17g", bool z = false) {
  std::string text = "[";
  char number[64];
  for (std::size_t i = begin; i < end; ++i) {
    text += i > begin ? ",[" : "[";
    std::snprintf(number, sizeof number, format, shape.lon[i]);
    text += number;
    text += ",";
    std::snprintf(number, sizeof number, format, shape.lat[i]);
    text += number;
    if (z) {
      std::snprintf(number, sizeof number, ",%d.25", static_cast<int>(i % 300));
      text += number;
    }
    text += "]";
  }
  return text + "]";
}

std::string LineString(const GeoTrack& shape, const char* format = "%.17g", bool z = false) {
  return R"({"type":"LineString","coordinates":)" + Positions(shape, 0, shape.lat.size(), format, z) + "}";
}

// The shape in parts of at most `per_part` points, and an empty part after
// every `empty_every` parts.
std::string MultiLineString(const GeoTrack& shape, std::size_t per_part, std::size_t empty_every) {
  std::string text = R"({"type":"MultiLineString","coordinates":[)";
  std::size_t parts = 0;
  for (std::size_t begin = 0; begin < shape.lat.size(); begin += per_part) {
    if (parts > 0) text += ",";
    text += Positions(shape, begin, std::min(begin + per_part, shape.lat.size()));
    if (++parts % empty_every == 0) text += ",[]";
  }
  return text + "]}";
}

std::string Feature(const std::string& geometry, const std::string& properties = R"({})") {
  return R"({"type":"Feature","properties":)" + properties + R"(,"geometry":)" + geometry + "}";
}

std::string Collection(const std::vector<std::string>& features, const std::string& head = "") {
  std::string text = R"({"type":"FeatureCollection",)" + head + R"("features":[)";
  for (std::size_t i = 0; i < features.size(); ++i) text += (i > 0 ? ",\n" : "\n") + features[i];
  return text + "\n]}\n";
}

const std::string kLine = R"({"type":"LineString","coordinates":[[4.25,52.5],[4.5,52.75],[4.75,52.5]]})";
std::string Named(const std::string& name) { return Feature(kLine, R"({"name":)" + name + "}"); }

// Features whose property "r" holds reals of every magnitude and of
// few or many digits, seeded.
std::vector<std::string> RealProperties() {
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<std::string> features;
  char value[64];
  for (int i = 0; i < 600; ++i) {
    const double magnitude = std::pow(10.0, static_cast<int>(random() % 40) - 20);
    const double r = i % 3 == 0 ? std::round(unit(random) * 1e6) / std::pow(10.0, static_cast<int>(random() % 12))
                                : unit(random) * magnitude;
    std::snprintf(value, sizeof value, "%.17e", r);
    features.push_back(Feature(kLine, std::string(R"({"r":)") + value + "}"));
  }
  return features;
}

// A file's text is made when its case runs: GoogleTest copies every
// parameter several times as it registers the cases, in each process.
struct Case {
  const char* what;
  std::string (*text)();
  bool streamed;  // false: the reader leaves the file to GDAL
  bool written;   // false: the writer leaves the thinned copy to GDAL
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

// The awkward shapes of one datum as named features.
std::vector<std::string> AwkwardFeatures() {
  const std::vector<GeoTrack> shapes = testing::AwkwardTracks();
  std::vector<std::string> awkward;
  for (const GeoTrack& shape : shapes) {
    if (shape.datum == shapes.front().datum) {
      awkward.push_back(Feature(LineString(shape), R"({"name":")" + shape.name + R"("})"));
    }
  }
  return awkward;
}

GeoTrack Hike() { return testing::SwitchbackHike(12, 7); }
GeoTrack Drift() { return testing::SlowShipWithNoise("drift", 3000, 0.3, 2.0, 3); }
GeoTrack Walk() { return testing::ShipWalk("voyage", 4000, 59.0, 10.5, 11); }

const std::string kPoint = R"({"type":"Point","coordinates":[4.5,52.5]})";
const std::string kPolygon =
    R"({"type":"Polygon","coordinates":[[[4,52],[5,52],[5,53],[4,52]],[[4.2,52.2],[4.3,52.2],[4.2,52.3],[4.2,52.2]]]})";
const std::string kCrs84 =
    R"("crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:OGC:1.3:CRS84"}},)";

std::vector<Case> Cases() {
  return {
      {"lines of awkward shapes", [] { return Collection(AwkwardFeatures()); }, true, true},
      {"a long voyage, coordinates to the last digit",
       [] { return Collection({Feature(LineString(Walk()))}); }, true, true},
      {"coordinates of nine decimals, CRS84 named, a layer name",
       [] {
         return Collection({Feature(LineString(Walk(), "%.9f"), R"({"name":"v"})")},
                           kCrs84 + R"("name":"voyage / 2024",)");
       },
       true, true},
      {"parts with empty ones, an empty MultiLineString, an empty LineString",
       [] {
         return Collection({Feature(MultiLineString(Hike(), 37, 2)),
                            Feature(MultiLineString(Drift(), 500, 3)),
                            Feature(R"({"type":"MultiLineString","coordinates":[]})"),
                            Feature(R"({"type":"LineString","coordinates":[]})"),
                            Feature(R"({"type":"MultiLineString","coordinates":[[],[]]})")});
       },
       true, true},
      {"Z on some positions of lines",
       [] {
         return Collection(
             {Feature(LineString(Hike(), "%.12f", true)),
              Feature(R"({"type":"LineString","coordinates":[[4,52],[4.1,52.1,7.5],[4.2,52]]})"),
              Feature(kLine), Feature("null")});
       },
       true, true},
      {"Z with CRS84 named",
       [] { return Collection({Feature(LineString(Hike(), "%.12f", true))}, kCrs84); }, true, true},
      {"Z on lines of two types and points",
       [] {
         return Collection({Feature(LineString(Hike(), "%.12f", true)),
                            Feature(MultiLineString(Drift(), 500, 3)),
                            Feature(R"({"type":"Point","coordinates":[4,52,3]})")});
       },
       true, true},
      {"points, polygons, null and absent geometries among the lines",
       [] {
         return Collection(
             {Feature(kPoint), Feature(kLine), Feature(kPolygon), Feature("null"),
              R"({"type":"Feature","properties":{"name":"x"}})",
              Feature(R"({"type":"MultiPoint","coordinates":[[4,52],[4.5,52.5,3]]})"),
              Feature(R"({"type":"MultiPolygon","coordinates":[[[[4,52],[5,52],[5,53],[4,52]]]]})"),
              Feature(kLine, "null")});
       },
       true, true},
      {"properties of every plain type, some absent, keys added at the end",
       [] {
         return Collection(
             {Feature(
                  kLine,
                  R"({"name":"a","n":1,"r":0.1,"b":true,"s":"x/y \"q\" \\ \t\u0001é","z":null})"),
              Feature(
                  kLine,
                  R"({"name":null,"n":-3000000000,"r":2,"b":true,"s":"t","z":1,"extra":"e","a/b \"c\"":1})"),
              Feature(kLine, R"({"n":7,"r":1e-7,"b":false})"),
              Feature(kLine, R"({"r":123456.7890123,"s":"東京","extra":null})")});
       },
       true, true},
      {"reals as GDAL prints them", [] { return Collection(RealProperties()); }, true, true},
      {"foreign members of the collection, features and geometries",
       [] {
         return Collection(
             {R"({"type":"Feature","title":{"a":[1,{"b":null}]},"properties":{"name":"f"},)"
              R"("geometry":{"bbox":[1,2,3,4],"type":"LineString","coordinates":[[1,2],[3,4]]}})"},
             R"("bbox":[0,0,5,5],"title":"t",)");
       },
       true, true},
      {"members in any order",
       [] {
         return std::string(
             R"({"features":[{"geometry":{"coordinates":[[1,2],[3,4]],"type":"LineString"},"properties":{"name":"n"},"type":"Feature"}],"type":"FeatureCollection"})");
       },
       true, true},
      {"a bare Feature", [] { return Named(R"("alone")"); }, true, true},
      {"a bare Feature without a geometry",
       [] { return std::string(R"({"type":"Feature","properties":{"name":"none"}})"); }, true,
       true},

      {"a bare LineString", [] { return LineString(Hike()); }, true, true},
      {"a bare MultiLineString with an empty part", [] { return MultiLineString(Hike(), 40, 1); },
       true, true},
      {"numbers of more than 19 digits",
       [] {
         return Collection(
             {Feature(R"({"type":"LineString","coordinates":[[0.1,0.39999990000000000000004],)"
                      R"([8.123456789012345678,-12.3456789012345678901234e-1],[1,2]]})",
                      R"({"r":0.39999990000000000000004})")});
       },
       true, true},
      {"numbers: integers, -0, exponents, many digits",
       [] {
         return std::string(
             R"({"type":"LineString","coordinates":[[-0,0],[1E2,-5.2e1],[179.99999999999999999,-89.123456789012345678],[-180,90],[0.1,1e-300],[123456789e-8,-0.0]]})");
       },
       true, true},
      {"unicode in names and escapes",
       [] { return Collection({Named(R"("Zoë \u6771\u4eac \ud83d\ude00 a\/b")")}); }, true, true},
      {"an empty collection", [] { return Collection({}); }, true, true},
      // The reader takes them; their properties GDAL types its own way.
      {"nested properties",
       [] { return Collection({Feature(kLine, R"({"o":{"a":1},"l":[1,2]})")}); }, true, false},
      {"a date", [] { return Collection({Feature(kLine, R"({"when":"2024-05-01"})")}); }, true,
       false},
      {"a text like JSON",
       [] { return Collection({Feature(kLine, R"({"name":"[[1,2],[3,4]]"})")}); }, true, false},
      {"integers and texts under one key",
       [] {
         return Collection({Feature(kLine, R"({"k":1})"), Feature(kLine, R"({"k":"one"})")});
       },
       true, false},
      {"an id", [] { return Collection({Feature(kLine, R"({"id":1})")}); }, true, false},
      {"keys in another order",
       [] {
         return Collection(
             {Feature(kLine, R"({"a":1,"b":2})"), Feature(kLine, R"({"b":1,"a":2})")});
       },
       true, false},
      {"a new key before known ones",
       [] {
         return Collection({Feature(kLine, R"({"a":1})"), Feature(kLine, R"({"c":1,"a":2})")});
       },
       true, false},
      // Left to GDAL, which fails on them or reads them its own way.
      {"bad JSON", [] { return Collection({Named(R"("a")")}).substr(0, 80); }, false, false},
      {"a trailing comma",
       [] { return std::string(R"({"type":"LineString","coordinates":[[1,2],[3,4],]})"); }, false,
       false},
      {"text after the end", [] { return LineString(Hike()) + "x"; }, false, false},
      {"a numeric name", [] { return Collection({Named("12.5")}); }, false, false},
      {"a name like a date", [] { return Collection({Named(R"("2024/05/01")")}); }, false, false},
      {"a name key in capitals", [] { return Collection({Feature(kLine, R"({"Name":"n"})")}); },
       false, false},
      {"keys differing in case",
       [] {
         return Collection({Feature(kLine, R"({"k":1})"), Feature(kLine, R"({"K":2})")});
       },
       false, false},
      {"a key given twice", [] { return Collection({Feature(kLine, R"({"k":1,"k":2})")}); }, false,
       false},
      {"a NUL in the layer's name",
       [] { return Collection({Named(R"("a")")}, R"("name":"a\u0000b",)"); }, false, false},
      {"a member named in another case",
       [] {
         return Collection({R"({"type":"Feature","properties":{},"Geometry":)" + kLine + "}"});
       },
       false, false},
      {"a geometry given twice",
       [] {
         return Collection({R"({"type":"Feature","geometry":null,"geometry":)" + kLine + "}"});
       },
       false, false},
      {"a crs member of EPSG:4326",
       [] {
         return Collection({Feature(kLine)},
                           R"("crs":{"type":"name","properties":{"name":"EPSG:4326"}},)");
       },
       false, false},
      {"a crs in a feature",
       [] { return Collection({R"({"type":"Feature","crs":null,"geometry":)" + kLine + "}"}); },
       false, false},
      {"a feature id",
       [] { return Collection({R"({"type":"Feature","id":3,"geometry":)" + kLine + "}"}); }, false,
       false},
      {"a feature without a type", [] { return Collection({R"({"geometry":)" + kLine + "}"}); },
       false, false},
      {"foreign members of a feature without properties: GDAL's properties",
       [] { return Collection({R"({"type":"Feature","name":"n","geometry":)" + kLine + "}"}); },
       false, false},
      {"a bare Feature without properties, a foreign member like a geometry",
       [] {
         return std::string(
             R"({"type":"Feature","prometry":{"type":"LineString","coordinates":[[0.25,52.5,1],[4.5,52.75]]}})");
       },
       false, false},
      {"a GeometryCollection",
       [] {
         return Collection(
             {Feature(R"({"type":"GeometryCollection","geometries":[)" + kLine + "]}")});
       },
       false, false},
      {"four numbers in a position",
       [] { return std::string(R"({"type":"LineString","coordinates":[[1,2,3,4],[3,4]]})"); },
       false, false},
      {"one number in a position",
       [] { return std::string(R"({"type":"LineString","coordinates":[[1],[3,4]]})"); }, false,
       false},
      {"a text for a number",
       [] { return std::string(R"({"type":"LineString","coordinates":[["1",2],[3,4]]})"); }, false,
       false},
      {"positions too deep",
       [] { return std::string(R"({"type":"LineString","coordinates":[[[1,2]],[[3,4]]]})"); },
       false, false},
      {"an empty Point",
       [] { return Collection({Feature(R"({"type":"Point","coordinates":[]})")}); }, false, false},
      {"latitude beyond 90",
       [] { return std::string(R"({"type":"LineString","coordinates":[[1,90.000001],[3,4]]})"); },
       false, false},
      {"longitude beyond 180",
       [] { return std::string(R"({"type":"LineString","coordinates":[[-180.5,2],[3,4]]})"); },
       false, false},
      {"a huge number",
       [] { return std::string(R"({"type":"LineString","coordinates":[[1e400,2],[3,4]]})"); },
       false, false},
      {"a huge integer",
       [] {
         return std::string(
             R"({"type":"LineString","coordinates":[[123456789012345678901234567890,2],[3,4]]})");
       },
       false, false},
      {"a byte-order mark", [] { return "\xEF\xBB\xBF" + LineString(Hike()); }, false, false},
      {"a type far into the file",
       [] {
         return R"({"title":")" + std::string(2000, 'x') +
                R"(","type":"LineString","coordinates":[[1,2],[3,4]]})";
       },
       false, false},
      {"an array at the root", [] { return std::string("[") + LineString(Hike()) + "]"; }, false,
       false},
      {"a member named like a field, in a feature without properties",
       [] {
         return Collection({Named(R"("a")"),
                            R"({"type":"Feature","properties":null,"name":"b","geometry":)" +
                                kLine + "}"});
       },
       false, false},
      {"a field named type beside features without properties",
       [] {
         return std::string(
             R"XX({"type":"FeatureCollection","name":"krs84","crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:OGC:1.3:CRS84"}},"features":[{"type":"Feature","properties":{"type":"a","n":0,"r":0.5},"geo:metry":{"type":"MultiLineString","zoordinates":[[[2,2],[3,4]],[],[[5,6]]]}},{"type":"Feature","properties":null,"geometry":null}]})XX");
       },
       false, false},
  };
}

class GeoJsonReader : public ::testing::TestWithParam<Case> {};

TEST_P(GeoJsonReader, GivesWhatGdalGivesOrLeavesTheFileToIt) {
  const Case& c = GetParam();
  const std::string text = c.text();
  testing::TempFolder temp;
  const auto path = temp / "in.geojson";
  testing::WriteText(path, text);
  const std::optional<GisReadOutcome> streamed = ReadGeoJsonTracks(path.string());
  ASSERT_EQ(streamed.has_value(), c.streamed);
  const std::optional<GisReadOutcome> from_text = ReadGeoJsonText(text, "in");
  ASSERT_EQ(from_text.has_value(), c.streamed);
  if (!c.streamed) return;
  const GisReadOutcome gdal = ReadGisTracks(path.string(), *GisFormatByName("geojson"));
  testing::ExpectSameTracks(*streamed, gdal);
  testing::ExpectSameTracks(*from_text, gdal);
}

// Every third vertex of each line, and its last; none of some lines.
std::vector<std::vector<std::int64_t>> EveryThird(const std::vector<GisTrack>& tracks) {
  std::vector<std::vector<std::int64_t>> kept;
  for (const GisTrack& track : tracks) {
    std::vector<std::int64_t>& line = kept.emplace_back();
    for (std::int64_t k = 1; k <= track.points; k += 3) line.push_back(k);
    if (track.points > 1 && line.back() != track.points) line.push_back(track.points);
  }
  return kept;
}

TEST_P(GeoJsonReader, WritesTheKeptVerticesAsGdalWritesThem) {
  const Case& c = GetParam();
  if (!c.streamed) return;  // left to GDAL: the first test's
  testing::TempFolder temp;
  const auto input = temp / "in.geojson";
  testing::WriteText(input, c.text());
  const std::optional<GisReadOutcome> read = ReadGeoJsonTracks(input.string());
  ASSERT_TRUE(read.has_value());
  const auto kept = EveryThird(read->tracks);
  const std::optional<std::string> streamed = ThinnedGeoJsonText(input.string(), read->tracks, kept);
  ASSERT_EQ(streamed.has_value(), c.written);
  if (!c.written) return;
  const GisFormat& geojson = *GisFormatByName("geojson");
  const auto by_gdal = temp / "gdal.geojson";
  ASSERT_EQ(WriteThinnedGisFile({input.string(), &geojson, by_gdal.string(), &geojson,
                                 &read->tracks, &kept})
                .error,
            "");
  EXPECT_EQ(*streamed, testing::ReadText(by_gdal));
}

// A file changed between its reading and its writing: its lines are no
// longer those read, and GDAL writes it.
TEST(GeoJsonWriter, LeavesAFileChangedSinceItWasReadToGdal) {
  testing::TempFolder temp;
  const auto input = temp / "in.geojson";
  testing::WriteText(input, kLine);
  const std::optional<GisReadOutcome> read = ReadGeoJsonTracks(input.string());
  ASSERT_TRUE(read.has_value());
  const std::vector<std::vector<std::int64_t>> kept = {{1, 3}};
  EXPECT_TRUE(ThinnedGeoJsonText(input.string(), read->tracks, kept).has_value());
  testing::WriteText(input, R"({"type":"LineString","coordinates":[[1,2],[3,4]]})");
  EXPECT_FALSE(ThinnedGeoJsonText(input.string(), read->tracks, kept).has_value());
}

INSTANTIATE_TEST_SUITE_P(Files, GeoJsonReader, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* c = info.param.what; *c != '\0'; ++c) {
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace oru
