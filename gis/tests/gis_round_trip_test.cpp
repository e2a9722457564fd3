#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <map>

#include "gis/gdal_support.h"
#include "gis/gis_formats.h"
#include "gis/gis_reader.h"
#include "gis/gis_writer.h"
#include "gis/tests/gis_test_files.h"
#include "track/selection_engine.h"

namespace oru {
namespace {

using testing::OpenForCheck;
using testing::ReadText;
using testing::SurveyTrack;
using testing::TempFolder;
using testing::Vertex;
using testing::WriteText;

constexpr double kDeviation = 2.0;  // metres

// The vertices a run keeps of a track read: the engine's selection with the
// calculation on the track's datum, as the run makes it.
std::vector<std::int64_t> Kept(const GisTrack& track, CalculationType calculation,
                               double threshold, std::int64_t wanted) {
  SelectionSettings settings;
  settings.input_format = track.geographic ? InputFormat::OruKvl : InputFormat::AsciiXY;
  settings.calculation = track.geographic ? calculation : CalculationType::Planar;
  settings.threshold = threshold;
  settings.wanted_count = wanted;
  if (track.geographic) {
    settings.datum.text = DatumString(track.datum);
    Read_Datum(settings.datum);
  }
  return SelectPoints(track.first, track.second, settings, nullptr).selected;
}

// Planar within 2 m.
std::vector<std::int64_t> Planar2m(const GisTrack& track) {
  return Kept(track, CalculationType::Planar, kDeviation, track.points);
}

OGRSpatialReference Wgs84() {
  OGRSpatialReference srs;
  srs.importFromEPSG(4326);
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  return srs;
}

// The vertex numbers that the engine keeps of a track given as it was made,
// without any file in between: what a read must reproduce.
std::vector<std::int64_t> KeptOf(const std::vector<Vertex>& track) {
  std::vector<double> lat;
  std::vector<double> lon;
  for (const Vertex& v : track) {
    lat.push_back(v.y);
    lon.push_back(v.x);
  }
  SelectionSettings settings;
  settings.calculation = CalculationType::Planar;
  settings.threshold = kDeviation;
  settings.wanted_count = static_cast<std::int64_t>(track.size());
  settings.datum.text = kWgs84DatumString;
  Read_Datum(settings.datum);
  return SelectPoints(lat, lon, settings, nullptr).selected;
}

struct Feature {
  std::string name;
  int line_no;
  double depth;
  std::vector<Vertex> vertices;
};

std::vector<Feature> SurveyFeatures() {
  return {{"line A", 1, 21.5, SurveyTrack(52.1, 3.9, 3)},
          {"Lijn B \xc3\xa9", 2, 18.25, SurveyTrack(54.3, 6.2, 4)}};
}

// Makes a file of one layer "survey" with the features, written by GDAL
// itself, with Z (and M where asked) in every vertex.
void MakeSource(const std::filesystem::path& path, const GisFormat& format, bool with_m) {
  RegisterGisDrivers();
  GDALDriver* driver =
      GetGDALDriverManager()->GetDriverByName(std::string(format.driver).c_str());
  ASSERT_NE(driver, nullptr);
  GDALDatasetUniquePtr ds(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  ASSERT_TRUE(ds) << CPLGetLastErrorMsg();
  OGRSpatialReference srs = Wgs84();
  CPLStringList options;
  if (format.name == "csv") options.SetNameValue("GEOMETRY", "AS_WKT");
  // A spatial index would store the features in another order.
  if (format.name == "fgb") options.SetNameValue("SPATIAL_INDEX", "NO");
  OGRLayer* layer = ds->CreateLayer("survey", &srs, with_m ? wkbLineStringZM : wkbLineString25D,
                                    options.List());
  ASSERT_NE(layer, nullptr) << CPLGetLastErrorMsg();
  OGRFieldDefn name("name", OFTString);
  OGRFieldDefn line_no("line_no", OFTInteger);
  OGRFieldDefn depth("depth", OFTReal);
  ASSERT_EQ(layer->CreateField(&name), OGRERR_NONE);
  ASSERT_EQ(layer->CreateField(&line_no), OGRERR_NONE);
  ASSERT_EQ(layer->CreateField(&depth), OGRERR_NONE);
  for (const Feature& f : SurveyFeatures()) {
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    feature->SetField("name", f.name.c_str());
    feature->SetField("line_no", f.line_no);
    feature->SetField("depth", f.depth);
    OGRLineString line;
    for (const Vertex& v : f.vertices) {
      if (with_m) {
        line.addPoint(v.x, v.y, v.z, v.m);
      } else {
        line.addPoint(v.x, v.y, v.z);
      }
    }
    feature->SetGeometry(&line);
    ASSERT_EQ(layer->CreateFeature(feature.get()), OGRERR_NONE) << CPLGetLastErrorMsg();
  }
}

struct FormatRow {
  const char* name;
  bool keeps_m;
  bool keeps_crs;
  double tolerance;  // degrees: text formats round
};

// Every writable format, read and written with itself: the tracks read are
// the tracks made (same selection as without a file), and the output holds
// exactly the kept vertices, with Z, M, attributes, order, layer name and CRS.
TEST(GisRoundTrip, EveryFormatKeepsWhatItCanHold) {
  const FormatRow rows[] = {
      {"gpkg", true, true, 0.0},     {"shp", true, true, 0.0}, {"geojson", false, true, 1e-12},
      {"kml", false, true, 1e-12},   {"fgb", true, true, 0.0}, {"csv", true, false, 1e-12},
  };
  for (const FormatRow& row : rows) {
    SCOPED_TRACE(row.name);
    const GisFormat& format = *GisFormatByName(row.name);
    TempFolder folder;
    const std::string extension(WrittenExtension(format));
    const auto source = folder / ("in" + extension);
    std::filesystem::create_directory(folder / "out");
    const auto output = folder / ("out/survey" + extension);
    MakeSource(source, format, row.keeps_m);

    GisReadOutcome read = ReadGisTracks(source.string(), format);
    ASSERT_EQ(read.error, "");
    const std::vector<Feature> made = SurveyFeatures();
    ASSERT_EQ(read.tracks.size(), made.size());
    std::vector<std::vector<std::int64_t>> kept;
    for (std::size_t i = 0; i < made.size(); ++i) {
      EXPECT_TRUE(read.tracks[i].geographic);
      EXPECT_EQ(read.tracks[i].feature, static_cast<std::int64_t>(i + 1));
      kept.push_back(Planar2m(read.tracks[i]));
      EXPECT_EQ(kept.back(), KeptOf(made[i].vertices));
      EXPECT_LT(kept.back().size(), made[i].vertices.size() / 2);
    }
    const GisWriteOutcome written = WriteThinnedGisFile(
        {source.string(), &format, output.string(), &format, &read.tracks, &kept});
    ASSERT_EQ(written.error, "");

    GDALDatasetUniquePtr out = OpenForCheck(output);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->GetLayerCount(), 1);
    OGRLayer& layer = *out->GetLayer(0);
    EXPECT_STREQ(layer.GetName(), "survey");
    if (row.keeps_crs) {
      ASSERT_NE(layer.GetSpatialRef(), nullptr);
      const OGRSpatialReference wgs84 = Wgs84();
      EXPECT_TRUE(layer.GetSpatialRef()->IsSame(&wgs84));
    }
    std::size_t i = 0;
    for (auto& feature : layer) {
      ASSERT_LT(i, made.size());
      EXPECT_STREQ(feature->GetFieldAsString("name"), made[i].name.c_str());
      EXPECT_EQ(feature->GetFieldAsInteger("line_no"), made[i].line_no);
      EXPECT_EQ(feature->GetFieldAsDouble("depth"), made[i].depth);
      const OGRGeometry* geometry = feature->GetGeometryRef();
      ASSERT_NE(geometry, nullptr);
      const OGRSimpleCurve& line = *geometry->toLineString();
      ASSERT_EQ(line.getNumPoints(), static_cast<int>(kept[i].size()));
      for (int j = 0; j < line.getNumPoints(); ++j) {
        const Vertex& v = made[i].vertices[static_cast<std::size_t>(kept[i][j] - 1)];
        EXPECT_NEAR(line.getX(j), v.x, row.tolerance);
        EXPECT_NEAR(line.getY(j), v.y, row.tolerance);
        EXPECT_NEAR(line.getZ(j), v.z, 1e-9);
        if (row.keeps_m) {
          EXPECT_EQ(line.getM(j), v.m);
        }
      }
      ++i;
    }
    EXPECT_EQ(i, made.size());
  }
}

// A GPX file as handhelds write it. Segment 1 lies along the meridian 4 E
// with two points off it: 68 m east (point 4) and 34 m west (point 6). Kept
// of four: the ends, point 4 (68 m), then point 6, which lies 68 m from the
// new line 4-8 while 5 lies 51 m and 7 lies 17 m from it. Segment 2 has
// three points: kept whole. The route's point 3 lies 111 m north of the
// line, then point 2 78 m from line 1-3 (point 4: 55 m from line 3-5).
constexpr const char* kHandheldGpx = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="handheld" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="52.0" lon="4.0"><name>Harbour</name></wpt>
<rte><name>Out</name>
<rtept lat="52.1" lon="4.0"><name>R1</name></rtept>
<rtept lat="52.0998" lon="4.001"><name>R2</name></rtept>
<rtept lat="52.101" lon="4.002"><name>R3</name></rtept>
<rtept lat="52.1" lon="4.003"><name>R4</name></rtept>
<rtept lat="52.1" lon="4.004"><name>R5</name></rtept>
</rte>
<trk><name>Survey 7</name><trkseg>
<trkpt lat="52.000" lon="4.0"><ele>1.5</ele><time>2024-05-01T10:00:00Z</time><extensions><speed>3.1</speed></extensions></trkpt>
<trkpt lat="52.001" lon="4.0"><ele>1.6</ele><time>2024-05-01T10:00:10Z</time><extensions><speed>3.2</speed></extensions></trkpt>
<trkpt lat="52.002" lon="4.0"><ele>1.7</ele><time>2024-05-01T10:00:20Z</time><extensions><speed>3.3</speed></extensions></trkpt>
<trkpt lat="52.003" lon="4.001"><ele>1.8</ele><time>2024-05-01T10:00:30Z</time><extensions><speed>3.4</speed></extensions></trkpt>
<trkpt lat="52.004" lon="4.0"><ele>1.9</ele><time>2024-05-01T10:00:40Z</time><extensions><speed>3.5</speed></extensions></trkpt>
<trkpt lat="52.005" lon="3.9995"><ele>2.0</ele><time>2024-05-01T10:00:50Z</time><extensions><speed>3.6</speed></extensions></trkpt>
<trkpt lat="52.006" lon="4.0"><ele>2.1</ele><time>2024-05-01T10:01:00Z</time><extensions><speed>3.7</speed></extensions></trkpt>
<trkpt lat="52.007" lon="4.0"><ele>2.2</ele><time>2024-05-01T10:01:10Z</time><extensions><speed>3.8</speed></extensions></trkpt>
</trkseg><trkseg>
<trkpt lat="52.010" lon="4.01"><ele>3.0</ele><time>2024-05-01T10:05:00Z</time></trkpt>
<trkpt lat="52.011" lon="4.01"><ele>3.1</ele><time>2024-05-01T10:05:10Z</time></trkpt>
<trkpt lat="52.012" lon="4.02"><ele>3.2</ele><time>2024-05-01T10:05:20Z</time></trkpt>
</trkseg></trk>
</gpx>
)";

// Four points, ellipsoidic.
std::vector<std::int64_t> FourPoints(const GisTrack& track) {
  return Kept(track, CalculationType::Ellipsoidic, 0.0, 4);
}

// A file read and its tracks thinned, ready to be written in any format.
struct Thinned {
  std::filesystem::path input;
  const GisFormat* format;
  GisReadOutcome read;
  std::vector<std::vector<std::int64_t>> kept;
  bool grouped = false;

