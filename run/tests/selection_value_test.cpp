#include "run/selection_value.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace oru {
namespace {

struct RealRow {
  const char* text;
  bool ok;
  double value;
};

TEST(ParseMaximumDeviation, AcceptsPointDecimalsOnly) {
  const RealRow rows[] = {
      {"10", true, 10.0},      {"2.5", true, 2.5},       {" 2.5 ", true, 2.5},
      {"-1", true, -1.0},      {"+0.25", true, 0.25},    {".5", true, 0.5},
      {"5.", true, 5.0},       {"1e3", true, 1000.0},    {"1E-2", true, 0.01},
      {"1e-400", true, 0.0},   {"0", true, 0.0},         {"-0", true, -0.0},
      {"10,5", false, 0},      {"", false, 0},           {" ", false, 0},
      {"1 0", false, 0},       {"abc", false, 0},        {"1e", false, 0},
      {"1e+", false, 0},       {"--1", false, 0},        {"+-1", false, 0},
      {".", false, 0},         {"nan", false, 0},        {"inf", false, 0},
      {"1e400", false, 0},     {"0x10", false, 0},       {"10m", false, 0},
      {"\t10", false, 0},
  };
  for (const RealRow& row : rows) {
    const auto value = ParseMaximumDeviation(row.text);
    ASSERT_EQ(value.has_value(), row.ok) << '"' << row.text << '"';
    if (row.ok) {
      EXPECT_EQ(*value, row.value) << row.text;
      EXPECT_EQ(std::signbit(*value), std::signbit(row.value)) << row.text;
    }
  }
}

TEST(ParseMaximumDeviation, IgnoresACommaDecimalLocale) {
  const char* const locales[] = {"de_DE.UTF-8", "nl_NL.UTF-8", "de_DE", "nl_NL"};
  const char* chosen = nullptr;
  for (const char* name : locales) {
    if (std::setlocale(LC_ALL, name)) {
      chosen = name;
      break;
    }
  }
  if (!chosen) GTEST_SKIP() << "no comma-decimal locale installed";
  EXPECT_EQ(ParseMaximumDeviation("10.5"), 10.5);
  EXPECT_FALSE(ParseMaximumDeviation("10,5").has_value());
  std::setlocale(LC_ALL, "C");
}

TEST(ParseNumberOfPoints, AcceptsSigned32BitWholeNumbers) {
  struct Row {
    const char* text;
    bool ok;
    std::int32_t value;
  } rows[] = {
      {"10", true, 10},
      {" 10 ", true, 10},
      {"+7", true, 7},
      {"-3", true, -3},
      {"0", true, 0},
      {"2147483647", true, std::numeric_limits<std::int32_t>::max()},
      {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
      // Outside the signed 32-bit range is a conversion error, not a wrap.
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999", false, 0},
      {"2.5", false, 0},
      {"1e3", false, 0},
      {"", false, 0},
      {"+-1", false, 0},
      {"- 1", false, 0},
      {"10 points", false, 0},
  };
  for (const Row& row : rows) {
    const auto value = ParseNumberOfPoints(row.text);
    ASSERT_EQ(value.has_value(), row.ok) << '"' << row.text << '"';
    if (row.ok) {
      EXPECT_EQ(*value, row.value) << row.text;
    }
  }
}

}  // namespace
}  // namespace oru
