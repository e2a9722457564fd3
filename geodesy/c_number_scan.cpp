#include "geodesy/c_number_scan.h"

#include <locale.h>
#include <stdlib.h>
#include <charconv>
#include <cmath>
#include <limits>

namespace oru::cscan {
namespace {

bool AtEnd(const Cursor& c) { return c.p == c.end || *c.p == '\0'; }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsHexDigit(char ch) {
  return IsDigit(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}
// Length of the run of decimal digits starting at p.
const char* SkipDigits(const char* p, const char* end) {
  while (p != end && IsDigit(*p)) ++p;
  return p;
}
// A C-library text end: the explicit end or the first NUL.
const char* TextEnd(const Cursor& c) {
  const char* e = c.p;
  while (e != c.end && *e != '\0') ++e;
  return e;
}
bool StartsWithNoCase(const char* p, const char* end, const char* word) {
  for (; *word; ++word, ++p) {
    if (p == end) return false;
    char ch = *p;
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (ch != *word) return false;
  }
  return true;
}

}  // namespace

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void SkipSpace(Cursor& c) {
  while (!AtEnd(c) && IsSpace(*c.p)) ++c.p;
}

bool Literal(Cursor& c, char expected) {
  if (AtEnd(c) || *c.p != expected) return false;
  ++c.p;
  return true;
}

bool Double(Cursor& c, double& out) {
  SkipSpace(c);
  const char* end = TextEnd(c);
  const char* p = c.p;
  const char* start = p;
  if (p != end && (*p == '+' || *p == '-')) ++p;
  const char* body = p;
  // Forms that the C library reads as special values or hexadecimal numbers
  // are refused rather than read as something else.
  if (StartsWithNoCase(p, end, "inf") || StartsWithNoCase(p, end, "nan")) return false;
  if (p != end && *p == '0' && p + 1 != end && (p[1] == 'x' || p[1] == 'X') && p + 2 != end &&
      (IsHexDigit(p[2]) || (p[2] == '.' && p + 3 != end && IsHexDigit(p[3])))) {
    return false;
  }
  const char* int_end = SkipDigits(p, end);
  bool digits = int_end != p;
  p = int_end;
  if (p != end && *p == '.') {
    const char* frac_end = SkipDigits(p + 1, end);
    digits = digits || frac_end != p + 1;
    p = frac_end;
  }
  if (!digits) return false;
  const char* number_end = p;
  // An exponent mark is consumed with its sign even when no digit follows;
  // the number then ends before the mark.
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p != end && (*p == '+' || *p == '-')) ++p;
    const char* exp_end = SkipDigits(p, end);
    if (exp_end != p) number_end = exp_end;
    p = exp_end;
  }
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(body, number_end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Beyond the range of a double: a number too small rounds as strtod
    // rounds it (to a subnormal or zero); one too large is refused.
    std::string token(body, number_end);
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    value = strtod_l(token.c_str(), nullptr, c_locale);
    if (std::isinf(value)) return false;
  } else if (ec != std::errc() || ptr != number_end) {
    return false;
  }
  if (*start == '-') value = -value;
  out = value;
  c.p = p;
  return true;
}

bool Int(Cursor& c, std::int32_t& out) {
  SkipSpace(c);
  const char* end = TextEnd(c);
  const char* p = c.p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* digits_end = SkipDigits(p, end);
  if (digits_end == p) return false;
  std::int64_t value = 0;
  for (const char* d = p; d != digits_end; ++d) {
    value = value * 10 + (*d - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return false;
  out = static_cast<std::int32_t>(value);
  c.p = digits_end;
  return true;
}

bool Char(Cursor& c, char& out) {
  if (AtEnd(c)) return false;
  out = *c.p++;
  return true;
}

bool Word(Cursor& c, std::string& out) {
  SkipSpace(c);
  if (AtEnd(c)) return false;
  const char* start = c.p;
  while (!AtEnd(c) && !IsSpace(*c.p)) ++c.p;
  out.assign(start, c.p);
  return true;
}

}  // namespace oru::cscan