  std::string WriteAs(const std::filesystem::path& output, const char* format_name) const {
    return WriteThinnedGisFile({input.string(), format, output.string(),
                                GisFormatByName(format_name), &read.tracks, &kept, grouped})
        .error;
  }
};

template <typename Thin>
Thinned ReadAndThin(const std::filesystem::path& path, const GisFormat& format, Thin thin,
                    const RowGrouping& rows = {}) {
  Thinned t{path, &format, ReadGisTracks(path.string(), format, rows), {}, rows.Active()};
  for (const GisTrack& track : t.read.tracks) t.kept.push_back(thin(track));
  return t;
}

// GPX to GPX against a golden file: waypoint, route and track points keep
// their elements; the output is GPX that GDAL reads back.
TEST(GisGpx, ThinnedGpxMatchesItsGoldenFile) {
  TempFolder folder;
  WriteText(folder / "in.gpx", kHandheldGpx);
  const GisFormat& gpx = *GisFormatByName("gpx");
  Thinned t = ReadAndThin(folder / "in.gpx", gpx, FourPoints);
  ASSERT_EQ(t.read.error, "");
  ASSERT_EQ(t.read.tracks.size(), 3u);
  EXPECT_EQ(TrackPlace(t.read.tracks[0]), "layer 'routes', feature 1 'Out'");
  EXPECT_EQ(t.kept[0], (std::vector<std::int64_t>{1, 2, 3, 5}));
  EXPECT_EQ(TrackPlace(t.read.tracks[1]), "layer 'tracks', feature 1, part 1 'Survey 7'");
  EXPECT_EQ(t.kept[1], (std::vector<std::int64_t>{1, 4, 6, 8}));
  EXPECT_EQ(t.kept[2], (std::vector<std::int64_t>{1, 2, 3}));

  const auto output = folder / "out.gpx";
  ASSERT_EQ(t.WriteAs(output, "gpx"), "");
  const char* source = std::getenv("ORU_SOURCE_DIR");
  const std::string golden = ReadText(std::filesystem::path(source != nullptr ? source : ".") /
                                      "gis/tests/golden/thinned.gpx");
  EXPECT_EQ(ReadText(output), golden);

  // GDAL reads the result back: four track points with their times.
  GDALDatasetUniquePtr back = OpenForCheck(output);
  ASSERT_TRUE(back);
  OGRLayer* points = back->GetLayerByName("track_points");
  ASSERT_NE(points, nullptr);
  std::vector<std::string> times;
  for (auto& p : *points) times.push_back(p->GetFieldAsString("time"));
  EXPECT_EQ(times, (std::vector<std::string>{"2024/05/01 10:00:00+00", "2024/05/01 10:00:30+00",
                                             "2024/05/01 10:00:50+00", "2024/05/01 10:01:10+00",
                                             "2024/05/01 10:05:00+00", "2024/05/01 10:05:10+00",
                                             "2024/05/01 10:05:20+00"}));
}

// GPX into a GeoPackage keeps the per-point layer beside the lines; a
// GeoPackage of tracks into GPX gives tracks that GDAL reads back.
TEST(GisGpx, CrossesToAndFromOtherFormats) {
  TempFolder folder;
  WriteText(folder / "in.gpx", kHandheldGpx);
  Thinned t = ReadAndThin(folder / "in.gpx", *GisFormatByName("gpx"), FourPoints);
  ASSERT_EQ(t.WriteAs(folder / "t.gpkg", "gpkg"), "");
  GDALDatasetUniquePtr back = OpenForCheck(folder / "t.gpkg");
  ASSERT_TRUE(back);
  OGRLayer* points = back->GetLayerByName("track_points");
  ASSERT_NE(points, nullptr);
  EXPECT_EQ(points->GetFeatureCount(), 7);
  OGRFeatureUniquePtr second(points->GetNextFeature());
  second.reset(points->GetNextFeature());
  EXPECT_EQ(second->GetFieldAsDouble("speed"), 3.4);
  EXPECT_EQ(second->GetFieldAsDouble("ele"), 1.8);

  Thinned again = ReadAndThin(folder / "t.gpkg", *GisFormatByName("gpkg"), FourPoints);
  ASSERT_EQ(again.read.error, "");
  ASSERT_EQ(again.read.tracks.size(), 3u);  // the route and the two segments
  ASSERT_EQ(again.WriteAs(folder / "back.gpx", "gpx"), "");
  Thinned gpx_again = ReadAndThin(folder / "back.gpx", *GisFormatByName("gpx"), FourPoints);
  ASSERT_EQ(gpx_again.read.error, "");
  std::int64_t points_back = 0;
  for (const GisTrack& track : gpx_again.read.tracks) points_back += track.points;
  EXPECT_EQ(points_back, 4 + 4 + 3);
}

// Tracks without a point, with an empty segment or none, keep their place,
// name and elements (GPX to GPX once dropped them: four tracks in, two out).
TEST(GisGpx, EmptyTracksAreKeptAsTheyWere) {
  TempFolder folder;
  WriteText(folder / "four.gpx",
            "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\">"
            "<trk><name>Korita</name><trkseg><trkpt lat=\"45.1\" lon=\"14.1\"/>"
            "<trkpt lat=\"45.11\" lon=\"14.12\"/><trkpt lat=\"45.12\" lon=\"14.11\"/></trkseg></trk>"
            "<trk><name>Empty segment</name><trkseg></trkseg></trk>"
            "<trk><name>No segment</name><desc>nothing here</desc></trk>"
            "<trk><name>Zbevnica</name><trkseg><trkpt lat=\"45.2\" lon=\"14.1\"/>"
            "<trkpt lat=\"45.21\" lon=\"14.12\"/><trkpt lat=\"45.22\" lon=\"14.11\"/></trkseg></trk>"
            "</gpx>");
  Thinned t = ReadAndThin(folder / "four.gpx", *GisFormatByName("gpx"), FourPoints);
  ASSERT_EQ(t.read.error, "");
  for (const char* format : {"gpx", "gpkg"}) {
    const auto output = folder / ("out." + std::string(format));
    ASSERT_EQ(t.WriteAs(output, format), "") << format;
    GDALDatasetUniquePtr back = OpenForCheck(output);
    ASSERT_TRUE(back);
    std::vector<std::string> names;
    for (auto& track : *back->GetLayerByName("tracks")) names.push_back(track->GetFieldAsString("name"));
    EXPECT_EQ(names, (std::vector<std::string>{"Korita", "Empty segment", "No segment", "Zbevnica"}))
        << format;
  }
  EXPECT_NE(ReadText(folder / "out.gpx").find("<desc>nothing here</desc>"), std::string::npos);
}

// GPX holds WGS84 degrees: a projected layer is transformed (once every
// feature failed, "Latitude 5983004 is invalid"); X, Y without a CRS are
// refused by every format of degrees before anything is written. Reference:
// PROJ 9 (gdaltransform -s_srs EPSG:25831 -t_srs EPSG:4326) of 565000.99 E
// 5983004.11 N.
TEST(GisGpx, ProjectedLayersGoOnWgs84AndXyWithoutCrsIsRefused) {
  TempFolder folder;
  WriteText(folder / "utm.geojson",
            R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"EPSG:25831"}},)"
            R"("features":[{"type":"Feature","properties":{"name":"line"},"geometry":{"type":)"
            R"("LineString","coordinates":[[565000.99,5983004.11],[565100,5983200],[565400,5983300]]}}]})");
  Thinned utm = ReadAndThin(folder / "utm.geojson", *GisFormatByName("geojson"), FourPoints);
  ASSERT_EQ(utm.read.error, "");
  ASSERT_EQ(utm.WriteAs(folder / "utm.gpx", "gpx"), "");
  GDALDatasetUniquePtr back = OpenForCheck(folder / "utm.gpx");
  ASSERT_TRUE(back);
  OGRFeatureUniquePtr line(back->GetLayerByName("tracks")->GetNextFeature());
  ASSERT_TRUE(line);
  const OGRLineString& first = *line->GetGeometryRef()->toMultiLineString()->getGeometryRef(0);
  EXPECT_NEAR(first.getX(0), 3.99143902762843, 1e-9);
  EXPECT_NEAR(first.getY(0), 53.9912592501128, 1e-9);

  WriteText(folder / "plane.csv", "x,y\n0,0\n10,5\n20,0\n");
  Thinned plane = ReadAndThin(folder / "plane.csv", *GisFormatByName("csv"), FourPoints);
  ASSERT_EQ(plane.read.error, "");
  for (const char* format : {"gpx", "kml", "geojson"}) {
    const auto output = folder / ("plane." + std::string(format));
    EXPECT_NE(plane.WriteAs(output, format).find(
                  "layer 'plane' holds X, Y coordinates without a CRS, and "),
              std::string::npos)
        << format;
    EXPECT_FALSE(std::filesystem::exists(output)) << format;
  }
}

