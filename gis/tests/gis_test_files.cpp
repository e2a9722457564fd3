#include "gis/tests/gis_test_files.h"

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "gis/gdal_support.h"

namespace oru::testing {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "oru-gis-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

TempFolder::~TempFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

std::vector<Vertex> SurveyTrackMetres(double x0, double y0, int lines) {
  std::vector<Vertex> track;
  double t = 0.0;
  auto add = [&](double x, double y) {
    track.push_back({x0 + x, y0 + y, -20.0 - 0.01 * y + std::sin(x / 7.0), t});
    t += 4.0;
  };
  for (int line = 0; line < lines; ++line) {
    const double east = 50.0 * line;
    // Run line north or south with a slow sway of a metre.
    for (int i = 0; i <= 30; ++i) {
      const double north = line % 2 == 0 ? 10.0 * i : 300.0 - 10.0 * i;
      add(east + std::sin(i / 3.0), north);
    }
    // Turn of radius 25 m to the next line.
    for (int i = 1; i < 8; ++i) {
      const double a = M_PI * i / 8.0;
      const double cy = line % 2 == 0 ? 300.0 : 0.0;
      add(east + 25.0 - 25.0 * std::cos(a), cy + (line % 2 == 0 ? 1 : -1) * 25.0 * std::sin(a));
    }
  }
  // Drift at anchor: forty fixes within three metres.
  const Vertex last = track.back();
  for (int i = 0; i < 40; ++i) {
    add(last.x - x0 + 1.5 * std::sin(i * 0.7), last.y - y0 + 1.5 * std::cos(i * 1.3));
  }
  return track;
}

std::vector<Vertex> SurveyTrack(double lat0, double lon0, int lines) {
  std::vector<Vertex> track = SurveyTrackMetres(0.0, 0.0, lines);
  const double metres_per_degree = 111320.0;
  for (Vertex& v : track) {
    const double east = v.x;
    v.x = lon0 + east / (metres_per_degree * std::cos(lat0 * M_PI / 180.0));
    v.y = lat0 + v.y / metres_per_degree;
  }
  return track;
}

GDALDatasetUniquePtr OpenForCheck(const std::filesystem::path& path) {
  RegisterGisDrivers();
  return GDALDatasetUniquePtr(
      GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
}

void ExpectSameTracks(const GisReadOutcome& streamed, const GisReadOutcome& gdal) {
  ASSERT_EQ(gdal.error, "");
  EXPECT_EQ(streamed.error, "");
  EXPECT_EQ(streamed.warnings, gdal.warnings);
  EXPECT_EQ(streamed.skipped.points, gdal.skipped.points);
  EXPECT_EQ(streamed.skipped.polygons, gdal.skipped.polygons);
  EXPECT_EQ(streamed.skipped.other, gdal.skipped.other);
  EXPECT_EQ(streamed.skipped.empty_lines, gdal.skipped.empty_lines);
  ASSERT_EQ(streamed.tracks.size(), gdal.tracks.size());
  for (std::size_t t = 0; t < gdal.tracks.size(); ++t) {
    const GisTrack& a = streamed.tracks[t];
    const GisTrack& b = gdal.tracks[t];
    SCOPED_TRACE(TrackPlace(b));
    EXPECT_EQ(TrackPlace(a), TrackPlace(b));  // layer, feature, part and name
    EXPECT_EQ(a.geographic, b.geographic);
    EXPECT_EQ(a.datum, b.datum);
    EXPECT_EQ(a.points, b.points);
    // Both parse with a correctly rounded conversion: equal to the bit.
    EXPECT_EQ(a.first, b.first);
    EXPECT_EQ(a.second, b.second);
  }
}

}  // namespace oru::testing
