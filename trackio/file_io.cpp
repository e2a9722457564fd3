#include "trackio/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>
#include <vector>

#include "track/huge_pages.h"
#include "trackio/temporary_files.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// Closes a POSIX file descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Follows `path` through symbolic links to the name of the file they lead
// to, which need not exist (a dangling link names the file to create).
// 0, or the error number (ELOOP after 40 links, as the kernel counts).
int ResolveLinks(const fs::path& path, fs::path& target) {
  target = path;
  for (int links = 0; links < 40; ++links) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) return ec.value();
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return ELOOP;
}

// The mode an ordinary new file gets: 0666 less the umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string SystemReason(int error) { return std::generic_category().message(error); }

std::string WithSystemReason(const std::string& text, int error) {
  return error == 0 ? text : text + " " + SystemReason(error) + ".";
}

FileStatus LoadFile(const fs::path& path, std::string& content) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return {errno};
  content.clear();
  constexpr std::size_t kChunk = 1 << 20;
  // A regular file's size is known: room for it (and the last, empty read)
  // at once, instead of growing through copies.
  struct stat info {};
  if (::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode)) {
    ReserveInHugePages(content, static_cast<std::size_t>(info.st_size) + kChunk);
  }
  for (;;) {
    const std::size_t old_size = content.size();
    content.resize(old_size + kChunk);
    const ssize_t got = ::read(file.get(), content.data() + old_size, kChunk);
    if (got < 0) {
      const int error = errno;
      content.resize(old_size);
      if (error == EINTR) continue;
      return {error};
    }
    content.resize(old_size + static_cast<std::size_t>(got));
    if (got == 0) return {};
  }
}

StagedFile::~StagedFile() { Discard(); }

StagedFile::StagedFile(StagedFile&& other) noexcept { *this = std::move(other); }

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
  if (this != &other) {
    Discard();
    mode_ = std::exchange(other.mode_, Mode::None);
    target_ = std::move(other.target_);
    temporary_ = std::move(other.temporary_);
    content_ = other.content_;
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void StagedFile::Discard() noexcept {
  if (mode_ == Mode::Rename) {
    ::unlink(temporary_.c_str());
    UnregisterTemporaryFile(temporary_.c_str());
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  mode_ = Mode::None;
  temporary_.clear();
  content_ = {};
}

FileStatus StagedFile::Stage(const fs::path& path, std::string_view content,
                             const fs::path& temporaries) {
  Discard();
  fs::path target;
  if (const int error = ResolveLinks(path, target)) return {error};
  target_ = target.string();
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return {errno};

  // Written in place or directly: opened now, so that a refusal comes
  // before anything is replaced.
  auto open_for_writing = [&](Mode mode) -> FileStatus {
    Discard();
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return {errno};
    mode_ = mode;
    content_ = content;
    return {};
  };
  if (exists && !S_ISREG(st.st_mode)) return open_for_writing(Mode::Direct);
  if (exists && st.st_nlink > 1) return open_for_writing(Mode::Rewrite);

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const bool in_staging = !temporaries.empty() && temporaries.parent_path() == folder;
  std::string pattern = ((in_staging ? temporaries : folder) / ".oru-XXXXXX").string();
  int fd = -1;
  {
    // No signal between the temporary's creation and its registration.
    SignalsHeld held;
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0 && !in_staging) RegisterTemporaryFile(pattern.c_str());
  }
  if (fd < 0) {
    // A writable file in a folder that is not: written in place.
    if (exists && errno == EACCES) return open_for_writing(Mode::Rewrite);
    return {errno};
  }
  FileDescriptor file(fd);
  mode_ = Mode::Rename;
  temporary_ = pattern;
  mode_t mode = NewFileMode();
  if (exists) {
    // Owner first: changing it may clear the set-user-ID and set-group-ID
    // bits, which the mode then restores.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) return open_for_writing(Mode::Rewrite);
    mode = st.st_mode & 07777;
  }
  const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
  const int error = errno;
  if (!written) {
    Discard();
    return {error};
  }
  return {};
}

FileStatus StagedFile::Commit() {
  int error = 0;
  switch (mode_) {
    case Mode::None:
      return {EINVAL};
    case Mode::Rename:
      if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = errno;
      } else {
        UnregisterTemporaryFile(temporary_.c_str());
        mode_ = Mode::None;
      }
      break;
    case Mode::Direct:
      if (!WriteAll(fd_, content_)) error = errno;
      break;
    case Mode::Rewrite: {
      // Reserve the space first, so that a full disk stops the rewrite
      // before the old content is touched; file systems without
      // fallocate are written without it.
      SignalsHeld held;
      const auto size = static_cast<off_t>(content_.size());
      if (size > 0 && ::fallocate(fd_, 0, 0, size) != 0 && errno != EOPNOTSUPP) {
        error = errno;
      } else if (!WriteAll(fd_, content_) || ::ftruncate(fd_, size) != 0 || ::fsync(fd_) != 0) {
        error = errno;
      }
      break;
    }
  }
  if (fd_ >= 0) {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && error == 0) error = errno;
  }
  Discard();
  return {error};
}

