#include "run/selection_value.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace oru {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Length of the run of digits at the start of `text`.
std::size_t DigitRun(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

// True when `text` is exactly [+-] digits [. digits] [(e|E) [+-] digits] with
// at least one mantissa digit.
bool IsDecimalNumber(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  std::size_t digits = DigitRun(text);
  text.remove_prefix(digits);
  if (!text.empty() && text.front() == '.') {
    text.remove_prefix(1);
    const std::size_t fraction = DigitRun(text);
    digits += fraction;
    text.remove_prefix(fraction);
  }
  if (digits == 0) return false;
  if (text.empty()) return true;
  if (text.front() != 'e' && text.front() != 'E') return false;
  text.remove_prefix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  const std::size_t exponent = DigitRun(text);
  return exponent > 0 && exponent == text.size();
}

std::string QuotedWithReason(std::string_view text, std::string_view reason) {
  std::string message;
  message.reserve(text.size() + reason.size() + 1);
  message.push_back('\'');
  message.append(text);
  message.append(reason);
  return message;
}

}  // namespace

std::optional<double> ParseMaximumDeviation(std::string_view text) {
  text = TrimBlanks(text);
  if (!IsDecimalNumber(text)) return std::nullopt;
  const bool negative = text.front() == '-';
  if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too small rounds to zero; too large is no number of metres.
    const auto e = text.find_first_of("eE");
    if (e == std::string_view::npos || text.substr(e + 1).front() != '-') return std::nullopt;
    value = 0.0;
  } else if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::optional<std::int32_t> ParseNumberOfPoints(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string NotAFloatMessage(std::string_view text) {
  return QuotedWithReason(text, "' is not a valid floating point value");
}

std::string NotAnIntegerMessage(std::string_view text) {
  return QuotedWithReason(text, "' is not a valid integer value");
}

}  // namespace oru
