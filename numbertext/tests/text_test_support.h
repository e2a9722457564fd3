#pragma once

// Helpers shared by the tests that compare our text conversions with the C
// library's: bit-for-bit equality of doubles (so that -0.0 and 0.0 differ and
// a NaN equals itself) and a printable form of texts with control bytes.

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace oru::testing {

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline std::string Show(std::string_view text) {
  std::string shown;
  for (const char ch : text) {
    if (ch >= 0x20 && ch < 0x7f) {
      shown.push_back(ch);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(ch));
      shown += code;
    }
  }
  return shown;
}

}  // namespace oru::testing
