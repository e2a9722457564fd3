#pragma once

#include <cstdint>
#include <string>

namespace oru::cscan {

// Locale-free equivalents of the C library's formatted input conversions,
// for the fixed patterns of the track, datum and plot files. Each works on a
// cursor over a text that ends at `end` or at its first NUL byte (as sscanf
// sees a C string), consumes exactly what glibc's sscanf consumes in the "C"
// locale and succeeds where sscanf would count the conversion. On failure the
// cursor is left where it was. The point is the decimal separator whatever
// the locale.
//
// Deliberate differences from glibc, chosen so that a number never silently
// becomes something else:
//  - "%lf" refuses "nan", "inf" and "infinity" (any case, any sign),
//    hexadecimal numbers (a body that begins with "0x" or "0X") and numbers
//    too large for a double; sscanf would store NaN, an infinity or the
//    hexadecimal value.
//  - "%d" refuses numbers outside the signed 32-bit range; sscanf stores
//    them truncated.
// Numbers too small for a double round as strtod rounds them, to a subnormal
// or to a zero of the number's sign.
struct Cursor {
  const char* p;
  const char* end;
};

// ' ', \t, \n, \v, \f, \r: isspace() of the "C" locale.
inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A blank in a pattern: skips any amount of white space, including none.
void SkipSpace(Cursor& c);
// A literal character of a pattern (never NUL); false on a mismatch or at
// the end of the text.
bool Literal(Cursor& c, char expected);
// "%lf": white space, an optional sign, decimal digits with an optional
// point, an optional exponent. Correctly rounded to nearest, ties to even, as
// strtod. An exponent mark, and a sign right after it, are consumed even when
// no digit follows them ("1e+x" consumes "1e+" and gives 1), as glibc does.
bool Double(Cursor& c, double& out);
// "%d": white space, an optional sign, decimal digits.
bool Int(Cursor& c, std::int32_t& out);
// "%c": the very next character, white space included.
bool Char(Cursor& c, char& out);
// "%s": white space, then the run of non-white characters (at least one).
bool Word(Cursor& c, std::string& out);

}  // namespace oru::cscan
