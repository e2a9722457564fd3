// Fuzz target: the streaming GPX reader against GDAL's GPX driver. Every
// file the streaming reader takes must give exactly GDAL's tracks (layer,
// feature, part, name, coordinates to the bit, counts); a file it leaves to
// GDAL, or refuses for a coordinate without a number (which GDAL reads as
// 0), is no finding. GDAL reads the bytes from its in-memory file system.
#include <cpl_conv.h>
#include <cpl_vsi.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "gis/gdal_support.h"
#include "gis/gis_formats.h"
#include "gis/gis_reader.h"
#include "gis/gpx_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckSame(const oru::GisReadOutcome& streamed, const oru::GisReadOutcome& gdal) {
  Check(gdal.error.empty() && streamed.error.empty());
  Check(streamed.warnings == gdal.warnings);
  Check(streamed.skipped.points == gdal.skipped.points &&
        streamed.skipped.polygons == gdal.skipped.polygons &&
        streamed.skipped.other == gdal.skipped.other &&
        streamed.skipped.empty_lines == gdal.skipped.empty_lines);
  Check(streamed.tracks.size() == gdal.tracks.size());
  for (std::size_t t = 0; t < gdal.tracks.size(); ++t) {
    const oru::GisTrack& a = streamed.tracks[t];
    const oru::GisTrack& b = gdal.tracks[t];
    Check(a.layer == b.layer && a.feature == b.feature && a.part == b.part && a.name == b.name);
    Check(a.geographic == b.geographic && a.datum == b.datum && a.points == b.points);
    Check(a.first == b.first && a.second == b.second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  oru::RegisterGisDrivers();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<oru::GisReadOutcome> streamed = oru::ReadGpxText(bytes);
  if (!streamed || !streamed->error.empty()) return 0;
  const std::string path = "/vsimem/fuzz.gpx";
  VSILFILE* file = VSIFOpenL(path.c_str(), "wb");
  Check(file != nullptr);
  VSIFWriteL(bytes.data(), 1, bytes.size(), file);
  VSIFCloseL(file);
  CheckSame(*streamed, oru::ReadGisTracks(path, *oru::GisFormatByName("gpx")));
  VSIUnlink(path.c_str());
  return 0;
}
