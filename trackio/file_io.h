#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace oru {

// The outcome of a file operation: success, or the system's error number
// (errno) of the call that failed. Tests true on success, so that
// `if (!LoadFile(...))` reads as before.
struct FileStatus {
  int error = 0;
  explicit operator bool() const { return error == 0; }
};

// The system's description of an error number ("No such file or
// directory"), for messages that say why.
std::string SystemReason(int error);

// `text`, then the system's reason when `error` is not 0: "Input file a.txt
// could not be opened. No such file or directory."
std::string WithSystemReason(const std::string& text, int error);

// Reads a whole file into `content`. On failure `content` is unspecified.
FileStatus LoadFile(const std::filesystem::path& path, std::string& content);

// New content for one file, written in two steps so that several files can
// be replaced together: Stage writes everything that can fail ahead of time,
// Commit puts the file in place. Destroying a staged file that was not
// committed removes its temporary and leaves the target as it was.
//
// - A symbolic link is followed: its final target is the file written.
// - A regular file, or a name that does not exist yet, is written to a
//   temporary file in the target's folder (a short name ".oru-XXXXXX", so
//   that any legal file name can be replaced), flushed to disk and renamed
//   over the target at Commit. A replaced file keeps its mode and, where
//   the system allows, its owner and group; a new file gets 0666 less the
//   umask. The temporary is registered for removal on SIGINT, SIGTERM and
//   SIGHUP (trackio/temporary_files.h), or made in `temporaries`, a
//   StagingFolder beside the target, when one is given: a run that stages
//   many files at once (a route a track) registers one folder, not each.
// - A regular file whose owner or group cannot be kept, or that has further
//   hard links, is rewritten in place at Commit instead, so that it stays
//   the same file for every name and owner: Stage opens it for writing, and
//   Commit reserves the space, writes, truncates and flushes with the
//   termination signals held back, so only a failing disk can cut it short.
// - Anything else (a device such as /dev/null, a FIFO) is opened at Stage
//   and written directly at Commit, never replaced; a failed write is still
//   a failure.
class StagedFile {
 public:
  StagedFile() = default;
  ~StagedFile();
  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&& other) noexcept;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // `content` must stay valid until Commit or the end of the staged file.
  FileStatus Stage(const std::filesystem::path& path, std::string_view content,
                   const std::filesystem::path& temporaries = {});
  FileStatus Commit();
  // Whether Commit writes the content to a device or FIFO (nothing is
  // replaced, and what it writes cannot be taken back).
  bool WritesDirectly() const { return mode_ == Mode::Direct; }

 private:
  enum class Mode { None, Rename, Rewrite, Direct };
  void Discard() noexcept;

  Mode mode_ = Mode::None;
  std::string target_;     // the file written, links resolved
  std::string temporary_;  // Mode::Rename
  std::string_view content_;  // Mode::Rewrite and Mode::Direct
  int fd_ = -1;            // Mode::Rewrite and Mode::Direct
};

// Stage and Commit of one file: the file is either replaced whole or left
// as it was.
FileStatus WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// A new, empty folder beside `path` (in the same folder, so on the same
// file system), with a short name (".oru-XXXXXX") so that any legal file
// name fits in it: for writers that make several files or need their final
// names (GDAL's drivers), and for the temporaries of several files at once.
// It is registered for removal with every file in it on SIGINT, SIGTERM and
// SIGHUP, and removed so when the object ends.
class StagingFolder {
 public:
  explicit StagingFolder(const std::filesystem::path& beside);
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  // Empty when the folder could not be made; error() then says why (errno).
  const std::filesystem::path& path() const { return path_; }
  int error() const { return error_; }

 private:
  std::filesystem::path path_;
  int error_ = 0;
};

// The name of the file that `path` leads to through symbolic links (which
// need not exist yet); `path` itself when it is no link or the links loop.
// Files made in a staging directory are named after it, so that a link is
// written through rather than replaced.
std::filesystem::path LinkTarget(const std::filesystem::path& path);

// Moves every file of `staging` into the folder of `path` by rename, each
// over the file of the same name there, and the file `main` last, to
// `path` itself (so a reader that finds it finds its companions too). A
// replaced file keeps its mode and, where the system allows, its owner and
// group. The error number of the first rename that failed (the later ones
// are not tried), else 0.
int CommitStagedFiles(const std::filesystem::path& staging, const std::filesystem::path& main,
                      const std::filesystem::path& path);

// The absolute name that `path` leads to: symbolic links followed (a
// dangling one to the file it would create), "." and ".." resolved.
std::filesystem::path ResolvedPath(const std::filesystem::path& path);

// Which file a name stands for: an existing one by its device and inode,
// so that symbolic links, hard links and every spelling of its name agree;
// a name that does not exist yet by the absolute path it would be created
// at, with symbolic links (a dangling one too) and "." and ".." resolved
// ("new.txt", "./new.txt", "d/../new.txt" and "$PWD/new.txt" are one).
struct FileIdentity {
  bool exists = false;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::string path;  // new names only
  auto operator<=>(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const std::filesystem::path& path);

// Whether the two names lead to the same file, or to the same new file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether the extension of `path` is one of `extensions` (blank-separated,
// with the point: ".gpx .xml"), in any case.
bool PathHasExtension(const std::filesystem::path& path, std::string_view extensions);

}  // namespace oru