FileStatus WriteFileAtomically(const fs::path& path, std::string_view content) {
  StagedFile file;
  if (const FileStatus staged = file.Stage(path, content); !staged) return staged;
  return file.Commit();
}

StagingFolder::StagingFolder(const fs::path& beside) {
  const fs::path folder = beside.has_parent_path() ? beside.parent_path() : fs::path(".");
  std::string pattern = (folder / ".oru-XXXXXX").string();
  // No signal between the folder's creation and its registration.
  SignalsHeld held;
  if (::mkdtemp(pattern.data()) == nullptr) {
    error_ = errno;
    return;
  }
  path_ = pattern;
  RegisterTemporaryFolder(path_.c_str());
}

StagingFolder::~StagingFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
  UnregisterTemporaryFile(path_.c_str());
}

fs::path LinkTarget(const fs::path& path) {
  fs::path target;
  return ResolveLinks(path, target) == 0 ? target : path;
}

int CommitStagedFiles(const fs::path& staging, const fs::path& main, const fs::path& path) {
  std::error_code ec;
  std::vector<std::pair<fs::path, fs::path>> moves;  // from, to
  for (const fs::directory_entry& entry : fs::directory_iterator(staging, ec)) {
    const fs::path name = entry.path().filename();
    if (name != main) moves.emplace_back(entry.path(), path.parent_path() / name);
  }
  if (ec) return ec.value();
  moves.emplace_back(staging / main, path);
  for (const auto& [file, destination] : moves) {
    // A private output stays private.
    struct stat st {};
    if (::stat(destination.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      if (::chown(file.c_str(), st.st_uid, st.st_gid) != 0) {
        // Not allowed (not root): the runner owns the new file.
      }
      ::chmod(file.c_str(), st.st_mode & 07777);
    }
    if (std::rename(file.c_str(), destination.c_str()) != 0) return errno;
  }
  return 0;
}

fs::path ResolvedPath(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(LinkTarget(path), ec);
  const fs::path resolved = fs::weakly_canonical(absolute, ec);
  return (ec ? absolute : resolved).lexically_normal();
}

FileIdentity IdentityOf(const fs::path& path) {
  FileIdentity identity;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    identity.exists = true;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    return identity;
  }
  identity.path = ResolvedPath(path).string();
  return identity;
}

bool SameFile(const fs::path& a, const fs::path& b) { return IdentityOf(a) == IdentityOf(b); }

bool PathHasExtension(const fs::path& path, std::string_view extensions) {
  const std::string extension = path.extension().string();
  auto equal_no_case = [&](std::string_view listed) {
    if (listed.size() != extension.size()) return false;
    for (std::size_t i = 0; i < listed.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(listed[i])) !=
          std::tolower(static_cast<unsigned char>(extension[i]))) {
        return false;
      }
    }
    return true;
  };
  while (!extension.empty() && !extensions.empty()) {
    const std::size_t blank = extensions.find(' ');
    if (equal_no_case(extensions.substr(0, blank))) return true;
    extensions = blank == std::string_view::npos ? std::string_view() : extensions.substr(blank + 1);
  }
  return false;
}

}  // namespace oru
