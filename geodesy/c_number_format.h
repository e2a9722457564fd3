#pragma once

#include <cstdint>
#include <string>

namespace oru::cfmt {

// Locale-free equivalents of the C library's formatted output conversions,
// appending to `out` exactly the bytes that printf would write in the "C"
// locale (round half to even on the exact binary value).

// "%W.Plf"; width 0 means no width.
void Fixed(std::string& out, double value, int width, int precision);
// "%0W.Plf": zero-padded to the width.
void FixedZeroPadded(std::string& out, double value, int width, int precision);
// "%d" ("%lld" for the 64-bit overload); "% d" with `blank_sign`.
void Int(std::string& out, std::int64_t value, bool blank_sign = false);

}  // namespace oru::cfmt
