#include "gis/staged_output.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace oru {

namespace fs = std::filesystem;

StagedOutput::StagedOutput(const fs::path& output, const GisFormat& format)
    : output_(LinkTarget(output)),
      staged_name_(output_.filename()),
      shapefile_(format.driver == "ESRI Shapefile") {
  if (!PathHasExtension(staged_name_, format.extensions)) {
    staged_name_ += std::string(WrittenExtension(format));
  }
  struct stat st {};
  const bool exists = ::stat(output_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    error_ = EISDIR;
    return;
  }
  direct_ = exists && !S_ISREG(st.st_mode);
  // A Shapefile is four files or more, found by the name of the .shp.
  if (shapefile_ && (direct_ || staged_name_ != output_.filename())) {
    error_ = ENOTSUP;
    return;
  }
  std::error_code ec;
  const fs::path beside =
      direct_ ? fs::temp_directory_path(ec) / output_.filename() : output_;
  staging_ = std::make_unique<StagingFolder>(beside);
  if (staging_->path().empty()) {
    error_ = staging_->error();
    return;
  }
  checked_ = std::make_unique<CheckedWrites>(staging_->path());
}

StagedOutput::~StagedOutput() = default;

std::string StagedOutput::GdalPath() const { return checked_->CheckedPath(staged_name_); }

int StagedOutput::WriteError() const { return checked_ ? checked_->FirstError() : error_; }

int StagedOutput::Commit() {
  const fs::path staged = staging_->path() / staged_name_;
  if (direct_) {
    std::string content;
    if (const FileStatus loaded = LoadFile(staged, content); !loaded) return loaded.error;
    return WriteFileAtomically(output_, content).error;
  }
  std::vector<fs::path> written;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(staging_->path(), ec)) {
    written.push_back(entry.path().filename());
  }
  if (const int error = CommitStagedFiles(staging_->path(), staged_name_, output_)) return error;
  if (!shapefile_) return 0;
  fs::path companion = output_;
  for (const char* extension : {".prj", ".cpg", ".qix", ".sbn", ".sbx"}) {
    companion.replace_extension(extension);
    bool new_one = false;
    for (const fs::path& file : written) new_one = new_one || file == companion.filename();
    if (!new_one) fs::remove(companion, ec);
  }
  return 0;
}

}  // namespace oru
