#include "cli/curve_outputs.h"

#include <charconv>

namespace oru {
namespace {

template <typename T>
void Append(std::string& out, T value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;  // 32 characters hold any double and any 64-bit integer
  out.append(buffer, end);
}

}  // namespace

std::string CurveCsv(const std::vector<CurvePoint>& curve) {
  std::string text = "points,largest_deviation_m,length_m\n";
  text.reserve(text.size() + curve.size() * 40);
  for (const CurvePoint& c : curve) {
    Append(text, c.count);
    text.push_back(',');
    Append(text, c.largest_deviation);
    text.push_back(',');
    Append(text, c.new_length);
    text.push_back('\n');
  }
  return text;
}

}  // namespace oru
