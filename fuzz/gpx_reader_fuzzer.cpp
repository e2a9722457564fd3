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

#include "fuzz/same_tracks.h"
#include "gis/gdal_support.h"
#include "gis/gis_formats.h"
#include "gis/gis_reader.h"
#include "gis/gpx_reader.h"

using oru::fuzzing::Check;

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
  oru::fuzzing::CheckSameTracks(*streamed, oru::ReadGisTracks(path, *oru::GisFormatByName("gpx")));
  VSIUnlink(path.c_str());
  return 0;
}
