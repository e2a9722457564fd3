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

// True when the two names lead to the same file, or to the same place when
// neither exists yet.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace oru
