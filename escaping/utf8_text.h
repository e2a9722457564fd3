#pragma once

#include <string>
#include <string_view>

namespace oru {

// `bytes` as valid UTF-8 (RFC 3629): every well-formed sequence is kept as
// it is; every byte that does not belong to one (a stray continuation byte,
// a truncated, overlong or surrogate sequence, a code point beyond U+10FFFF)
// is read as ISO 8859-1 (Latin-1), the encoding of older P1/90 headers and
// DBF attribute files, and written as that character's UTF-8 sequence. So a
// Latin-1 "Bremerhaven Süd" (0xFC) becomes "Süd" in UTF-8, and text that is
// already UTF-8 passes unchanged.
std::string ValidUtf8(std::string_view bytes);

// Calls visit(code_point) for each character of ValidUtf8(bytes), in order.
template <typename Visit>
void ForEachCodePoint(std::string_view bytes, Visit visit);

// The length of the well-formed UTF-8 sequence at the start of `bytes` and
// its code point, or 0 when its first byte does not start one.
std::size_t Utf8SequenceAt(std::string_view bytes, char32_t& code_point);

// Appends the UTF-8 sequence of `code_point` (at most U+10FFFF, no
// surrogate).
void AppendUtf8(std::string& out, char32_t code_point);

template <typename Visit>
void ForEachCodePoint(std::string_view bytes, Visit visit) {
  while (!bytes.empty()) {
    char32_t c = 0;
    std::size_t length = Utf8SequenceAt(bytes, c);
    if (length == 0) {
      c = static_cast<unsigned char>(bytes.front());  // Latin-1
      length = 1;
    }
    visit(c);
    bytes.remove_prefix(length);
  }
}

}  // namespace oru
