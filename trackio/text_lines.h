#pragma once

#include <cstring>
#include <string_view>

namespace oru {

// Calls take(line) for each physical line of `text`, in order, with the
// line's text without its line end: a line is everything up to its line
// feed, however long, and a carriage return right before the line feed (or
// at the very end of the text) belongs to the line end, so CR LF and LF text
// read alike. take returns false to stop the walk.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    const auto* lf =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char* content_end = lf != nullptr ? lf : end;
    if (content_end != p && content_end[-1] == '\r') --content_end;
    if (!take(std::string_view(p, static_cast<std::size_t>(content_end - p)))) return;
    p = lf != nullptr ? lf + 1 : end;
  }
}

}  // namespace oru
