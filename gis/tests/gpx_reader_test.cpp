// The streaming GPX reader and writer against GDAL's GPX driver: on every
// file the reader takes, the same tracks, names, coordinates (to the bit),
// order and counts as ReadGisTracks, and a thinned copy whose features
// (every layer, field and vertex) are those GDAL writes; the files they
// must leave to GDAL, they leave.
#include "gis/gpx_reader.h"

#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "gis/gis_formats.h"
#include "gis/gis_reader.h"
#include "gis/gis_writer.h"
#include "gis/gpx_writer.h"
#include "gis/tests/gis_test_files.h"
#include "track/tests/geo_shapes.h"

namespace oru {
namespace {

using testing::GeoTrack;

// One point element ("trkpt", "rtept") with its elevation, time and an
// extension of the kind sports watches write, coordinates printed as
// `format` prints them.
std::string Point(const char* element, double lat, double lon, int i,
                  const char* format = "%.9f") {
  char lat_text[64];
  char lon_text[64];
  std::snprintf(lat_text, sizeof lat_text, format, lat);
  std::snprintf(lon_text, sizeof lon_text, format, lon);
  return std::string("<") + element + " lat=\"" + lat_text + "\" lon=\"" + lon_text + "\">" +
         "<ele>" + std::to_string(10 + i % 13) + ".5</ele><time>2024-05-01T10:" +
         std::to_string(10 + i / 60 % 50) + ":" + std::to_string(10 + i % 50) +
         "Z</time><extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>" +
         std::to_string(100 + i % 40) + "</gpxtpx:hr></gpxtpx:TrackPointExtension>"
         "</extensions></" + element + ">\n";
}

// A track of the shape, split into segments of at most `per_segment` points.
// The name as XML text.
std::string Escaped(const std::string& name) {
  std::string text;
  for (const char c : name) {
    if (c == '&') text += "&amp;";
    else if (c == '<') text += "&lt;";
    else text += c;
  }
  return text;
}

std::string Track(const GeoTrack& shape, std::size_t per_segment, const char* format = "%.9f") {
  std::string text = "<trk><name>" + Escaped(shape.name) + "</name><trkseg>\n";
  for (std::size_t i = 0; i < shape.lat.size(); ++i) {
    if (i > 0 && i % per_segment == 0) text += "</trkseg><trkseg>\n";
    text += Point("trkpt", shape.lat[i], shape.lon[i], static_cast<int>(i), format);
  }
  return text + "</trkseg></trk>\n";
}

std::string Route(const GeoTrack& shape) {
  std::string text = "<rte><name>" + Escaped(shape.name) + "</name>\n";
  for (std::size_t i = 0; i < shape.lat.size(); ++i) {
    text += Point("rtept", shape.lat[i], shape.lon[i], static_cast<int>(i));
  }
  return text + "</rte>\n";
}

std::string Gpx(const std::string& body, const char* version = "1.1") {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"") + version +
         "\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
         "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\">\n" +
         body + "</gpx>\n";
}

const std::string kPoint = "<trkpt lat=\"52.5\" lon=\"4.25\"/>";
std::string OneTrack(const std::string& point) {
  return Gpx("<trk><trkseg>" + point + kPoint + "</trkseg></trk>");
}

// A file's text is made when its case runs: GoogleTest copies every
// parameter several times as it registers the cases, in each process.
struct Case {
  const char* what;
  std::string (*text)();
  bool streamed;  // false: the reader leaves the file to GDAL
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

// The awkward shapes of one datum as tracks in segments.
std::string AwkwardShapes() {
  const std::vector<GeoTrack> awkward = testing::AwkwardTracks();
  std::string shapes;
  for (const GeoTrack& shape : awkward) {
    if (shape.datum == awkward.front().datum) shapes += Track(shape, 97);
  }
  return shapes;
}

GeoTrack Hike() { return testing::SwitchbackHike(12, 7); }

std::vector<Case> Cases() {
  return {
      {"tracks of awkward shapes in segments", [] { return Gpx(AwkwardShapes()); }, true},
      {"a long voyage, coordinates to the last digit",
       [] { return Gpx(Track(testing::ShipWalk("voyage", 4000, 59.0, 10.5, 11), 20000, "%.17g")); },
       true},
      {"routes after tracks and waypoints: routes first",
       [] {
         return Gpx("<wpt lat=\"1\" lon=\"2\"><name>w</name></wpt>" + Track(Hike(), 50) +
                    Route(testing::SlowShipWithNoise("drift & turn <back>", 3000, 0.3, 2.0, 3)) +
                    Route(Hike()));
       },
       true},
      {"a track without a segment, an empty segment, a route without a point",
       [] {
         return Gpx("<trk><name>none</name></trk><trk><name>gap</name><trkseg>" + kPoint +
                    "</trkseg><trkseg></trkseg><trkseg/><trkseg>" + kPoint + kPoint +
                    "</trkseg></trk><rte><name>r</name></rte>");
       },
       true},
      {"names: entities, CDATA, UTF-8, blanks, empty, after the segments",
       [] {
         return Gpx("<trk><trkseg>" + kPoint + "</trkseg><name> a &amp; b\n &lt;c&gt; </name></trk>"
                    "<trk><name><![CDATA[x]]y]]> Zoë 東京</name><trkseg>" + kPoint + "</trkseg></trk>"
                    "<trk><name/><trkseg>" + kPoint + "</trkseg></trk>");
       },
       true},
      {"extensions and links of tracks, a foreign root namespace",
       [] {
         return "<gpx version=\"1.1\" creator=\"x\" xmlns:ogr=\"http://osgeo.org/gdal\">"
                "<trk><name>t</name><link href=\"http://a\"><text>a</text></link><extensions>"
                "<ogr:colour>red</ogr:colour><gpxx:TrackExtension><gpxx:Name>n</gpxx:Name>"
                "</gpxx:TrackExtension></extensions><trkseg>" +
                kPoint + "</trkseg></trk></gpx>";
       },
       true},
      {"GPX 1.0, no declaration, CR LF",
       [] {
         return "<gpx version=\"1.0\">\r\n<trk>\r\n<name>old</name>\r\n<trkseg>\r\n" + kPoint +
                "\r\n</trkseg>\r\n</trk>\r\n</gpx>\r\n";
       },
       true},
      {"numbers: integers, -0, exponents, many digits",
       [] {
         return OneTrack(
             "<trkpt lat=\"-0\" lon=\"4\"/><trkpt lat=\"5.2e1\" lon=\"4.1E-0\"/>"
             "<trkpt lat=\"52.12345678901234567890123\" lon=\"-180\"/><trkpt lat=\"90\" "
             "lon=\"180\"/><trkpt lat=\"-90\" lon=\".5\"/>");
       },
       true},
      {"prefixed elements are not GPX's: ignored as GDAL ignores them",
       [] {
         return Gpx(
             "<x:trk xmlns:x=\"urn:x\"><x:trkseg><x:trkpt lat=\"1\" lon=\"2\"/></x:trkseg>"
             "</x:trk>" +
             Track(Hike(), 1000));
       },
       true},
      // Left to GDAL, which fails on them or reads them its own way.
      {"latitude beyond 90", [] { return OneTrack("<trkpt lat=\"90.000001\" lon=\"4\"/>"); },
       false},
      {"longitude beyond 180", [] { return OneTrack("<trkpt lat=\"52\" lon=\"-180.5\"/>"); },
       false},
      {"a decimal comma", [] { return OneTrack("<trkpt lat=\"52,5\" lon=\"4\"/>"); }, false},
      {"a blank before a number", [] { return OneTrack("<trkpt lat=\" 52\" lon=\"4\"/>"); }, false},
      {"a plus sign", [] { return OneTrack("<trkpt lat=\"+52\" lon=\"4\"/>"); }, false},
      {"no longitude", [] { return OneTrack("<trkpt lat=\"52\"/>"); }, false},
      {"not a number", [] { return OneTrack("<trkpt lat=\"nan\" lon=\"4\"/>"); }, false},
      {"not well-formed", [] { return Gpx("<trk><trkseg>" + kPoint + "</trk>"); }, false},
      {"cut short", [] { return Gpx(Track(Hike(), 100)).substr(0, 900); }, false},
      {"a document type",
       [] { return "<!DOCTYPE gpx [<!ENTITY a \"b\">]>" + Gpx(Track(Hike(), 100)); }, false},
      {"Latin-1",
       [] {
         return std::string(
             "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><gpx version=\"1.1\"></gpx>");
       },
       false},
      {"a byte-order mark", [] { return "\xEF\xBB\xBF" + Gpx(Track(Hike(), 100)); }, false},
      {"a prefixed root",
       [] { return std::string("<g:gpx xmlns:g=\"urn:g\" version=\"1.1\"></g:gpx>"); }, false},
      {"another version", [] { return Gpx(Track(Hike(), 100), "2.0"); }, false},
      {"a root far into the file", [] { return "<!--" + std::string(600, '-') + "-->" + Gpx(""); },
       false},
      {"a track out of place",
       [] {
         return Gpx("<metadata><extensions><trk><trkseg>" + kPoint +
                    "</trkseg></trk></extensions>"
                    "</metadata>");
       },
       false},
      {"a point outside a segment", [] { return Gpx("<trk>" + kPoint + "</trk>"); }, false},
      {"a name given twice", [] { return Gpx("<trk><name>a</name><name>b</name></trk>"); }, false},
      {"a name with markup", [] { return Gpx("<trk><name>a<b>c</b></name></trk>"); }, false},
      {"a name in the extensions",
       [] { return Gpx("<trk><extensions><name>e</name></extensions></trk>"); }, false},
      {"a long comment",
       [] { return Gpx("<!--" + std::string(40000, 'x') + "-->" + Track(Hike(), 100)); }, false},
      {"a long comment after the end",
       [] { return Gpx(Track(Hike(), 100)) + "<!--" + std::string(40000, 'x') + "-->"; }, false},
      {"a long description of a track",
       [] {
         return Gpx("<trk><desc>" + std::string(41000, 'x') + "</desc><trkseg>" + kPoint +
                    "</trkseg></trk>");
       },
       false},
      {"thousands of empty lines", [] { return Gpx(std::string(5000, '\n') + Track(Hike(), 100)); },
       false},
  };
}

class GpxReader : public ::testing::TestWithParam<Case> {};

TEST_P(GpxReader, GivesWhatGdalGivesOrLeavesTheFileToIt) {
  const Case& c = GetParam();
  const std::string text = c.text();
  testing::TempFolder temp;
  const auto path = temp / "in.gpx";
  testing::WriteText(path, text);
  const std::optional<GisReadOutcome> streamed = ReadGpxTracks(path.string());
  ASSERT_EQ(streamed.has_value(), c.streamed);
  const std::optional<GisReadOutcome> from_text = ReadGpxText(text);
  ASSERT_EQ(from_text.has_value(), c.streamed);
  if (!c.streamed) return;
  const GisReadOutcome gdal = ReadGisTracks(path.string(), *GisFormatByName("gpx"));
  testing::ExpectSameTracks(*streamed, gdal);
  testing::ExpectSameTracks(*from_text, gdal);
}

// Every third point of each line, and its last: a selection as a run
// keeps them (the first and the last always).
std::vector<std::vector<std::int64_t>> EveryThird(const std::vector<GisTrack>& tracks) {
  std::vector<std::vector<std::int64_t>> kept;
  for (const GisTrack& track : tracks) {
    std::vector<std::int64_t>& line = kept.emplace_back();
    for (std::int64_t k = 1; k <= track.points; k += 3) line.push_back(k);
    if (track.points > 1 && line.back() != track.points) line.push_back(track.points);
  }
  return kept;
}

// A feature of a layer GDAL reads of a GPX file: its fields' values by
// name and its geometry's WKT to 15 significant digits, as GDAL's driver
// writes coordinates (the streaming writer keeps the input's digits). GDAL writes the extensions
// of other namespaces into its own (<ogr:gpxtpx_hr> for <gpxtpx:hr>), where
// the streaming writer leaves them as they were: fields are named without
// GDAL's prefix "ogr_".
struct Feature {
  std::string layer;
  std::map<std::string, std::string> fields;
  std::string geometry;
};

std::vector<Feature> Features(const std::filesystem::path& path) {
  GDALDatasetUniquePtr dataset = testing::OpenForCheck(path);
  EXPECT_TRUE(dataset);
  std::vector<Feature> features;
  if (!dataset) return features;
  for (OGRLayer* layer : dataset->GetLayers()) {
    for (auto& feature : *layer) {
      Feature& f = features.emplace_back();
      f.layer = layer->GetName();
      for (int i = 0; i < feature->GetFieldCount(); ++i) {
        if (!feature->IsFieldSetAndNotNull(i)) continue;
        std::string_view field = feature->GetFieldDefnRef(i)->GetNameRef();
        if (field.starts_with("ogr_")) field.remove_prefix(4);
        f.fields[std::string(field)] = feature->GetFieldAsString(i);
      }
      if (const OGRGeometry* geometry = feature->GetGeometryRef()) {
        OGRWktOptions options;
        options.format = OGRWktFormat::G;
        options.precision = 15;
        f.geometry = geometry->exportToWkt(options);
      }
    }
  }
  return features;
}

// The streaming writer's features are GDAL's: the same features in every
// layer, with the same geometries and every field GDAL writes. GDAL's
// driver leaves out the links and extensions of tracks and routes, which
// the streaming writer keeps.
void ExpectGdalsFeatures(const std::vector<Feature>& streamed, const std::vector<Feature>& gdal) {
  ASSERT_EQ(streamed.size(), gdal.size());
  for (std::size_t i = 0; i < gdal.size(); ++i) {
    SCOPED_TRACE(gdal[i].layer + " " + gdal[i].geometry.substr(0, 60));
    EXPECT_EQ(streamed[i].layer, gdal[i].layer);
    EXPECT_EQ(streamed[i].geometry, gdal[i].geometry);
    for (const auto& [name, value] : gdal[i].fields) {
      const auto field = streamed[i].fields.find(name);
      ASSERT_NE(field, streamed[i].fields.end()) << name;
      EXPECT_EQ(field->second, value) << name;
    }
  }
}

// Read back, the streamed output holds every line of the input, with the
// kept points only.
void ExpectKeptPoints(const GisReadOutcome& output, const GisReadOutcome& input,
                      const std::vector<std::vector<std::int64_t>>& kept) {
  ASSERT_EQ(output.tracks.size(), input.tracks.size());
  for (std::size_t t = 0; t < input.tracks.size(); ++t) {
    const GisTrack& line = output.tracks[t];
    EXPECT_EQ(TrackPlace(line), TrackPlace(input.tracks[t]));
    ASSERT_EQ(line.first.size(), kept[t].size());
    for (std::size_t j = 0; j < kept[t].size(); ++j) {
      const auto i = static_cast<std::size_t>(kept[t][j] - 1);
      EXPECT_EQ(line.first[j], input.tracks[t].first[i]);
      EXPECT_EQ(line.second[j], input.tracks[t].second[i]);
    }
  }
}

TEST_P(GpxReader, WritesTheKeptPointsAsGdalWritesThem) {
  const Case& c = GetParam();
  testing::TempFolder temp;
  const auto input = temp / "in.gpx";
  testing::WriteText(input, c.text());
  GpxPointPlaces places;
  if (!ReadGpxTracks(input.string(), &places)) return;  // left to GDAL: the first test's
  const GisFormat& gpx = *GisFormatByName("gpx");
  const GisReadOutcome read = ReadGisTracks(input.string(), gpx);
  const auto kept = EveryThird(read.tracks);
  const std::optional<std::string> streamed = ThinnedGpxText(input.string(), places, kept);
  ASSERT_TRUE(streamed.has_value());
  const auto by_stream = temp / "stream.gpx";
  testing::WriteText(by_stream, *streamed);
  const std::optional<GisReadOutcome> again = ReadGpxTracks(by_stream.string());
  ASSERT_TRUE(again.has_value());
  ExpectKeptPoints(*again, read, kept);
  // GDAL's driver writes no empty segments and no routes without points:
  // its output lacks them, the streaming writer's has them.
  if (read.skipped.empty_lines > 0) return;
  const auto by_gdal = temp / "gdal.gpx";
  ASSERT_EQ(WriteThinnedGisFile({input.string(), &gpx, by_gdal.string(), &gpx, &read.tracks, &kept})
                .error,
            "");
  ExpectGdalsFeatures(Features(by_stream), Features(by_gdal));
}

// A file changed between its reading and its writing: the places found no
// longer hold, and GDAL writes it.
TEST(GpxWriter, LeavesAFileChangedSinceItWasReadToGdal) {
  testing::TempFolder temp;
  const auto input = temp / "in.gpx";
  testing::WriteText(input, OneTrack(kPoint));
  GpxPointPlaces places;
  const std::optional<GisReadOutcome> read = ReadGpxTracks(input.string(), &places);
  ASSERT_TRUE(read.has_value());
  const std::vector<std::vector<std::int64_t>> kept = {{1, 2}};
  EXPECT_TRUE(ThinnedGpxText(input.string(), places, kept).has_value());
  testing::WriteText(input, "<!-- -->" + OneTrack(kPoint));
  EXPECT_FALSE(ThinnedGpxText(input.string(), places, kept).has_value());
}

// A coordinate with no number at its start, which GDAL reads as 0, is
// refused with its line; one that starts with a number GDAL reads is left to
// GDAL as before.
TEST(GpxReaderCoordinates, RefusesACoordinateWithoutANumber) {
  struct Row {
    const char* lat;
    const char* lon;
    const char* error;  // nullptr: left to GDAL
  };
  const Row rows[] = {
      {"x", "4.25", "Line 4: a point's latitude \"x\" is not a number."},
      {"", "4.25", "Line 4: a point's latitude \"\" is not a number."},
      {" -", "4.25", "Line 4: a point's latitude \" -\" is not a number."},
      {"52.5", "east", "Line 4: a point's longitude \"east\" is not a number."},
      {"52.5abc", "4.25", nullptr},
      {" 52.5", "4.25", nullptr},
      {"+52.5", "4.25", nullptr},
      {"nan", "4.25", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.lat) + " " + row.lon);
    const std::string text = std::string("<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">\n") +
                             "<trk><trkseg>\n" + kPoint + "<trkpt lat=\"" + row.lat +
                             "\" lon=\"" + row.lon + "\"/>\n</trkseg></trk>\n</gpx>\n";
    const std::optional<GisReadOutcome> read = ReadGpxText(text);
    if (row.error == nullptr) {
      EXPECT_FALSE(read.has_value());
    } else {
      ASSERT_TRUE(read.has_value());
      EXPECT_EQ(read->error, row.error);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, GpxReader, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* c = info.param.what; *c != '\0'; ++c) {
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace oru
