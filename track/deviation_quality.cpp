#include "track/deviation_quality.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "track/statistics.h"

namespace oru {

DeviationQuality SummariseDeviations(std::vector<double> deviations) {
  const auto n = static_cast<std::int64_t>(deviations.size());
  if (n == 0) return {};
  double sum = 0.0;
  double squares = 0.0;
  for (double d : deviations) {
    sum += d;
    squares += d * d;
  }
  DeviationQuality q;
  q.mean = sum / static_cast<double>(n);
  q.rms = std::sqrt(squares / static_cast<double>(n));
  // Nearest rank: ceil(95 n / 100) in whole numbers, 1-based.
  const std::int64_t rank = (95 * n + 99) / 100;
  const auto at = deviations.begin() + (rank - 1);
  std::nth_element(deviations.begin(), at, deviations.end(), [](double x, double y) {
    if (std::isnan(x)) return false;  // NaN ranks last
    return std::isnan(y) || x < y;
  });
  q.p95 = *at;
  return q;
}

QualityTexts FormatQuality(const DeviationQuality& quality) {
  return {FormatFixed(quality.mean, 7), FormatFixed(quality.rms, 7), FormatFixed(quality.p95, 7)};
}

}  // namespace oru
