#include "run/pending_outputs.h"

#include <cerrno>
#include <utility>

#include "run/processing_run.h"

namespace oru {

namespace fs = std::filesystem;

struct PendingOutputs::Staged {
  std::string failure;  // the message when it cannot be written
  std::string content;  // a StagedFile reads it until it is committed
  StagedFile file;
  std::unique_ptr<StagedOutput> folder;
  bool done = false;
  bool WritesDirectly() const { return folder ? folder->WritesDirectly() : file.WritesDirectly(); }
  std::optional<RunError> Put() {
    const int error = folder ? folder->Commit() : file.Commit().error;
    done = true;
    if (error == 0) return std::nullopt;
    return RunError{ErrorKind::File, failure, error};
  }
};

PendingOutputs::PendingOutputs() = default;
PendingOutputs::~PendingOutputs() {
  staged_.clear();  // the temporaries before their folders
}
PendingOutputs::PendingOutputs(PendingOutputs&&) noexcept = default;
PendingOutputs& PendingOutputs::operator=(PendingOutputs&& other) noexcept {
  staged_.clear();
  temporaries_ = std::move(other.temporaries_);
  staged_ = std::move(other.staged_);
  return *this;
}

std::optional<RunError> PendingOutputs::AddText(const fs::path& path, std::string content,
                                                std::string failure) {
  auto staged = std::make_unique<Staged>();
  staged->failure = failure.empty() ? OutputNotWrittenMessage(path) : std::move(failure);
  staged->content = std::move(content);
  // One staging folder for the temporaries of every file in a folder; the
  // file's own temporary where it cannot be made.
  const fs::path folder = LinkTarget(path).parent_path();
  std::unique_ptr<StagingFolder>& temporaries = temporaries_[folder];
  if (!temporaries) temporaries = std::make_unique<StagingFolder>(LinkTarget(path));
  if (const FileStatus done = staged->file.Stage(path, staged->content, temporaries->path());
      !done) {
    return RunError{ErrorKind::File, staged->failure, done.error};
  }
  staged_.push_back(std::move(staged));
  return std::nullopt;
}

StagedOutput* PendingOutputs::AddFolder(const fs::path& output, const GisFormat& format,
                                        std::optional<RunError>& error) {
  auto staged = std::make_unique<Staged>();
  staged->failure = OutputNotWrittenMessage(output);
  staged->folder = std::make_unique<StagedOutput>(output, format);
  if (const int why = staged->folder->Error()) {
    error = why == ENOTSUP
                ? RunError{ErrorKind::File, "A Shapefile is a set of files named after its .shp "
                                            "file (.shx, .dbf, ...): " + output.string() +
                                            " cannot be one."}
                : RunError{ErrorKind::File, staged->failure, why};
    return nullptr;
  }
  staged_.push_back(std::move(staged));
  return staged_.back()->folder.get();
}

std::optional<RunError> PendingOutputs::WriteDevices() {
  for (const std::unique_ptr<Staged>& staged : staged_) {
    if (staged->done || !staged->WritesDirectly()) continue;
    if (auto error = staged->Put()) return error;
  }
  return std::nullopt;
}

std::optional<RunError> PendingOutputs::Commit() {
  if (auto error = WriteDevices()) return error;
  for (const std::unique_ptr<Staged>& staged : staged_) {
    if (staged->done) continue;
    if (auto error = staged->Put()) return error;
  }
  staged_.clear();
  temporaries_.clear();
  return std::nullopt;
}

}  // namespace oru
