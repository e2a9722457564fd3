#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "gis/gis_lines_writer.h"
#include "gis/gis_track.h"
#include "gis/gis_writer.h"
#include "gis/point_row_tracks.h"

namespace oru {

class CheckedWrites;
class ProjectedCrs;

// Everything of gis/ that calls GDAL, as one table: the batch command opens
// it from liboru-gis.so only when a run reads or writes a GIS file or names a
// CRS (gdal_loader.cpp), so that its other runs and --help do not load GDAL
// and the hundred libraries it needs. Programs linked with gis_formats call
// the functions directly.
struct GdalEntry {
  // Changed with any change of this table or of the types it passes, so
  // that a stale shared object is refused rather than called.
  static constexpr int kVersion = 2;
  int version = kVersion;
  GisReadOutcome (*read_gis_tracks)(const std::string& path, const GisFormat& format,
                                    const RowGrouping& rows);
  GisWriteOutcome (*write_thinned_gis_file)(const GisWriteRequest& request);
  std::string (*write_gis_lines)(const GisLinesRequest& request);
  std::unique_ptr<ProjectedCrs> (*projected_crs)(std::string_view text, std::string& error);
  std::unique_ptr<CheckedWrites> (*checked_writes)(const std::filesystem::path& folder);
};

// The shared object's file and entry function (extern "C", returning a
// `const GdalEntry*`).
inline constexpr const char* kGdalModuleFile = "liboru-gis.so";
inline constexpr const char* kGdalEntryName = "oru_gdal_entry";

}  // namespace oru
