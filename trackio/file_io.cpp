#include "trackio/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace oru {
namespace {

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
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

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

}  // namespace

bool LoadFile(const std::filesystem::path& path, std::string& content) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return false;
  content.clear();
  constexpr std::size_t kChunk = 1 << 20;
  for (;;) {
    const std::size_t old_size = content.size();
    content.resize(old_size + kChunk);
    const ssize_t got = ::read(file.get(), content.data() + old_size, kChunk);
    if (got < 0) {
      content.resize(old_size);
      if (errno == EINTR) continue;
      return false;
    }
    content.resize(old_size + static_cast<std::size_t>(got));
    if (got == 0) return true;
  }
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path temp = path;
  temp += ".oru-tmp-XXXXXX";
  std::string pattern = temp.string();
  FileDescriptor file(::mkstemp(pattern.data()));
  if (file.get() < 0) return false;
  // mkstemp creates the file readable by its owner only; give it the mode an
  // ordinary new file gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(file.get(), 0666 & ~mask) == 0;
  ok = ok && WriteAll(file.get(), content) && ::fsync(file.get()) == 0;
  ok = file.Close() && ok;
  ok = ok && std::rename(pattern.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(pattern.c_str());
  return ok;
}

std::filesystem::path MakeStagingDirectory(const std::filesystem::path& path) {
  std::string pattern = path.string() + ".oru-tmp-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

bool CommitStagedFiles(const std::filesystem::path& staging, const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(staging, ec)) {
    if (entry.path().filename() != path.filename()) files.push_back(entry.path());
  }
  files.push_back(staging / path.filename());
  bool ok = !ec;
  for (const fs::path& file : files) {
    ok = ok && std::rename(file.c_str(), (path.parent_path() / file.filename()).c_str()) == 0;
  }
  fs::remove_all(staging, ec);
  return ok;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  const auto ca = std::filesystem::weakly_canonical(a, ec);
  if (ec) return false;
  const auto cb = std::filesystem::weakly_canonical(b, ec);
  if (ec) return false;
  return ca == cb;
}

}  // namespace oru