// CSV rows with longitude/latitude columns are one geographic track; the
// kept rows are written whole, into CSV or as a GPX track with its times.
TEST(GisCsv, RowsWithCoordinateColumnsAreOneTrack) {
  TempFolder folder;
  std::string csv = "time,lat,lon,depth\n";
  const char* rows[] = {"52.000,4.0", "52.001,4.0",    "52.002,4.0",   "52.003,4.001",
                        "52.004,4.0", "52.005,3.9995", "52.006,4.0", "52.007,4.0"};
  for (int i = 0; i < 8; ++i) {
    csv += "2024-05-01T10:00:" + std::to_string(10 + i) + "Z," + rows[i] + "," +
           std::to_string(20 + i) + "\n";
  }
  WriteText(folder / "in.csv", csv);
  const GisFormat& format = *GisFormatByName("csv");
  Thinned t = ReadAndThin(folder / "in.csv", format, FourPoints);
  ASSERT_EQ(t.read.error, "");
  ASSERT_EQ(t.read.tracks.size(), 1u);
  EXPECT_TRUE(t.read.tracks[0].geographic);
  EXPECT_EQ(t.kept[0], (std::vector<std::int64_t>{1, 4, 6, 8}));
  ASSERT_EQ(t.WriteAs(folder / "out.csv", "csv"), "");
  EXPECT_EQ(ReadText(folder / "out.csv"),
            "time,lat,lon,depth\n"
            "2024-05-01T10:00:10Z,52,4,20\n"
            "2024-05-01T10:00:13Z,52.003,4.001,23\n"
            "2024-05-01T10:00:15Z,52.005,3.9995,25\n"
            "2024-05-01T10:00:17Z,52.007,4,27\n");
  ASSERT_EQ(t.WriteAs(folder / "out.gpx", "gpx"), "");
  const std::string out = ReadText(folder / "out.gpx");
  EXPECT_NE(out.find("<trkpt lat=\"52.005\" lon=\"3.9995\">"), std::string::npos) << out;
  EXPECT_NE(out.find("<time>2024-05-01T10:00:15Z</time>"), std::string::npos) << out;
}

