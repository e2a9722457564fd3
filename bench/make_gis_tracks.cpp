// Writes the GIS files of bench/gis_run.sh with GDAL: seeded ship-like
// random walks (a heading that wanders, turns now and then, half a metre of
// position noise, a fix every 2 to 10 m).
//   make_gis_tracks OUTPUT.gpkg TRACKS POINTS   tracks in UTM zone 31N, metres
//   make_gis_tracks OUTPUT.gpx 1 POINTS         one track of WGS84 fixes with
//                                               elevation and time
//   make_gis_tracks OUTPUT.geojson TRACKS POINTS  LineStrings of WGS84 degrees
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

struct Walk {
  std::mt19937_64 rng;
  std::normal_distribution<double> noise{0.0, 0.5};
  std::normal_distribution<double> wander{0.0, 0.01};
  std::uniform_real_distribution<double> step{2.0, 10.0};
  double x = 0.0, y = 0.0, heading = 0.0, turn = 0.0;
  long i = 0;

  explicit Walk(unsigned seed) : rng(seed) {}
  void Next() {
    if (i++ % 300 == 0) {
      const double turns[] = {0.0, 0.0, 0.01, -0.01, 0.03, -0.03};
      turn = turns[rng() % 6];
    }
    heading += turn + wander(rng);
    const double s = step(rng);
    x += s * std::sin(heading);
    y += s * std::cos(heading);
  }
};

int Fail(const char* what) {
  std::fprintf(stderr, "make_gis_tracks: %s: %s\n", what, CPLGetLastErrorMsg());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_gis_tracks OUTPUT.gpkg|OUTPUT.gpx|OUTPUT.geojson TRACKS POINTS\n");
    return 2;
  }
  const std::string output = argv[1];
  const long tracks = std::atol(argv[2]);
  const long points = std::atol(argv[3]);
  auto ends_with = [&](const std::string& end) {
    return output.size() > end.size() && output.substr(output.size() - end.size()) == end;
  };
  const bool gpx = ends_with(".gpx");
  const bool geojson = ends_with(".geojson");
  GDALAllRegister();
  GDALDriver* driver =
      GetGDALDriverManager()->GetDriverByName(gpx ? "GPX" : geojson ? "GeoJSON" : "GPKG");
  GDALDatasetUniquePtr ds(driver->Create(output.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!ds) return Fail("create");
  OGRSpatialReference srs;
  srs.importFromEPSG(gpx || geojson ? 4326 : 32631);
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRLayer* layer = ds->CreateLayer(gpx ? "track_points" : "tracks", &srs,
                                    gpx ? wkbPoint : wkbLineString, nullptr);
  if (layer == nullptr) return Fail("layer");
  if (!gpx) {
    OGRFieldDefn name("name", OFTString);
    OGRFieldDefn line("line_no", OFTInteger);
    layer->CreateField(&name);
    layer->CreateField(&line);
  }
  if (ds->StartTransaction() != OGRERR_NONE && !gpx && !geojson) return Fail("transaction");
  for (long t = 0; t < tracks; ++t) {
    Walk walk(static_cast<unsigned>(54 + t));
    walk.x = 400000.0 + 100.0 * (t % 100);
    walk.y = 5700000.0 + 100.0 * (t / 100);
    if (gpx) {
      for (long i = 0; i < points; ++i) {
        walk.Next();
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
        f->SetField("track_fid", 0);
        f->SetField("track_seg_id", 0);
        f->SetField("ele", std::fmod(walk.y, 7.0));
        f->SetField("time", 2024, 5, 1 + static_cast<int>(i / 86400), static_cast<int>(i / 3600 % 24),
                    static_cast<int>(i / 60 % 60), static_cast<float>(i % 60), 100);
        // About 111 km a degree of latitude, 68 km of longitude at 52 N.
        OGRPoint p(4.0 + walk.x / 68000.0 - 400000.0 / 68000.0 + walk.noise(walk.rng) / 68000.0,
                   52.0 + (walk.y - 5700000.0) / 111000.0 + walk.noise(walk.rng) / 111000.0);
        f->SetGeometry(&p);
        if (layer->CreateFeature(f.get()) != OGRERR_NONE) return Fail("point");
      }
      continue;
    }
    OGRLineString line;
    line.setNumPoints(static_cast<int>(points));
    for (long i = 0; i < points; ++i) {
      walk.Next();
      if (!geojson) {
        line.setPoint(static_cast<int>(i), walk.x + walk.noise(walk.rng), walk.y + walk.noise(walk.rng));
        continue;
      }
      // Degrees near 52 N, 4 E: 111 km a degree of latitude, 68 km of longitude.
      const double x = walk.x + walk.noise(walk.rng);
      const double y = walk.y + walk.noise(walk.rng);
      line.setPoint(static_cast<int>(i), 4.0 + (x - 400000.0) / 68000.0, 52.0 + (y - 5700000.0) / 111000.0);
    }
    OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    f->SetField("name", ("line " + std::to_string(t + 1)).c_str());
    f->SetField("line_no", static_cast<int>(t + 1));
    f->SetGeometry(&line);
    if (layer->CreateFeature(f.get()) != OGRERR_NONE) return Fail("track");
  }
  if (!gpx && !geojson && ds->CommitTransaction() != OGRERR_NONE) return Fail("commit");
  return 0;
}
