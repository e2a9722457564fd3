#pragma once

#include <filesystem>
#include <string>

namespace oru {

// A GIS output built in a new folder beside it (MakeStagingDirectory) and
// put in place whole (CommitStagedFiles), so that a failed run leaves the
// output as it was. GDAL's drivers create their files, companions included,
// under StagedPath. An output named through symbolic links is written to
// the file they lead to (the links stay); files replaced keep their mode.
class StagedOutput {
 public:
  explicit StagedOutput(std::filesystem::path output);
  ~StagedOutput();  // removes the folder and what is in it unless committed
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Whether the folder could be made.
  bool Ready() const { return !staging_.empty(); }
  // Where the driver creates the output.
  std::filesystem::path StagedPath() const { return staging_ / output_.filename(); }
  // Moves the staged files into place. A Shapefile's companions that the
  // old output had and the new one has not (a .prj of another CRS) are
  // removed. False when a file could not be moved.
  bool Commit(bool shapefile);

 private:
  std::filesystem::path output_;
  std::filesystem::path staging_;
};

}  // namespace oru
