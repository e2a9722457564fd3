#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/staged_output.h"
#include "run/run_error.h"
#include "trackio/file_io.h"

namespace oru {

// The files of a run's output, each made in full before any is put in
// place: texts (survey text, routes, the command's plot and curve files)
// staged as StagedFile, their temporaries in one staging folder per target
// folder, and the outputs of GDAL's drivers (StagedOutput). Commit first
// writes what goes to devices and FIFOs (which cannot be taken back, and
// where a full device is found), then puts the rest in place in the order
// they were added; destroying what was not committed removes every
// temporary and leaves every target as it was.
class PendingOutputs {
 public:
  PendingOutputs();
  ~PendingOutputs();
  PendingOutputs(PendingOutputs&&) noexcept;
  PendingOutputs& operator=(PendingOutputs&&) noexcept;

  // Stages `content` for `path`; the error when it cannot. `failure` is
  // what a message says when the file cannot be written ("Curve file c.csv
  // could not be written."); by default OutputNotWrittenMessage(path).
  std::optional<RunError> AddText(const std::filesystem::path& path, std::string content,
                                  std::string failure = {});
  // A staged output for a driver to make its files in (GdalPath()); null,
  // with `error` set, when it cannot be made.
  StagedOutput* AddFolder(const std::filesystem::path& output, const GisFormat& format,
                          std::optional<RunError>& error);
  bool empty() const { return staged_.empty(); }

  // Writes the files that go to devices and FIFOs; the error of the first
  // that failed. Commit does it first when it has not been done.
  std::optional<RunError> WriteDevices();
  // Puts everything in place; the error of the first file that failed.
  std::optional<RunError> Commit();

 private:
  struct Staged;
  std::map<std::filesystem::path, std::unique_ptr<StagingFolder>> temporaries_;
  std::vector<std::unique_ptr<Staged>> staged_;
};

}  // namespace oru