// AIS fixes of two vessels, interleaved and out of time order, grouped by
// vessel and ordered by time: a track per vessel and time span, numbered in
// time order; rows without a usable position, vessel or time and a repeated
// fix left out and counted; the kept rows written whole, in file order.
TEST(GisCsv, RowsGroupedByVesselAreATrackEachWrittenInFileOrder) {
  TempFolder folder;
  WriteText(folder / "ais.csv",
            "mmsi,timestamp,lat,lon,sog\n"
            "244000002,2024-05-01T00:05:00Z,55.0,4.0,5\n"        // row 1
            "244000001,2024-05-01T00:02:00Z,54.002,3.0,11\n"     // 2
            "244000001,2024-05-01T00:00:00Z,54.0,3.0,10\n"       // 3
            "244000002,2024-05-01T00:06:00Z,91,181,5\n"          // 4: AIS's "not available"
            "244000001,2024-05-01T00:01:00Z,54.001,3.001,12\n"   // 5
            ",2024-05-01T00:01:00Z,54.5,3.5,1\n"                 // 6: no vessel
            "244000001,2024-05-01T00:01:00Z,54.001,3.001,12\n"   // 7: repeats 5
            "244000001,2024-05-01T02:00:00Z,54.1,3.1,13\n"       // 8: after 2 h
            "244000002,,55.1,4.1,6\n"                            // 9: no time
            "244000002,2024-05-01T00:07:00Z,55.002,4.0,6\n");    // 10
  RowGrouping rows;
  rows.track_by = "mmsi";
  rows.order_by = "timestamp";
  rows.gap = std::int64_t{3600} * 1'000'000'000;
  const auto first_and_last = [](const GisTrack& track) {
    return std::vector<std::int64_t>{1, track.points};
  };
  Thinned t = ReadAndThin(folder / "ais.csv", *GisFormatByName("csv"), first_and_last, rows);
  ASSERT_EQ(t.read.error, "");
  std::vector<std::string> places;
  std::vector<std::vector<std::int64_t>> track_rows;
  for (const GisTrack& track : t.read.tracks) {
    places.push_back(TrackPlace(track));
    track_rows.push_back(track.rows);
  }
  EXPECT_EQ(places, (std::vector<std::string>{"layer 'ais', mmsi '244000002', track 1",
                                              "layer 'ais', mmsi '244000001', track 1",
                                              "layer 'ais', mmsi '244000001', track 2"}));
  EXPECT_EQ(track_rows, (std::vector<std::vector<std::int64_t>>{{1, 10}, {3, 5, 2}, {8}}));
  EXPECT_EQ(t.read.tracks[1].first, (std::vector<double>{54.0, 54.001, 54.002}));  // latitudes
  EXPECT_EQ(t.read.rows_dropped, 3);
  EXPECT_EQ(t.read.duplicates, 1);
  EXPECT_TRUE(t.read.identity_columns.empty());
  t.kept[2] = {1};
  ASSERT_EQ(t.WriteAs(folder / "out.csv", "csv"), "");
  EXPECT_EQ(ReadText(folder / "out.csv"),
            "mmsi,timestamp,lat,lon,sog\n"
            "244000002,2024-05-01T00:05:00Z,55,4,5\n"
            "244000001,2024-05-01T00:02:00Z,54.002,3,11\n"
            "244000001,2024-05-01T00:00:00Z,54,3,10\n"
            "244000001,2024-05-01T02:00:00Z,54.1,3.1,13\n"
            "244000002,2024-05-01T00:07:00Z,55.002,4,6\n");

  // Read as one track, the file names the column that may part it.
  EXPECT_EQ(ReadGisTracks((folder / "ais.csv").string(), *GisFormatByName("csv")).error,
            "layer 'ais', feature 1: point 4: latitude out of range.");
  WriteText(folder / "one.csv", "MMSI,lat,lon\n1,54,3\n2,55,4\n");
  EXPECT_EQ(ReadGisTracks((folder / "one.csv").string(), *GisFormatByName("csv")).identity_columns,
            std::vector<std::string>{"MMSI"});
}

