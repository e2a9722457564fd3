#pragma once

#include <cstdint>
#include <string>

namespace oru::cscan {

// Locale-free equivalents of the C library's formatted input conversions,
// for the fixed patterns of the track, datum and plot files. Each works on a
// cursor over a text that ends at `end` or at its first NUL byte, consumes
// what sscanf would consume and reports success as sscanf would count the
// conversion. The point is the decimal separator whatever the locale.
//
// Differences from glibc, chosen so that a number never silently becomes
// something else: "%lf" refuses "nan", "inf", "infinity", hexadecimal numbers
// and numbers too large for a double (sscanf would store NaN, an infinity or
// the hexadecimal value); "%d" refuses numbers outside the 32-bit range
// (sscanf's result is then undefined).
struct Cursor {
  const char* p;
  const char* end;
};

bool IsSpace(char c);  // ' ', \t, \n, \v, \f, \r
// A blank in a pattern: skips any amount of white space, including none.
void SkipSpace(Cursor& c);
// A literal character of a pattern; false on a mismatch or at the end.
bool Literal(Cursor& c, char expected);
// "%lf": white space, optional sign, digits with an optional point, an
// optional exponent. Rounded to nearest, as strtod.
bool Double(Cursor& c, double& out);
// "%d": white space, optional sign, decimal digits.
bool Int(Cursor& c, std::int32_t& out);
// "%c": the very next character, white space included.
bool Char(Cursor& c, char& out);
// "%s": white space, then the run of non-white characters.
bool Word(Cursor& c, std::string& out);

}  // namespace oru::cscan
