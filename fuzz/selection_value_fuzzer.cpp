// Fuzz target: the conversions of the selection value never crash, and a
// value they accept is finite and survives a round trip through its text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "run/selection_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto deviation = oru::ParseMaximumDeviation(text)) {
    if (!std::isfinite(*deviation)) std::abort();
  }
  if (const auto points = oru::ParseNumberOfPoints(text)) {
    if (oru::ParseNumberOfPoints(std::to_string(*points)) != points) std::abort();
  }
  oru::NotAFloatMessage(text);
  oru::NotAnIntegerMessage(text);
  return 0;
}
