#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oru {

// Conversions of the selection value (the text of the main window's Edit1 or
// the batch command's option). The point is the decimal separator whatever
// the locale; blanks around the number are allowed.

// A real number: optional sign, digits with an optional point, optional
// exponent. No comma, no "nan"/"inf", nothing beyond the range of a double.
std::optional<double> ParseMaximumDeviation(std::string_view text);

// A whole number in the signed 32-bit range: optional sign, decimal digits.
std::optional<std::int32_t> ParseNumberOfPoints(std::string_view text);

// The texts with which a failed conversion is reported, quoting the input:
// "'10,5' is not a valid floating point value", "'2.5' is not a valid integer
// value".
std::string NotAFloatMessage(std::string_view text);
std::string NotAnIntegerMessage(std::string_view text);

}  // namespace oru
