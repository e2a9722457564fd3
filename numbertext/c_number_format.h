#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace oru::cfmt {

// Locale-free equivalents of the C library's formatted output conversions,
// appending to `out` exactly the bytes that glibc's printf writes in the "C"
// locale: the exact binary value rounded half to even, a minus sign whenever
// the sign bit is set (so -0.0 and -0.001 at two decimals give "-0.00"),
// "inf", "-inf", "nan" and "-nan" for the non-finite values.

// Room for the unpadded text of any double at up to kMaxTextPrecision
// decimals: a sign, 309 integer digits, the point and the decimals.
inline constexpr int kMaxTextPrecision = 40;
inline constexpr std::size_t kFixedTextSize = 311 + kMaxTextPrecision;

// The unpadded text of "%.Plf" written to `buffer`, which holds at least
// kFixedTextSize characters; returns its length. 0 <= precision <=
// kMaxTextPrecision.
std::size_t FixedText(char* buffer, double value, int precision);

// "%W.Plf": right-aligned in `width` characters with blanks; width 0 means
// no width. 0 <= precision (any size).
void Fixed(std::string& out, double value, int width, int precision);
// "%0W.Plf": zero-padded after the sign to the width. The C library pads
// "inf" and "nan" with blanks, and so does this.
void FixedZeroPadded(std::string& out, double value, int width, int precision);
// "%d" (for values of 64 bits "%lld"); "% d" with `blank_sign`: a blank
// before a value that is not negative.
void Int(std::string& out, std::int64_t value, bool blank_sign = false);

}  // namespace oru::cfmt
