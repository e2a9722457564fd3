#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gdal_priv.h>

#include "gis/gis_track.h"

namespace oru::testing {

// A fresh folder under the system's temporary directory, removed with
// everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);

// A survey vessel's track near (lat0, lon0) in degrees: run lines 300 m long
// with turns between them, a loop, and a drift at anchor of many fixes
// within metres; one fix every 10 m or so.
struct Vertex {
  double x, y, z, m;
};
std::vector<Vertex> SurveyTrack(double lat0, double lon0, int lines);

// The same shape in metres about (x0, y0), for projected CRSs.
std::vector<Vertex> SurveyTrackMetres(double x0, double y0, int lines);

// A streaming reader's tracks against GDAL's of the same file: the same
// counts, warnings, places (layer, feature, part, name), datum and
// coordinates to the bit.
void ExpectSameTracks(const GisReadOutcome& streamed, const GisReadOutcome& gdal);

// Opens a file with GDAL for checking what was written.
GDALDatasetUniquePtr OpenForCheck(const std::filesystem::path& path);

}  // namespace oru::testing
