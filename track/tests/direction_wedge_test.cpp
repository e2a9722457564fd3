#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "track/direction_wedge.h"

namespace oru {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The directions a wedge admits, sampled: every tenth of a degree, and
// just outside the arc of a point (angle phi, half-width alpha), where
// narrowing by that point would show first.
std::vector<bool> Admitted(const DirectionWedge& wedge, double phi, double alpha) {
  std::vector<double> angles;
  for (int k = 0; k < 3600; ++k) angles.push_back(2.0 * kPi * k / 3600.0);
  for (double delta : {1e-9, 1e-7, 1e-5, 1e-3}) {
    angles.push_back(phi + alpha + delta);
    angles.push_back(phi - alpha - delta);
  }
  std::vector<bool> admitted;
  for (double a : angles) admitted.push_back(wedge.MayContain(std::cos(a), std::sin(a)));
  return admitted;
}

// Holds, which spares a narrowing its square root, against Constrain: a
// point it says holds the wedge leaves every sampled direction as it was.
// Two kinds of trial, in turn:
//   - wedges of random width and heading (narrowed by one to four points),
//     and a point about them, from barely beyond its tolerance to far
//     beyond, so that both answers are common;
//   - a wedge of one point and a second point whose arc ends within 10^-9
//     to 10^-3 radians of the wedge's counter-clockwise end, inside or
//     outside it, where a test with too little margin would fail.
TEST(DirectionWedge, APointThatHoldsTheWedgeNarrowsNothing) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int held = 0, narrowed_when_not_held = 0, grazing_held = 0;
  for (int trial = 0; trial < 12000; ++trial) {
    const bool grazing = trial % 2 == 1;
    DirectionWedge wedge;
    const double heading = 2.0 * kPi * unit(random);
    const int points = grazing ? 1 : 1 + trial % 4;
    double last_end = 0.0;  // radians: the counter-clockwise end of the last point's arc
    for (int p = 0; p < points; ++p) {
      const double r = 10.0 + 1000.0 * unit(random);
      const double t = 1.0 + 20.0 * unit(random);
      const double a = heading + 0.3 * (unit(random) - 0.5);
      wedge.Constrain(r * std::cos(a), r * std::sin(a), t);
      last_end = a + std::asin(t / r);
    }
    if (wedge.Empty()) continue;
    const double t = 0.5 + 10.0 * unit(random);
    const double r = t * (1.0 + std::pow(10.0, grazing ? 2.0 * unit(random)
                                                       : -6.0 + 9.0 * unit(random)));
    const double alpha = std::asin(std::min(1.0, t / r));
    const double inward =
        (unit(random) < 0.5 ? 1.0 : -1.0) * std::pow(10.0, -9.0 + 6.0 * unit(random));
    const double phi =
        grazing ? last_end - alpha - inward : heading + 0.2 * (unit(random) - 0.5);
    const double vx = r * std::cos(phi), vy = r * std::sin(phi);
    DirectionWedge narrowed = wedge;
    narrowed.Constrain(vx, vy, t);
    const bool same = Admitted(wedge, phi, alpha) == Admitted(narrowed, phi, alpha);
    if (wedge.Holds(vx, vy, t)) {
      ++held;
      if (grazing) ++grazing_held;
      ASSERT_TRUE(same) << "trial " << trial;
    } else if (!same) {
      ++narrowed_when_not_held;
    }
  }
  EXPECT_GT(held, 1500);
  EXPECT_GT(grazing_held, 500);
  EXPECT_GT(narrowed_when_not_held, 1000);
}

// The points a wedge names: a direction it rules out lies outside the arc of
// the point named for the boundary it passes, and an empty wedge names two
// points whose arcs do not meet. Arcs of random width about headings spread
// over up to a half circle, so that new arcs also miss the first one's
// half-plane or cross its edge.
TEST(DirectionWedge, NamesThePointsOfItsBoundaries) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // Whether angle a lies outside the arc about phi of half-width alpha, by a
  // margin far beyond the rounding.
  auto outside = [](double a, double phi, double alpha) {
    return std::fabs(std::remainder(a - phi, 2.0 * kPi)) > alpha + 1e-9;
  };
  int ruled_out = 0, emptied = 0;
  for (int trial = 0; trial < 4000; ++trial) {
    DirectionWedge wedge;
    std::vector<double> phi, alpha;
    const double heading = 2.0 * kPi * unit(random), spread = kPi * unit(random);
    for (int p = 0; p < 1 + trial % 6 && !wedge.Empty(); ++p) {
      const double r = 10.0 + 1000.0 * unit(random), t = 1.0 + 300.0 * unit(random);
      if (t >= r) continue;
      phi.push_back(heading + spread * (unit(random) - 0.5));
      alpha.push_back(std::asin(t / r));
      wedge.Constrain(r * std::cos(phi.back()), r * std::sin(phi.back()), t,
                      static_cast<std::int64_t>(phi.size()) - 1);
    }
    if (phi.empty()) continue;
    const auto lo = static_cast<std::size_t>(wedge.LoBy());
    const auto hi = static_cast<std::size_t>(wedge.HiBy());
    ASSERT_LT(lo, phi.size());
    ASSERT_LT(hi, phi.size());
    if (wedge.Empty()) {
      ++emptied;
      const double apart = std::fabs(std::remainder(phi[lo] - phi[hi], 2.0 * kPi));
      EXPECT_GT(apart, alpha[lo] + alpha[hi]) << "trial " << trial;
      continue;
    }
    for (int k = 0; k < 360; ++k) {
      const double a = 2.0 * kPi * k / 360.0;
      const DirectionWedge::Outside out = wedge.OutsideWithin(std::cos(a), std::sin(a), 0.0);
      EXPECT_TRUE(!out.lo || outside(a, phi[lo], alpha[lo])) << "trial " << trial << " at " << k;
      EXPECT_TRUE(!out.hi || outside(a, phi[hi], alpha[hi])) << "trial " << trial << " at " << k;
      ruled_out += out.lo || out.hi;
    }
  }
  EXPECT_GT(emptied, 500);
  EXPECT_GT(ruled_out, 100000);
}

}  // namespace
}  // namespace oru