// What the grouping cannot use stops the file, naming the layer and row.
TEST(GisCsv, GroupingRefusesWhatItCannotOrder) {
  struct Row {
    const char* text;
    const char* track_by;
    const char* order_by;
    const char* message;
  };
  const Row rows[] = {
      {"id,t,lat,lon\n1,5,54,3\n", "mmsi", "", "layer 'in' has no column 'mmsi' to take tracks by"},
      {"id,t,lat,lon\n1,5,54,3\n", "id", "time", "layer 'in' has no column 'time' to order"},
      {"id,t,lat,lon\n1,5,54,3\n1,noon,54,3\n", "id", "t",
       "layer 'in', row 2: column 't' holds 'noon', which reads as no date-time"},
      {"id,t,lat,lon\n1,5,54,3\n1,2024-05-01,54,3\n", "id", "t",
       "row 2: column 't' holds the date-time '2024-05-01' among numbers"},
      {"id,WKT\n1,\"LINESTRING (3 54,4 55)\"\n", "id", "",
       "layer 'in' holds lines, not points in coordinate columns"},
  };
  TempFolder folder;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    WriteText(folder / "in.csv", row.text);
    RowGrouping grouping;
    grouping.track_by = row.track_by;
    grouping.order_by = row.order_by;
    const GisReadOutcome read =
        ReadGisTracks((folder / "in.csv").string(), *GisFormatByName("csv"), grouping);
    EXPECT_NE(read.error.find(row.message), std::string::npos) << read.error;
    EXPECT_TRUE(read.tracks.empty());
  }
}

