// Fuzz target: the streaming GeoJSON reader and writer against GDAL's
// GeoJSON driver. Every file the streaming reader takes must give exactly
// GDAL's tracks (layer, feature, part, name, coordinates to the bit,
// counts), and every thinned copy the streaming writer makes must be GDAL's
// byte for byte; a file left to GDAL is no finding. The reader reads the
// bytes as they are, GDAL from its in-memory file system; the writer and
// GDAL's writer read them from a file of this process.
#include <cpl_conv.h>
#include <cpl_vsi.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/same_tracks.h"
#include "gis/gdal_support.h"
#include "gis/geojson_reader.h"
#include "gis/geojson_writer.h"
#include "gis/gis_formats.h"
#include "gis/gis_reader.h"
#include "gis/gis_writer.h"

using oru::fuzzing::Check;

namespace {

std::string ReadVsi(const std::string& path) {
  std::string text;
  VSILFILE* file = VSIFOpenL(path.c_str(), "rb");
  Check(file != nullptr);
  char buffer[4096];
  for (std::size_t got; (got = VSIFReadL(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
  VSIFCloseL(file);
  return text;
}

// The streamed and GDAL's thinned copies, every other vertex kept.
void CheckWritten(std::string_view bytes, const oru::GisReadOutcome& read) {
  const std::string input = "/tmp/geojson_fuzz_" + std::to_string(::getpid()) + ".geojson";
  std::FILE* file = std::fopen(input.c_str(), "wb");
  Check(file != nullptr);
  Check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  std::fclose(file);
  std::vector<std::vector<std::int64_t>> kept;
  for (const oru::GisTrack& track : read.tracks) {
    std::vector<std::int64_t>& line = kept.emplace_back();
    for (std::int64_t k = 1; k <= track.points; k += 2) line.push_back(k);
  }
  // The tracks of the file under its own name (the layer may be named after it).
  const std::optional<oru::GisReadOutcome> again = oru::ReadGeoJsonTracks(input);
  Check(again.has_value());
  const std::optional<std::string> streamed = oru::ThinnedGeoJsonText(input, again->tracks, kept);
  if (streamed) {
    const oru::GisFormat& geojson = *oru::GisFormatByName("geojson");
    const std::string output = "/vsimem/fuzz_out.geojson";
    Check(oru::WriteThinnedGisFile({input, &geojson, output, &geojson, &again->tracks, &kept})
              .error.empty());
    Check(*streamed == ReadVsi(output));
    VSIUnlink(output.c_str());
  }
  std::remove(input.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  oru::RegisterGisDrivers();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<oru::GisReadOutcome> streamed = oru::ReadGeoJsonText(bytes, "fuzz");
  if (!streamed) return 0;
  const std::string path = "/vsimem/fuzz.geojson";
  VSILFILE* file = VSIFOpenL(path.c_str(), "wb");
  Check(file != nullptr);
  VSIFWriteL(bytes.data(), 1, bytes.size(), file);
  VSIFCloseL(file);
  oru::fuzzing::CheckSameTracks(*streamed, oru::ReadGisTracks(path, *oru::GisFormatByName("geojson")));
  VSIUnlink(path.c_str());
  CheckWritten(bytes, *streamed);
  return 0;
}
