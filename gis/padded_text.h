#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace oru {

// A file's text with the padding that simdjson reads past its end, in an
// anonymous mapping of whole pages whose tail stays zero. The text is read
// into it once, not mapped from the file: a mapped file that another
// program shortens while it is parsed would end the process (SIGBUS).
class PaddedText {
 public:
  // Reads `path`; none (Ok() false) when it cannot be opened or read.
  static PaddedText Load(const std::string& path);
  // A copy of `text` with padding: for tests and fuzzing.
  static PaddedText Copy(std::string_view text);
  PaddedText(PaddedText&& other) noexcept;
  PaddedText& operator=(PaddedText&&) = delete;
  PaddedText(const PaddedText&) = delete;
  ~PaddedText();

  bool Ok() const { return base_ != nullptr; }
  const char* data() const { return base_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return mapped_; }

 private:
  PaddedText() = default;
  // Room for `size` bytes and the padding; Ok() false when there is none.
  static PaddedText Room(std::size_t size);
  char* base_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped: the size and the padding, in whole pages
};

}  // namespace oru
