#include "geodesy/c_number_format.h"

#include <charconv>

namespace oru::cfmt {
namespace {

// Room for the longest fixed-point text of a double: 309 integer digits, a
// sign, a point and the decimals.
constexpr int kMaxPrecision = 40;
constexpr std::size_t kBufferSize = 330 + kMaxPrecision;

void Pad(std::string& out, std::size_t length, int width, char fill) {
  if (width > 0 && length < static_cast<std::size_t>(width)) {
    out.append(static_cast<std::size_t>(width) - length, fill);
  }
}

}  // namespace

void Fixed(std::string& out, double value, int width, int precision) {
  char buffer[kBufferSize];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                              precision);
  const std::size_t length = static_cast<std::size_t>(result.ptr - buffer);
  Pad(out, length, width, ' ');
  out.append(buffer, length);
}

void FixedZeroPadded(std::string& out, double value, int width, int precision) {
  char buffer[kBufferSize];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                              precision);
  std::size_t length = static_cast<std::size_t>(result.ptr - buffer);
  const char* digits = buffer;
  if (*digits == '-') {
    out.push_back('-');
    ++digits;
    --length;
    if (width > 0) --width;
  }
  Pad(out, length, width, '0');
  out.append(digits, length);
}

void Int(std::string& out, std::int64_t value, bool blank_sign) {
  if (blank_sign && value >= 0) out.push_back(' ');
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace oru::cfmt
