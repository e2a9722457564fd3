#include "numbertext/c_number_scan.h"

#include <locale.h>
#include <stdlib.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

namespace oru::cscan {
namespace {

// The short-number path below relies on every double operation being
// rounded once, to double; x87 excess precision would break it.
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must be evaluated in double");

inline bool IsDigit(char ch) { return static_cast<unsigned char>(ch - '0') < 10; }

// Powers of ten that a double holds exactly.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPow10 = 22;
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// The value of a number body (digits with an optional point and an optional
// complete exponent, no sign) by the C library's strtod in the "C" locale;
// used only for numbers beyond the range of a double.
double StrtodC(const char* body, const char* body_end) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string token(body, body_end);
  return strtod_l(token.c_str(), nullptr, c_locale);
}

}  // namespace

void SkipSpace(Cursor& c) {
  while (c.p != c.end && IsSpace(*c.p)) ++c.p;
}

bool Literal(Cursor& c, char expected) {
  if (c.p == c.end || *c.p != expected) return false;
  ++c.p;
  return true;
}

bool Double(Cursor& c, double& out) {
  const char* p = c.p;
  const char* const end = c.end;
  while (p != end && IsSpace(*p)) ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const body = p;
  if (p != end) {
    // glibc reads "nan", "inf", "infinity" and "0x..." as special values and
    // hexadecimal numbers (or fails on a prefix of them); refuse them all.
    const char lower = static_cast<char>(*p | 0x20);
    if (lower == 'n' || lower == 'i') return false;
    if (*p == '0' && p + 1 != end && (p[1] | 0x20) == 'x') return false;
  }

  // Digits before and after the point. Leading zeros are skipped; the
  // significant digits are gathered into a 64-bit mantissa, which is only
  // used when there are at most 19 of them (longer numbers go to the
  // general conversion, which reads the text again).
  std::uint64_t mantissa = 0;
  const char* const int_begin = p;
  while (p != end && *p == '0') ++p;
  const char* const int_significant = p;
  for (; p != end && IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  std::int64_t significant = p - int_significant;
  bool any_digit = p != int_begin;
  std::int64_t exponent10 = 0;  // decimal exponent of the last gathered digit
  if (p != end && *p == '.') {
    ++p;
    const char* const frac_begin = p;
    if (significant == 0) {
      while (p != end && *p == '0') ++p;
    }
    const char* const frac_significant = p;
    for (; p != end && IsDigit(*p); ++p) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    significant += p - frac_significant;
    exponent10 = -(p - frac_begin);
    any_digit = any_digit || p != frac_begin;
  }
  if (!any_digit) return false;
  const char* number_end = p;

  // Exponent: the mark, and a sign right after it, are consumed even when no
  // digit follows; the number then ends before the mark.
  if (p != end && (*p | 0x20) == 'e') {
    ++p;
    bool exp_negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
      exp_negative = *p == '-';
      ++p;
    }
    const char* const exp_digits = p;
    // Saturates far beyond any exponent that a text in memory could bring
    // back into the range of a double; the general conversion decides.
    constexpr std::int64_t kExponentLimit = 1000000000000000;
    std::int64_t explicit_exponent = 0;
    for (; p != end && IsDigit(*p); ++p) {
      if (explicit_exponent < kExponentLimit) {
        explicit_exponent = explicit_exponent * 10 + (*p - '0');
      }
    }
    if (p != exp_digits) {
      number_end = p;
      exponent10 += exp_negative ? -explicit_exponent : explicit_exponent;
    }
  }

  double value = 0.0;
  if (significant == 0) {
    value = 0.0;
  } else if (significant <= 19 && mantissa <= kMaxExactMantissa && exponent10 >= -kMaxExactPow10 &&
             exponent10 <= kMaxExactPow10) {
    // Both operands are exact doubles, so one IEEE multiplication or
    // division rounds the exact decimal value correctly (Clinger 1990).
    const double m = static_cast<double>(mantissa);
    value = exponent10 < 0 ? m / kExactPow10[-exponent10] : m * kExactPow10[exponent10];
  } else {
    const auto [ptr, ec] =
        std::from_chars(body, number_end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
      value = StrtodC(body, number_end);
      if (std::isinf(value)) return false;  // too large for a double
    } else if (ec != std::errc() || ptr != number_end) {
      return false;
    }
  }
  out = negative ? -value : value;
  c.p = p;
  return true;
}

bool Int(Cursor& c, std::int32_t& out) {
  const char* p = c.p;
  const char* const end = c.end;
  while (p != end && IsSpace(*p)) ++p;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const digits = p;
  // Saturates just past the 32-bit range, so that long runs of digits cannot
  // overflow.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; p != end && IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > kLimit) value = kLimit + 1;
  }
  if (p == digits) return false;
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  out = static_cast<std::int32_t>(value);
  c.p = p;
  return true;
}

bool Char(Cursor& c, char& out) {
  if (c.p == c.end || *c.p == '\0') return false;
  out = *c.p++;
  return true;
}

bool Word(Cursor& c, std::string& out) {
  Cursor w = c;
  SkipSpace(w);
  const char* const start = w.p;
  while (w.p != w.end && *w.p != '\0' && !IsSpace(*w.p)) ++w.p;
  if (w.p == start) return false;
  out.assign(start, w.p);
  c = w;
  return true;
}

}  // namespace oru::cscan
