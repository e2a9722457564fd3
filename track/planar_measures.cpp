#include "track/planar_measures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace oru {
namespace {

constexpr double kPi = std::numbers::pi;

// Direction of the difference vector (d1, d2), radians in [-pi, pi], measured
// from the second axis towards the first. A NaN direction (a NaN difference)
// becomes -pi/2 for a negative first difference and +pi/2 otherwise.
double Direction(double d1, double d2) {
  const double alpha = std::atan2(d1, d2);
  if (std::isnan(alpha)) return d1 < 0.0 ? -kPi / 2.0 : kPi / 2.0;
  return alpha;
}

}  // namespace

double PlanarDeviation(double a1, double a2, double b1, double b2, double p1, double p2) {
  const double dAP = std::sqrt((p1 - a1) * (p1 - a1) + (p2 - a2) * (p2 - a2));
  if (p1 == a1 && p2 == a2) return 0.0;
  if (p1 == b1 && p2 == b2) return 0.0;
  if (a1 == b1 && a2 == b2) return dAP;

  const double alphaAB = Direction(b1 - a1, b2 - a2);
  const double alphaAP = Direction(p1 - a1, p2 - a2);
  double delta = std::fabs(alphaAB - alphaAP);
  if (delta >= kPi) delta = 2.0 * kPi - delta;
  const double h = std::sin(delta) * dAP;

  // Between the two perpendiculars through the end points the deviation is
  // the distance from the line; beyond them the nearer end point is nearer
  // than any point of the segment's line.
  const bool past_a = (p1 - a1) * (b1 - a1) + (p2 - a2) * (b2 - a2) >= 0.0;
  const bool before_b = (p1 - b1) * (a1 - b1) + (p2 - b2) * (a2 - b2) >= 0.0;
  if (past_a && before_b) return h;
  return PlanarEndDistance(a1, a2, b1, b2, p1, p2);
}

double PlanarEndDistance(double a1, double a2, double b1, double b2, double p1, double p2) {
  const double dA = std::sqrt((p1 - a1) * (p1 - a1) + (p2 - a2) * (p2 - a2));
  const double dB = std::sqrt((p1 - b1) * (p1 - b1) + (p2 - b2) * (p2 - b2));
  return dA < dB ? dA : dB;
}

double PlanarLineLength(std::span<const double> first, std::span<const double> second,
                        std::int64_t m) {
  const auto points = static_cast<std::size_t>(std::clamp<std::int64_t>(
      m, 0, static_cast<std::int64_t>(std::min(first.size(), second.size()))));
  // The terms of a block are formed side by side (they are independent), the
  // sum is taken one term at a time in point order.
  constexpr std::size_t kBlock = 256;
  double terms[kBlock];
  double length = 0.0;
  for (std::size_t i = 0; i + 1 < points; i += kBlock) {
    const std::size_t m_block = std::min(kBlock, points - 1 - i);
    const double* x = first.data() + i;
    const double* y = second.data() + i;
    for (std::size_t k = 0; k < m_block; ++k) {
      terms[k] = PlanarSegmentLength(x[k], y[k], x[k + 1], y[k + 1]);
    }
    for (std::size_t k = 0; k < m_block; ++k) length += terms[k];
  }
  return length;
}

}  // namespace oru
