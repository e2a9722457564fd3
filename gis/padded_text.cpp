#include "gis/padded_text.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <simdjson.h>

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

PaddedText PaddedText::Map(const std::string& path) {
  PaddedText text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return text;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  const std::size_t mapped = PaddedSize(size);
  // Zero pages past the end, the file over the start: its last page reads
  // as zeros past the end of the file too.
  void* base = ::mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) {
    ::close(fd);
    return text;
  }
  if (size > 0 &&
      ::mmap(base, size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
    ::munmap(base, mapped);
    ::close(fd);
    return text;
  }
  ::close(fd);
  if (size > 0) ::madvise(base, size, MADV_SEQUENTIAL);
  text.base_ = static_cast<char*>(base);
  text.size_ = size;
  text.mapped_ = mapped;
  return text;
}

PaddedText PaddedText::Copy(std::string_view bytes) {
  PaddedText text;
  const std::size_t mapped = PaddedSize(bytes.size());
  void* base = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return text;
  if (!bytes.empty()) std::memcpy(base, bytes.data(), bytes.size());
  text.base_ = static_cast<char*>(base);
  text.size_ = bytes.size();
  text.mapped_ = mapped;
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
