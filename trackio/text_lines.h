#pragma once

#include <cstring>
#include <string_view>

namespace oru {

// The next occurrence of `c` at or after `from`, or `end`.
inline const char* NextOf(const char* from, const char* end, char c) {
  const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// Calls take(line) for each physical line of `text`, in order, with the
// line's text without its line end. A line ends at a line feed, at a
// carriage return followed by a line feed (one line end), at a lone
// carriage return (text from the old Macintosh) and at the end of the text,
// so LF, CR LF and CR files read alike, and a carriage return at the very
// end belongs to the last line's end. take returns false to stop the walk.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take) {
  const char* p = text.data();
  const char* const end = p + text.size();
  // The next CR and the next LF at or after p, each searched again only
  // once p has passed it, so that a file without one of them costs one
  // search for it and the walk stays linear.
  const char* cr = nullptr;
  const char* lf = nullptr;
  while (p != end) {
    if (cr == nullptr || cr < p) cr = NextOf(p, end, '\r');
    if (lf == nullptr || lf < p) lf = NextOf(p, end, '\n');
    const char* const line_end = cr < lf ? cr : lf;
    if (!take(std::string_view(p, static_cast<std::size_t>(line_end - p)))) return;
    if (line_end == end) return;
    p = line_end == cr && cr + 1 == lf && lf != end ? lf + 1 : line_end + 1;
  }
}

}  // namespace oru
