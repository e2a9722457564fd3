#include "gis/padded_text.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <simdjson.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace oru {
namespace {

std::size_t PageSize() { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }

std::size_t PaddedSize(std::size_t size) {
  const std::size_t page = PageSize();
  return (size + simdjson::SIMDJSON_PADDING + page - 1) / page * page;
}

}  // namespace

PaddedText PaddedText::Room(std::size_t size) {
  PaddedText text;
  const std::size_t mapped = PaddedSize(size);
  void* base = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return text;
  text.base_ = static_cast<char*>(base);
  text.mapped_ = mapped;
  return text;
}

PaddedText PaddedText::Load(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return PaddedText();
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return PaddedText();
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  PaddedText text = Room(size);
  std::size_t got = 0;
  bool failed = !text.Ok();
  while (!failed && got < size) {
    const ssize_t n = ::read(fd, text.base_ + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;  // a file shortened since: what it holds now
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (failed) return PaddedText();
  text.size_ = got;
  return text;
}

PaddedText PaddedText::Copy(std::string_view bytes) {
  PaddedText text = Room(bytes.size());
  if (!text.Ok()) return text;
  if (!bytes.empty()) std::memcpy(text.base_, bytes.data(), bytes.size());
  text.size_ = bytes.size();
  return text;
}

PaddedText::PaddedText(PaddedText&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

PaddedText::~PaddedText() {
  if (base_ != nullptr) ::munmap(base_, mapped_);
}

}  // namespace oru
