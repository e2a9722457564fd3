#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace oru {

// Reads a whole file into `content`. False, with `content` unspecified, when
// the file cannot be opened or read.
bool LoadFile(const std::filesystem::path& path, std::string& content);

// Writes `content` to `path` so that the file is either replaced whole or left
// as it was: the bytes go to a temporary file in the same directory, which is
// flushed and renamed over `path` only when complete. False when anything
// fails; the temporary file is then removed.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// For writers that make several files or need their final names (GDAL's
// drivers): a new, empty directory beside `path`, in the same folder and so on
// the same file system, in which they build the files of `path`. Empty on
// failure.
std::filesystem::path MakeStagingDirectory(const std::filesystem::path& path);

// Moves every file of `staging` into the folder of `path` by rename, each
// over the file of the same name there, the one named like `path` last (so a
// reader that finds it finds its companions too), then removes `staging`.
// False when a rename fails; `staging` is removed with what was left in it.
bool CommitStagedFiles(const std::filesystem::path& staging, const std::filesystem::path& path);

// True when the two names lead to the same file, or to the same place when
// neither exists yet.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace oru
