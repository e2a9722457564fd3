// Fuzz target: GDAL's reading of every GIS format through ReadGisTracks. The
// first byte chooses the format; the rest is the file, written to GDAL's
// in-memory file system (for Shapefiles split at "SPLT" into .shp, .shx and
// .dbf). Every track read must be one the engine can take: as many first
// as second coordinates, geographic ones within +-90 and +-180 degrees.
#include <cpl_conv.h>
#include <cpl_vsi.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gis/gdal_support.h"
#include "gis/gis_formats.h"
#include "gis/gis_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void WriteMemoryFile(const std::string& path, std::string_view bytes) {
  VSILFILE* file = VSIFOpenL(path.c_str(), "wb");
  Check(file != nullptr);
  VSIFWriteL(bytes.data(), 1, bytes.size(), file);
  VSIFCloseL(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  oru::RegisterGisDrivers();
  // Small files must not make GDAL reserve much memory or read long.
  CPLSetConfigOption("OGR_GEOJSON_MAX_OBJ_SIZE", "1");
  CPLSetConfigOption("GDAL_CACHEMAX", "8");
  CPLSetConfigOption("OGR_SQLITE_CACHE", "8");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto formats = oru::GisFormats();
  const oru::GisFormat& format = formats[data[0] % formats.size()];
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string base = "/vsimem/fuzz";
  const std::string path = base + std::string(oru::WrittenExtension(format));
  if (format.name == "shp") {
    for (const char* companion : {".shp", ".shx", ".dbf"}) {
      const std::size_t split = bytes.find("SPLT");
      WriteMemoryFile(base + companion, bytes.substr(0, split));
      bytes = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 4);
    }
  } else {
    WriteMemoryFile(path, bytes);
  }
  const oru::GisReadOutcome read = oru::ReadGisTracks(path, format);
  Check(read.error.empty() || read.tracks.empty());
  for (const oru::GisTrack& track : read.tracks) {
    Check(track.first.size() == track.second.size());
    Check(static_cast<std::int64_t>(track.first.size()) == track.points);
    for (std::size_t i = 0; track.geographic && i < track.first.size(); ++i) {
      Check(track.first[i] >= -90.0 && track.first[i] <= 90.0);
      Check(track.second[i] >= -180.0 && track.second[i] <= 180.0);
    }
  }
  VSIRmdirRecursive("/vsimem/");
  return 0;
}
