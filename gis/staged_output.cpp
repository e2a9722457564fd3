#include "gis/staged_output.h"

#include <utility>
#include <vector>

#include "trackio/file_io.h"

namespace oru {

namespace fs = std::filesystem;

StagedOutput::StagedOutput(fs::path output)
    : output_(LinkTarget(output)), staging_(MakeStagingDirectory(output_)) {}

StagedOutput::~StagedOutput() {
  std::error_code ec;
  if (!staging_.empty()) fs::remove_all(staging_, ec);
}

bool StagedOutput::Commit(bool shapefile) {
  std::vector<fs::path> written;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(staging_, ec)) {
    written.push_back(entry.path().filename());
  }
  const bool moved = CommitStagedFiles(staging_, output_);
  staging_.clear();  // CommitStagedFiles removed it, whatever the outcome
  if (!moved || !shapefile) return moved;
  fs::path companion = output_;
  for (const char* extension : {".prj", ".cpg", ".qix", ".sbn", ".sbx"}) {
    companion.replace_extension(extension);
    bool new_one = false;
    for (const fs::path& file : written) new_one = new_one || file == companion.filename();
    if (!new_one) fs::remove(companion, ec);
  }
  return true;
}

}  // namespace oru
