#include "run/pending_outputs.h"

#include <utility>

#include "run/processing_run.h"

namespace oru {

struct PendingOutputs::Staged {
  std::filesystem::path path;
  std::string content;  // a StagedFile reads it until it is committed
  StagedFile file;
  std::unique_ptr<StagedOutput> folder;
  bool shapefile = false;
};

PendingOutputs::PendingOutputs() = default;
PendingOutputs::~PendingOutputs() = default;
PendingOutputs::PendingOutputs(PendingOutputs&&) noexcept = default;
PendingOutputs& PendingOutputs::operator=(PendingOutputs&&) noexcept = default;

std::optional<RunError> PendingOutputs::AddText(const std::filesystem::path& path,
                                                std::string content) {
  auto staged = std::make_unique<Staged>();
  staged->path = path;
  staged->content = std::move(content);
  if (const FileStatus done = staged->file.Stage(path, staged->content); !done) {
    return RunError{ErrorKind::File, OutputNotWrittenMessage(path), done.error};
  }
  staged_.push_back(std::move(staged));
  return std::nullopt;
}

StagedOutput* PendingOutputs::AddFolder(const std::filesystem::path& output, bool shapefile,
                                        std::optional<RunError>& error) {
  auto staged = std::make_unique<Staged>();
  staged->path = output;
  staged->folder = std::make_unique<StagedOutput>(output);
  staged->shapefile = shapefile;
  if (!staged->folder->Ready()) {
    error = RunError{ErrorKind::File,
                     "no temporary folder could be made beside the output " + output.string()};
    return nullptr;
  }
  staged_.push_back(std::move(staged));
  return staged_.back()->folder.get();
}

std::optional<RunError> PendingOutputs::Commit() {
  for (const std::unique_ptr<Staged>& staged : staged_) {
    if (staged->folder) {
      if (!staged->folder->Commit(staged->shapefile)) {
        return RunError{ErrorKind::File,
                        "the output " + staged->path.string() + " could not be put in place"};
      }
    } else if (const FileStatus done = staged->file.Commit(); !done) {
      return RunError{ErrorKind::File, OutputNotWrittenMessage(staged->path), done.error};
    }
  }
  staged_.clear();
  return std::nullopt;
}

}  // namespace oru
