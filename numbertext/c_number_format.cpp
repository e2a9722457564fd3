#include "numbertext/c_number_format.h"

#include <bit>
#include <cassert>
#include <charconv>
#include <cstring>
#include <vector>

namespace oru::cfmt {
namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL};
constexpr int kMaxShortPrecision = 17;

// The value scaled by 10^precision and rounded half to even, computed exactly
// from the binary value m * 2^e, when it fits in 64 bits (the short path that
// coordinates, seconds and hundredths always take). False when it does not.
bool ScaledRounded(std::uint64_t m, int e, int precision, std::uint64_t& n) {
  if (m == 0) {
    n = 0;
    return true;
  }
  const Uint128 scale = kPow10[precision];
  if (e >= 0) {
    if (e > 10) return false;  // value >= 2^63
    const Uint128 x = static_cast<Uint128>(m << e) * scale;
    if ((x >> 64) != 0) return false;
    n = static_cast<std::uint64_t>(x);
    return true;
  }
  const int k = -e;
  // m * 10^precision < 2^53 * 2^57 = 2^110: below half a unit once k >= 112.
  if (k >= 112) {
    n = 0;
    return true;
  }
  const Uint128 x = static_cast<Uint128>(m) * scale;
  Uint128 q = x >> k;
  const Uint128 r = x - (q << k);
  const Uint128 half = static_cast<Uint128>(1) << (k - 1);
  if (r > half || (r == half && (q & 1) != 0)) ++q;
  if ((q >> 64) != 0) return false;
  n = static_cast<std::uint64_t>(q);
  return true;
}

void Pad(std::string& out, std::size_t length, int width, char fill) {
  if (width > 0 && length < static_cast<std::size_t>(width)) {
    out.append(static_cast<std::size_t>(width) - length, fill);
  }
}

// Unpadded text of any precision: on the stack up to kMaxTextPrecision
// decimals, on the heap beyond.
class FixedBuffer {
 public:
  FixedBuffer(double value, int precision) {
    if (precision <= kMaxTextPrecision) {
      length_ = FixedText(stack_, value, precision);
      text_ = stack_;
      return;
    }
    heap_.resize(kFixedTextSize + static_cast<std::size_t>(precision));
    const auto result = std::to_chars(heap_.data(), heap_.data() + heap_.size(), value,
                                      std::chars_format::fixed, precision);
    assert(result.ec == std::errc());
    length_ = static_cast<std::size_t>(result.ptr - heap_.data());
    text_ = heap_.data();
  }
  const char* data() const { return text_; }
  std::size_t size() const { return length_; }

 private:
  char stack_[kFixedTextSize];
  std::vector<char> heap_;
  const char* text_ = nullptr;
  std::size_t length_ = 0;
};

}  // namespace

std::size_t FixedText(char* buffer, double value, int precision) {
  assert(precision >= 0 && precision <= kMaxTextPrecision);
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  char* p = buffer;
  if (negative) *p++ = '-';
  if (biased_exponent == 0x7ff) {
    std::memcpy(p, m != 0 ? "nan" : "inf", 3);
    return static_cast<std::size_t>(p + 3 - buffer);
  }
  int e = -1074;  // subnormal: m * 2^-1074
  if (biased_exponent != 0) {
    m |= std::uint64_t{1} << 52;
    e = biased_exponent - 1075;
  }
  std::uint64_t n = 0;
  if (precision > kMaxShortPrecision || !ScaledRounded(m, e, precision, n)) {
    const auto result = std::to_chars(buffer, buffer + kFixedTextSize, value,
                                      std::chars_format::fixed, precision);
    assert(result.ec == std::errc());
    return static_cast<std::size_t>(result.ptr - buffer);
  }
  char digits[20];
  const auto len = static_cast<int>(std::to_chars(digits, digits + sizeof digits, n).ptr - digits);
  if (precision == 0) {
    std::memcpy(p, digits, static_cast<std::size_t>(len));
    p += len;
  } else if (len > precision) {
    const int whole = len - precision;
    std::memcpy(p, digits, static_cast<std::size_t>(whole));
    p += whole;
    *p++ = '.';
    std::memcpy(p, digits + whole, static_cast<std::size_t>(precision));
    p += precision;
  } else {
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', static_cast<std::size_t>(precision - len));
    p += precision - len;
    std::memcpy(p, digits, static_cast<std::size_t>(len));
    p += len;
  }
  return static_cast<std::size_t>(p - buffer);
}

void Fixed(std::string& out, double value, int width, int precision) {
  const FixedBuffer text(value, precision);
  Pad(out, text.size(), width, ' ');
  out.append(text.data(), text.size());
}

void FixedZeroPadded(std::string& out, double value, int width, int precision) {
  const FixedBuffer text(value, precision);
  const char* digits = text.data();
  std::size_t length = text.size();
  const bool finite = !(digits[length - 1] == 'f' || digits[length - 1] == 'n');
  if (!finite) {
    Pad(out, length, width, ' ');
    out.append(digits, length);
    return;
  }
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
  char buffer[24];
  char* p = buffer;
  if (blank_sign && value >= 0) *p++ = ' ';
  p = std::to_chars(p, buffer + sizeof buffer, value).ptr;
  out.append(buffer, p);
}

}  // namespace oru::cfmt
