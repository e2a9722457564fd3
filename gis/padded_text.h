#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace oru {

// The file's text with the padding that simdjson reads past its end: the
// file mapped over the start of a larger anonymous mapping, never copied.
class PaddedText {
 public:
  // Maps `path`; none (Ok() false) when it cannot be opened or mapped.
  static PaddedText Map(const std::string& path);
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
  char* base_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped: the size and the padding, in whole pages
};

}  // namespace oru
