// The functions of gis/ that call GDAL, for a program that opens
// liboru-gis.so on demand (gis/gdal_entry.h): each forwards to the shared
// object's table, opened at the first call. When it cannot be opened, each
// fails as it fails on GDAL's own errors, with the loader's reason.
#include <cerrno>
#include <string>

#include "dynload/loaded_module.h"
#include "gis/checked_files.h"
#include "gis/gdal_entry.h"
#include "gis/gis_reader.h"
#include "gis/projected_crs.h"

namespace oru {
namespace {

struct Loaded {
  const GdalEntry* entry = nullptr;
  std::string error;
};

const Loaded& Gdal() {
  static const Loaded loaded = [] {
    Loaded l;
    const auto* entry = static_cast<const GdalEntry*>(
        LoadModuleEntry(kGdalModuleFile, kGdalEntryName, "GDAL support", l.error));
    if (entry != nullptr && entry->version != GdalEntry::kVersion) {
      l.error = std::string("GDAL support (") + kGdalModuleFile +
                ") is of another build of ORU: reinstall ORU";
    } else {
      l.entry = entry;
    }
    return l;
  }();
  return loaded;
}

}  // namespace

GisReadOutcome ReadGisTracks(const std::string& path, const GisFormat& format,
                             const RowGrouping& rows) {
  if (const GdalEntry* gdal = Gdal().entry) return gdal->read_gis_tracks(path, format, rows);
  GisReadOutcome outcome;
  outcome.error = Gdal().error;
  return outcome;
}

GisWriteOutcome WriteThinnedGisFile(const GisWriteRequest& request) {
  if (const GdalEntry* gdal = Gdal().entry) return gdal->write_thinned_gis_file(request);
  return GisWriteOutcome{Gdal().error, {}};
}

std::string WriteGisLines(const GisLinesRequest& request) {
  if (const GdalEntry* gdal = Gdal().entry) return gdal->write_gis_lines(request);
  return Gdal().error;
}

std::unique_ptr<ProjectedCrs> ProjectedCrs::FromText(std::string_view text, std::string& error) {
  if (const GdalEntry* gdal = Gdal().entry) return gdal->projected_crs(text, error);
  error = Gdal().error;
  return nullptr;
}

std::unique_ptr<CheckedWrites> CheckedWrites::InFolder(const std::filesystem::path& folder) {
  if (const GdalEntry* gdal = Gdal().entry) return gdal->checked_writes(folder);
  return nullptr;
}

}  // namespace oru