// DXF drawings have no CRS: their polylines are plane tracks in metres.
TEST(GisDxf, PolylinesAreReadAsPlaneTracks) {
  TempFolder folder;
  RegisterGisDrivers();
  {
    GDALDriver* dxf = GetGDALDriverManager()->GetDriverByName("DXF");
    GDALDatasetUniquePtr ds(dxf->Create((folder / "in.dxf").c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->CreateLayer("entities", nullptr, wkbUnknown, nullptr);
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    OGRLineString line;
    for (const Vertex& v : testing::SurveyTrackMetres(512000.0, 5800000.0, 2)) line.addPoint(v.x, v.y);
    feature->SetGeometry(&line);
    ASSERT_EQ(layer->CreateFeature(feature.get()), OGRERR_NONE);
  }
  Thinned t = ReadAndThin(folder / "in.dxf", *GisFormatByName("dxf"), Planar2m);
  ASSERT_EQ(t.read.error, "");
  ASSERT_EQ(t.read.tracks.size(), 1u);
  EXPECT_FALSE(t.read.tracks[0].geographic);
  EXPECT_EQ(t.read.tracks[0].points, 2 * 38 + 40);
  EXPECT_LT(t.kept[0].size(), 40u);
}

// A Shapefile's .prj that GDAL cannot read once left degrees thinned as
// metres (100 points to 3, length "0 m") without a word: it is an error
// naming the file. Without a .prj, a layer whose coordinates all lie within
// longitude and latitude ranges is thinned in metres with a warning; one
// in metres gets none.
TEST(GisCrs, AnUnreadablePrjIsAnErrorAndDegreesWithoutCrsAWarning) {
  TempFolder folder;
  RegisterGisDrivers();
  auto shapefile = [&](const char* name, double x0, double y0, double per_metre) {
    GDALDatasetUniquePtr ds(GetGDALDriverManager()->GetDriverByName("ESRI Shapefile")
                                ->Create((folder / name).c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRSpatialReference srs = Wgs84();
    OGRLayer* layer = ds->CreateLayer("lines", &srs, wkbLineString, nullptr);
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    OGRLineString line;
    for (const Vertex& v : testing::SurveyTrackMetres(0.0, 0.0, 2)) {
      line.addPoint(x0 + v.x * per_metre, y0 + v.y * per_metre);
    }
    feature->SetGeometry(&line);
    EXPECT_EQ(layer->CreateFeature(feature.get()), OGRERR_NONE);
  };
  const GisFormat& shp = *GisFormatByName("shp");
  shapefile("degrees.shp", 4.0, 52.0, 1e-5);
  WriteText(folder / "degrees.prj", "GEOGCS[\"broken");
  const std::string prj = (folder / "degrees.prj").string();
  EXPECT_EQ(ReadGisTracks((folder / "degrees.shp").string(), shp).error,
            "the CRS in " + prj + " could not be read: it names no CRS that GDAL knows");
  std::filesystem::remove(prj);
  const GisReadOutcome degrees = ReadGisTracks((folder / "degrees.shp").string(), shp);
  ASSERT_EQ(degrees.error, "");
  ASSERT_EQ(degrees.warnings.size(), 1u);
  EXPECT_EQ(degrees.warnings[0].find("layer 'degrees' has no CRS, and its coordinates all lie "
                                     "within longitude and latitude ranges"),
            0u);

  shapefile("metres.shp", 512000.0, 5800000.0, 1.0);
  std::filesystem::remove(folder / "metres.prj");
  const GisReadOutcome metres = ReadGisTracks((folder / "metres.shp").string(), shp);
  ASSERT_EQ(metres.error, "");
  EXPECT_TRUE(metres.warnings.empty());
}

// Projected coordinates in US survey feet: the tolerance stays metres on the
// ground. The track in metres keeps 24 vertices (give or take ties that the
// scaling's rounding breaks); 2 m taken as 2 feet would keep far more.
TEST(GisCrs, FeetAreThinnedInMetres) {
  TempFolder folder;
  RegisterGisDrivers();
  const auto path = folder / "feet.gpkg";
  {
    GDALDatasetUniquePtr ds(GetGDALDriverManager()->GetDriverByName("GPKG")->Create(
        path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRSpatialReference srs;
    srs.importFromEPSG(2229);
    OGRLayer* layer = ds->CreateLayer("lines", &srs, wkbLineString, nullptr);
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    OGRLineString line;
    for (const Vertex& v : testing::SurveyTrackMetres(500000.0, 5800000.0, 3)) {
      line.addPoint(v.x / 0.3048006096012192, v.y / 0.3048006096012192);
    }
    feature->SetGeometry(&line);
    ASSERT_EQ(layer->CreateFeature(feature.get()), OGRERR_NONE);
  }
  Thinned t = ReadAndThin(path, *GisFormatByName("gpkg"), Planar2m);
  ASSERT_EQ(t.read.error, "");
  EXPECT_FALSE(t.read.tracks[0].geographic);
  EXPECT_NEAR(static_cast<double>(t.kept[0].size()), 24.0, 2.0);
}

// What cannot be read stops the file with a message that says where, and
// writes nothing; points and polygons are kept and counted, never an error.
TEST(GisFailures, BadInputIsRefusedAndNothingIsWritten) {
  struct Row {
    const char* format;
    std::string text;
    const char* message;  // part of the error
  };
  // GDAL's GPX driver checks the start of a file when it opens it; a fault
  // further on shows when the features are read.
  std::string long_gpx = "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"x\"><trk><trkseg>";
  for (int i = 0; i < 2000; ++i) long_gpx += "<trkpt lat=\"52\" lon=\"4\"/>\n";
  long_gpx += "</trkseg><unclosed></trk></gpx>";
  const Row rows[] = {
      {"gpx", long_gpx, "layer 'tracks', feature 1: XML parsing of GPX file failed"},
      {"gpx", "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"></trkpt><trkpt", "could not be opened"},
      {"gpx",
       "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"x\"><trk><trkseg>"
       "<trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"1\" lon=\"3\"/></trkseg><unclosed></trk></gpx>",
       "mismatched tag at line 1"},
      {"geojson",
       R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},)"
       R"("geometry":{"type":"LineString","coordinates":[[4,52],[4,95],[5,52]]}}]})",
       "layer 'in', feature 1: point 2: latitude out of range."},
      {"geojson",
       R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},)"
       R"("geometry":{"type":"LineString","coordinates":[[190,52],[4,53]]}}]})",
       "point 1: longitude out of range."},
      // Projected coordinates whose differences overflow: once infinite figures.
      {"geojson",
       R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"EPSG:25831"}},)"
       R"("features":[{"type":"Feature","properties":{},)"
       R"("geometry":{"type":"LineString","coordinates":[[0,0],[1e300,5],[20,0]]}}]})",
       "layer 'in', feature 1: point 2: coordinate out of range."},
      {"kml", "<kml><Document><Placemark><LineString><coordinates>1,2 3,4", "could not be opened"},
      // Files that GDAL opens without a word of why: said in the user's words.
      {"csv", "", "could not be opened as CSV: the file is empty"},
      {"gpx", "hello, world\n", "could not be opened as GPX: it is not XML"},
      {"gpx", "<?xml version=\"1.0\"?>\n<!-- saved --><html><body/></html>",
       "could not be opened as GPX: its root element is <html>, not <gpx>"},
      {"gpkg", "", "could not be opened as GeoPackage: the file is empty"},
      {"gpkg", "name,lat,lon\n", "GeoPackage: it is not an SQLite database, as a GeoPackage is"},
      {"geojson",
       R"({"type":"FeatureCollection","features":)" + std::string(1100, '[') +
           std::string(1100, ']') + "}",
       "could not be opened as GeoJSON: it is nested deeper than the 1024 levels of brackets"},
      // Brackets and an escaped quote in a text do not count.
      {"geojson", R"({"type":"FeatureCollection","name":"a ] \" }","features":[{"type":"Fea)",
       "GeoJSON: its JSON ends before every bracket and quote is closed: the file may be cut short"},
      {"geojson", R"({"type":"LineString","coordinates":[[1,2],[3,4]}})",
       "GeoJSON: its JSON is malformed: a bracket is closed by one of the other kind"},
      {"fgb", "junk", "could not be opened as FlatGeobuf: it does not begin with FlatGeobuf's"},
      {"shp", "junk", "could not be opened as Shapefile: it does not begin with a Shapefile's"},
      {"shp", std::string("\0\0\x27\x0A", 4) + std::string(96, '\0'),
       "could not be opened as Shapefile: its index "},
      {"dxf", "junk", "could not be opened as DXF: it is not a DXF file"},
      // GDAL 3.6's DXF reader would never return from this file.
      {"dxf", std::string("  0\nSECTION\n  2\nENTITIES\n\0\0  0\nENDSEC\n  0\nEOF\n", 38),
       "byte 26 is a NUL"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    TempFolder folder;
    const GisFormat& format = *GisFormatByName(row.format);
    const auto input = folder / ("in" + std::string(WrittenExtension(format)));
    WriteText(input, row.text);
    const GisReadOutcome read = ReadGisTracks(input.string(), format);
    EXPECT_NE(read.error.find(row.message), std::string::npos) << read.error;
    EXPECT_TRUE(read.tracks.empty());
  }
}

TEST(GisFailures, WriterSaysWhatTheFormatCannotHold) {
  TempFolder folder;
  // Two layers of lines cannot go into one GeoJSON file.
  WriteText(folder / "in.gpx", kHandheldGpx);
  Thinned t = ReadAndThin(folder / "in.gpx", *GisFormatByName("gpx"), FourPoints);
  const std::string error = t.WriteAs(folder / "out.geojson", "geojson");
  EXPECT_NE(error.find("tracks in 2 layers"), std::string::npos) << error;

  // Points, polygons and features without geometry are counted and copied.
  const std::string feature = R"({"type":"Feature","properties":{},"geometry":)";
  WriteText(folder / "mixed.geojson",
            R"({"type":"FeatureCollection","features":[)" + feature +
                R"({"type":"Point","coordinates":[4,52]}},)" + feature +
                R"({"type":"Polygon","coordinates":[[[4,52],[5,52],[5,53],[4,52]]]}},)" + feature +
                R"({"type":"MultiLineString","coordinates":[[[4,52],[4.1,52.05]],[[5,52],[5,53]]]}},)" +
                feature + "null}]}");
  Thinned mixed = ReadAndThin(folder / "mixed.geojson", *GisFormatByName("geojson"), FourPoints);
  ASSERT_EQ(mixed.read.error, "");
  EXPECT_EQ(mixed.read.tracks.size(), 2u);
  EXPECT_EQ(mixed.read.skipped.points, 1);
  EXPECT_EQ(mixed.read.skipped.polygons, 1);
  EXPECT_EQ(mixed.read.skipped.other, 1);
  ASSERT_EQ(mixed.WriteAs(folder / "mixed-out.geojson", "geojson"), "");
  GDALDatasetUniquePtr back = OpenForCheck(folder / "mixed-out.geojson");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetLayer(0)->GetFeatureCount(), 4);
}

}  // namespace
}  // namespace oru
