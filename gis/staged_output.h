#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "gis/checked_files.h"
#include "gis/gis_formats.h"
#include "trackio/file_io.h"

namespace oru {

// A GIS output built in a staging folder (StagingFolder) beside it and put
// in place whole (CommitStagedFiles), so that a failed run leaves the
// output as it was. GDAL's drivers create their files, companions
// included, under GdalPath(), through CheckedWrites: a write that failed
// anywhere is seen (WriteError) before anything is put in place. An output
// named through symbolic links is written to the file they lead to (the
// links stay); files replaced keep their mode.
//
// The driver is given a name with the format's extension (drivers such as
// KML, CSV and FlatGeobuf make a folder of layers of any other name); the
// file is put in place under the output's own name.
//
// A device or FIFO is never replaced: the driver makes the file in a
// staging folder under the temporary directory, and Commit writes its
// bytes to the device, checked as a survey text output's are.
class StagedOutput {
 public:
  StagedOutput(const std::filesystem::path& output, const GisFormat& format);
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Why the output cannot be staged (an errno: the folder could not be
  // made, EISDIR for a folder, ENOTSUP for a Shapefile onto a device or
  // named without .shp); 0 when it can.
  int Error() const { return error_; }
  // Where the driver creates the output, for GDAL.
  std::string GdalPath() const;
  // The errno of the first write, flush, sync or close that failed on a
  // file of the output; 0 when none did.
  int WriteError() const;
  // Whether Commit writes to a device or FIFO.
  bool WritesDirectly() const { return direct_; }
  // Puts the staged files in place. A Shapefile's companions that the old
  // output had and the new one has not (a .prj of another CRS) are
  // removed. The errno of the first file that could not be moved or
  // written, else 0.
  int Commit();

 private:
  std::filesystem::path output_;  // links resolved
  std::filesystem::path staged_name_;  // the output's name in the staging folder
  bool shapefile_ = false;
  bool direct_ = false;
  std::unique_ptr<StagingFolder> staging_;
  std::unique_ptr<CheckedWrites> checked_;
  int error_ = 0;
};

}  // namespace oru
