#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/staged_output.h"
#include "run/run_error.h"
#include "trackio/file_io.h"

namespace oru {

// The files of a run's output, each made in full before any is put in
// place: texts (survey text, RTZ and GPX routes) staged as StagedFile, and
// folders in which GDAL's drivers make theirs (StagedOutput). Commit puts
// them in place in the order they were added; destroying what was not
// committed removes every temporary and leaves every target as it was.
class PendingOutputs {
 public:
  PendingOutputs();
  ~PendingOutputs();
  PendingOutputs(PendingOutputs&&) noexcept;
  PendingOutputs& operator=(PendingOutputs&&) noexcept;

  // Stages `content` for `path`; the error when it cannot.
  std::optional<RunError> AddText(const std::filesystem::path& path, std::string content);
  // A staging folder beside `output` for a driver to make its files in
  // (StagedPath()); null, with `error` set, when it cannot be made.
  StagedOutput* AddFolder(const std::filesystem::path& output, bool shapefile,
                          std::optional<RunError>& error);
  bool empty() const { return staged_.empty(); }

  // Puts everything in place; the error of the first file that failed.
  std::optional<RunError> Commit();

 private:
  struct Staged;
  std::vector<std::unique_ptr<Staged>> staged_;
};

}  // namespace oru
