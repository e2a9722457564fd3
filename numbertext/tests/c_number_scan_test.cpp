// The scanner against glibc's own sscanf (the tests run in the "C" locale):
// same success, same value to the bit, same characters consumed (read back
// with %n), on tables of adversarial texts and on generated ones.
#include "numbertext/c_number_scan.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "numbertext/tests/text_test_support.h"

namespace oru::cscan {
namespace {

using oru::testing::SameBits;
using oru::testing::Show;

struct DoubleScan {
  bool ok = false;
  double value = 0.0;
  std::ptrdiff_t consumed = 0;
};

DoubleScan OursDouble(std::string_view text) {
  Cursor c{text.data(), text.data() + text.size()};
  DoubleScan s;
  s.ok = Double(c, s.value);
  s.consumed = c.p - text.data();
  return s;
}

// sscanf sees the text up to its first NUL, as a C string.
DoubleScan GlibcDouble(std::string_view text) {
  const std::string c_text(text);
  DoubleScan s;
  int n = -1;
  s.ok = std::sscanf(c_text.c_str(), "%lf%n", &s.value, &n) == 1;
  s.consumed = n;
  return s;
}

// The body of the number that a %lf at the start of `text` would read: after
// white space and an optional sign.
std::string_view NumberBody(std::string_view text) {
  std::size_t k = 0;
  while (k < text.size() && text[k] != '\0' && IsSpace(text[k])) ++k;
  if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
  return text.substr(k);
}

bool IsHexadecimal(std::string_view text) {
  const std::string_view body = NumberBody(text);
  return body.size() >= 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X');
}

// Checks one text: identical to sscanf, except for the documented refusals
// (glibc's non-finite values and hexadecimal numbers), where ours fails.
void ExpectDoubleLikeGlibc(std::string_view text) {
  const DoubleScan glibc = GlibcDouble(text);
  const DoubleScan ours = OursDouble(text);
  if (glibc.ok && (!std::isfinite(glibc.value) || IsHexadecimal(text))) {
    EXPECT_FALSE(ours.ok) << "deliberate refusal of [" << Show(text) << "]";
    return;
  }
  ASSERT_EQ(ours.ok, glibc.ok) << "[" << Show(text) << "]";
  if (!ours.ok) return;
  EXPECT_TRUE(SameBits(ours.value, glibc.value))
      << "[" << Show(text) << "] ours " << ours.value << " glibc " << glibc.value;
  EXPECT_EQ(ours.consumed, glibc.consumed) << "[" << Show(text) << "]";
}

struct IntScan {
  bool ok = false;
  std::int32_t value = 0;
  std::ptrdiff_t consumed = 0;
};

IntScan OursInt(std::string_view text) {
  Cursor c{text.data(), text.data() + text.size()};
  IntScan s;
  s.ok = Int(c, s.value);
  s.consumed = c.p - text.data();
  return s;
}

void ExpectIntLikeGlibc(std::string_view text) {
  const std::string c_text(text);
  int value = 0;
  long wide = 0;
  int n = -1;
  int n_wide = -1;
  const bool glibc_ok = std::sscanf(c_text.c_str(), "%d%n", &value, &n) == 1;
  // %ld consumes as %d does and shows whether the number fits 32 bits.
  std::sscanf(c_text.c_str(), "%ld%n", &wide, &n_wide);
  ASSERT_EQ(n, n_wide);
  const IntScan ours = OursInt(text);
  if (glibc_ok && (wide < INT32_MIN || wide > INT32_MAX)) {
    EXPECT_FALSE(ours.ok) << "deliberate refusal of [" << Show(text) << "]";
    return;
  }
  ASSERT_EQ(ours.ok, glibc_ok) << "[" << Show(text) << "]";
  if (!ours.ok) return;
  EXPECT_EQ(ours.value, value) << "[" << Show(text) << "]";
  EXPECT_EQ(ours.consumed, n) << "[" << Show(text) << "]";
}

void ExpectCharLikeGlibc(std::string_view text) {
  const std::string c_text(text);
  char value = 0;
  int n = -1;
  const bool glibc_ok = std::sscanf(c_text.c_str(), "%c%n", &value, &n) == 1;
  Cursor c{text.data(), text.data() + text.size()};
  char ours = 0;
  ASSERT_EQ(Char(c, ours), glibc_ok) << "[" << Show(text) << "]";
  if (!glibc_ok) return;
  EXPECT_EQ(ours, value);
  EXPECT_EQ(c.p - text.data(), n);
}

void ExpectWordLikeGlibc(std::string_view text) {
  const std::string c_text(text);
  std::vector<char> value(c_text.size() + 1);
  int n = -1;
  const bool glibc_ok = std::sscanf(c_text.c_str(), "%s%n", value.data(), &n) == 1;
  Cursor c{text.data(), text.data() + text.size()};
  std::string ours;
  ASSERT_EQ(Word(c, ours), glibc_ok) << "[" << Show(text) << "]";
  if (!glibc_ok) return;
  EXPECT_EQ(ours, std::string(value.data()));
  EXPECT_EQ(c.p - text.data(), n);
}

// A blank of a pattern, then a literal comma: " ,%n".
void ExpectBlankCommaLikeGlibc(std::string_view text) {
  const std::string c_text(text);
  int n = -1;
  std::sscanf(c_text.c_str(), " ,%n", &n);
  Cursor c{text.data(), text.data() + text.size()};
  SkipSpace(c);
  const bool ours = Literal(c, ',');
  ASSERT_EQ(ours, n >= 0) << "[" << Show(text) << "]";
  if (ours) {
    EXPECT_EQ(c.p - text.data(), n);
  }
}

// ---------------------------------------------------------------------------
// Tables of adversarial texts.

using namespace std::string_view_literals;

const std::vector<std::string_view> kDoubleTexts = {
    // Plain forms and white space.
    "0", "-0", "+0", "0.0", "-0.0", "52.123456", "  \t\r\n\v\f4.5", ".5", "5.", "-.5", "+5.",
    "00012.500", "1.5.3", "1,5", "12abc", "\x80" "5",
    // Exponents, dangling exponents (glibc consumes the mark and its sign).
    "1e5", "1E5", "1e+5", "1e-5", "1.e5", ".5e1", "1e", "1E", "1e+", "1e-", "1e-+5", "1e+-5",
    "1ee5", "1e5.3", "1e5e3", "1.5e", "-1e", "1e 5", "1E+x", ".e5", "e5", "+e5", "-.e",
    // Signs and points alone.
    "", "+", "-", ".", "+.", "-.", "+-1", "--1", "++1", " ", "\t",
    // NUL bytes end the text.
    "\0" "5"sv, "1\0" "5"sv, "1e\0" "5"sv, "1.\0" "5"sv, "-\0" "1"sv,
    // Range: the largest double, just beyond it, subnormals, underflow.
    "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "1e308",
    "1e309", "-1e309", "2.2250738585072014e-308", "2.2250738585072011e-308", "4.9e-324",
    "4.9406564584124654e-324", "2.4703282292062328e-324", "2.4703282292062327e-324",
    "1e-324", "-1e-400", "1e-99999", "1e99999", "0e999999999999999999", "0.0e-99999999999",
    "1e0000000000000000000000005", "1e-0000000000000000000000005",
    // Short path boundaries: 2^53, 10^22, 10^23, 19 and 20 significant digits.
    "9007199254740992", "9007199254740993", "9007199254740993.0", "1e22", "1e23", "1e-22",
    "1e-23", "123456789012345678e4", "1234567890123456789", "12345678901234567890",
    "0.1234567890123456789", "0.12345678901234567890123", "00000000000000000000000000001",
    "0.000000000000000000000000000001", "1000000000000000000000000000000e-30",
    // Ties to even in the decimal-to-binary rounding.
    "9007199254740993e0", "9007199254740995", "1.00000000000000011102230246251565404236316680908203125",
    "1.00000000000000011102230246251565404236316680908203124",
    "1.00000000000000011102230246251565404236316680908203126",
    // Refused deliberately: special values and hexadecimal numbers.
    "nan", "NAN", "-nan", "nan(123)", "NaNN", "inf", "-INF", "infinity", "+Infinity", "infin",
    "in", "na", "n", "i", "0x1p3", "-0x10", "0X.8", "0x", "0xg", "0x.", "00x5",
};

TEST(ScanDouble, AdversarialTextsMatchSscanf) {
  for (const std::string_view text : kDoubleTexts) ExpectDoubleLikeGlibc(text);
}

TEST(ScanDouble, FailureLeavesTheCursorWhereItWas) {
  for (const std::string_view text : {"  x"sv, " -"sv, " inf"sv, " 0x5"sv, " 1e999"sv}) {
    const DoubleScan s = OursDouble(text);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.consumed, 0) << text;
  }
}

const std::vector<std::string_view> kIntTexts = {
    "0", "-0", "+0", "7", "-52", "  \t 12a", "007", "12.5", "1e5", "0x5", "", " ", "+", "-",
    "+-3", "--3", "\0" "5"sv, "1\0" "5"sv,
    // The 32-bit boundaries; beyond them ours refuses.
    "2147483647", "-2147483648", "2147483648", "-2147483649", "4294967296", "4294967297",
    "99999999999", "-99999999999999999999999", "0000000000000000000000000000001",
    "0000000000000000000000002147483647",
};

TEST(ScanInt, AdversarialTextsMatchSscanf) {
  for (const std::string_view text : kIntTexts) ExpectIntLikeGlibc(text);
}

TEST(ScanCharWordLiteral, AdversarialTextsMatchSscanf) {
  for (const std::string_view text :
       {"a"sv, " a"sv, "\n"sv, ""sv, "\0"sv, "\0a"sv, "\xff"sv, ",x"sv, " \t,"sv, " x,"sv,
        "  "sv, "word rest"sv, "  w\0ord"sv, "\r\nEUR-M\r\n"sv}) {
    ExpectCharLikeGlibc(text);
    ExpectWordLikeGlibc(text);
    ExpectBlankCommaLikeGlibc(text);
  }
}

// ---------------------------------------------------------------------------
// Exact decimal texts at the hardest places: halfway between two doubles,
// and a hair above or below. glibc prints the exact decimal value of a long
// double, which holds the midpoint of two doubles exactly.

std::string ExactDecimal(long double value) {
  char buffer[2000];
  std::snprintf(buffer, sizeof buffer, "%.1100Le", value);
  std::string text(buffer);
  // Drop trailing zeros of the mantissa so that texts stay short where they
  // can.
  const std::size_t e = text.find('e');
  std::size_t last = e;
  while (last > 0 && text[last - 1] == '0') --last;
  if (text[last - 1] == '.') --last;
  return text.substr(0, last) + text.substr(e);
}

std::string WithDigitBeforeExponent(const std::string& text, char digit) {
  const std::size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  if (mantissa.find('.') == std::string::npos) mantissa += '.';
  return mantissa + std::string(30, '0') + digit + text.substr(e);
}

TEST(ScanDouble, MidpointsBetweenDoublesRoundToEvenLikeSscanf) {
  std::mt19937_64 random(20240611);
  std::vector<double> anchors = {1.0,     0.1,          5e-324,   2.2250738585072014e-308,
                                 DBL_MAX, 9007199254740992.0, 1e22, 1e23,
                                 4.3,     52.123456};
  for (int k = 0; k < 300; ++k) {
    std::uint64_t bits = random() & 0x7fefffffffffffffULL;  // finite, positive
    double d = 0.0;
    std::memcpy(&d, &bits, sizeof d);
    anchors.push_back(d);
  }
  for (const double d : anchors) {
    // Half a unit in the last place above d; above the largest double the
    // unit is that of the largest double, and the midpoint rounds to
    // infinity.
    const double next = std::nextafter(d, INFINITY);
    const long double ulp = std::isinf(next) ? static_cast<long double>(d) - std::nextafter(d, 0.0)
                                             : static_cast<long double>(next) - d;
    const long double mid = static_cast<long double>(d) + ulp / 2;
    const std::string exact = ExactDecimal(mid);
    ExpectDoubleLikeGlibc(exact);
    ExpectDoubleLikeGlibc("-" + exact);
    ExpectDoubleLikeGlibc(WithDigitBeforeExponent(exact, '1'));
    ExpectDoubleLikeGlibc(ExactDecimal(static_cast<long double>(d)));
    char shortest[40];
    std::snprintf(shortest, sizeof shortest, "%.17g", d);
    ExpectDoubleLikeGlibc(shortest);
    std::snprintf(shortest, sizeof shortest, "%.6f", d);
    ExpectDoubleLikeGlibc(shortest);
  }
}

// ---------------------------------------------------------------------------
// Generated texts.

// A number-like text: sign, digits, point, digits, exponent, in every
// combination and with some pieces missing, long or odd.
std::string NumberLike(std::mt19937_64& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto digits = [&](int count) {
    std::string s;
    for (int k = 0; k < count; ++k) s.push_back(static_cast<char>('0' + pick(10)));
    return s;
  };
  std::string s;
  const char* const signs[] = {"", "", "", "-", "+", "--", "+-"};
  s += signs[pick(7)];
  const int shape = pick(10);
  const int int_digits = shape == 0 ? 25 + pick(400) : pick(8);
  if (pick(4) == 0) s += std::string(static_cast<std::size_t>(pick(30)), '0');
  s += digits(int_digits);
  if (pick(3) != 0) {
    s += '.';
    s += digits(shape == 1 ? 25 + pick(400) : pick(10));
  }
  if (pick(3) == 0) {
    s += pick(2) != 0 ? 'e' : 'E';
    const char* const exp_signs[] = {"", "+", "-", "+-", "-+"};
    s += exp_signs[pick(5)];
    const int exp_shape = pick(6);
    if (exp_shape == 0) {
      s += std::to_string(290 + pick(40));
    } else if (exp_shape == 1) {
      s += digits(8 + pick(20));
    } else {
      s += digits(pick(4));
    }
  }
  return s;
}

std::string RandomText(std::mt19937_64& random, std::size_t length) {
  static constexpr std::string_view kAlphabet =
      "0123456789000111+-+-..eeEE  \t\r\nNSEWnsewxXiIaAfF,\0"sv;
  std::string s;
  for (std::size_t k = 0; k < length; ++k) s.push_back(kAlphabet[random() % kAlphabet.size()]);
  return s;
}

TEST(ScanGenerated, NumberLikeTextsMatchSscanf) {
  std::mt19937_64 random(7);
  for (int k = 0; k < 40000; ++k) {
    std::string text = NumberLike(random);
    if (random() % 3 == 0) text = RandomText(random, random() % 4) + text;
    if (random() % 2 == 0) text += RandomText(random, random() % 6);
    ExpectDoubleLikeGlibc(text);
    ExpectIntLikeGlibc(text);
    if (HasFatalFailure()) return;
  }
}

TEST(ScanGenerated, RandomTextsMatchSscanf) {
  std::mt19937_64 random(11);
  for (int k = 0; k < 40000; ++k) {
    const std::string text = RandomText(random, random() % 12);
    ExpectDoubleLikeGlibc(text);
    ExpectIntLikeGlibc(text);
    ExpectCharLikeGlibc(text);
    ExpectWordLikeGlibc(text);
    ExpectBlankCommaLikeGlibc(text);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace oru::cscan
