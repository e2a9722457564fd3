#include "track/tests/optimal_reference.h"

#include <algorithm>
#include <limits>

#include "track/ellipsoidal_measures.h"
#include "track/planar_measures.h"
#include "track/planar_projection.h"

namespace oru::testing {
namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

// lightest[h][j]: the smallest largest weight of a route from point 0 to j
// with exactly h shortcuts (kNone when there is none).
std::vector<std::vector<double>> LightestByShortcuts(const ShortcutWeights& w) {
  const std::int64_t n = w.Size();
  std::vector<std::vector<double>> lightest(
      static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n), kNone));
  lightest[0][0] = 0.0;
  for (std::int64_t h = 1; h < n; ++h) {
    for (std::int64_t j = h; j < n; ++j) {
      double best = kNone;
      for (std::int64_t i = h - 1; i < j; ++i) {
        best = std::min(best, std::max(lightest[static_cast<std::size_t>(h - 1)][i], w(i, j)));
      }
      lightest[static_cast<std::size_t>(h)][static_cast<std::size_t>(j)] = best;
    }
  }
  return lightest;
}

// The lexicographically lowest route of exactly `shortcuts` shortcuts with
// every weight at most `limit`, as in the optimal selection's figures.
OptimalReference LowestRoute(const ShortcutWeights& w, std::int64_t shortcuts, double limit) {
  const std::int64_t n = w.Size();
  // finish[h][j]: the last point is reachable from j in exactly h shortcuts.
  std::vector<std::vector<char>> finish(static_cast<std::size_t>(shortcuts + 1),
                                        std::vector<char>(static_cast<std::size_t>(n), 0));
  finish[0][static_cast<std::size_t>(n - 1)] = 1;
  for (std::int64_t h = 1; h <= shortcuts; ++h) {
    for (std::int64_t j = 0; j < n; ++j) {
      for (std::int64_t k = j + 1; k < n; ++k) {
        if (w(j, k) <= limit && finish[static_cast<std::size_t>(h - 1)][k]) {
          finish[static_cast<std::size_t>(h)][static_cast<std::size_t>(j)] = 1;
          break;
        }
      }
    }
  }
  OptimalReference r;
  std::int64_t i = 0;
  double new_length = 0.0;
  r.selected.push_back(1);
  for (std::int64_t left = shortcuts; left > 0; --left) {
    std::int64_t j = i + 1;
    while (!(w(i, j) <= limit && finish[static_cast<std::size_t>(left - 1)][j])) ++j;
    new_length += w.SegmentLength(i, j);
    r.selected.push_back(j + 1);
    i = j;
  }
  r.statistics = {0.0, n, shortcuts + 1, w.TrackLength(), new_length, 0, 0.0};
  return r;
}

}  // namespace

ShortcutWeights::ShortcutWeights(std::vector<double> first, std::vector<double> second,
                                 const SelectionSettings& settings)
    : n_(static_cast<std::int64_t>(first.size())), settings_(settings) {
  const bool ellipsoidal = settings.calculation == CalculationType::Ellipsoidic;
  if (!ellipsoidal && IsGeographic(settings.input_format)) {
    ProjectTrackToPlane(first, second, n_, settings_.datum);
  }
  first_ = std::move(first);
  second_ = std::move(second);
  w_.assign(static_cast<std::size_t>(n_ * n_), 0.0);
  auto at = [](const std::vector<double>& v, std::int64_t k) {
    return v[static_cast<std::size_t>(k)];
  };
  for (std::int64_t i = 0; i < n_; ++i) {
    for (std::int64_t j = i + 2; j < n_; ++j) {
      double largest = 0.0;
      for (std::int64_t k = i + 1; k < j; ++k) {
        const double d =
            ellipsoidal
                ? EllipsoidalDeviation(at(first_, i), at(second_, i), at(first_, j), at(second_, j),
                                       at(first_, k), at(second_, k), settings_.datum)
                : PlanarDeviation(at(first_, i), at(second_, i), at(first_, j), at(second_, j),
                                  at(first_, k), at(second_, k));
        if (d > largest) largest = d;
      }
      w_[static_cast<std::size_t>(i * n_ + j)] = largest;
    }
  }
  track_length_ = ellipsoidal ? EllipsoidalLineLength(first_, second_, settings_.datum, n_)
                              : PlanarLineLength(first_, second_, n_);
}

double ShortcutWeights::SegmentLength(std::int64_t i, std::int64_t j) const {
  const auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j);
  if (settings_.calculation == CalculationType::Ellipsoidic) {
    DatumParams datum = settings_.datum;
    return EllipsoidalSegmentLength(first_[a], second_[a], first_[b], second_[b], datum);
  }
  return PlanarSegmentLength(first_[a], second_[a], first_[b], second_[b]);
}

OptimalReference ReferenceByDeviation(const ShortcutWeights& w, double d) {
  const std::int64_t n = w.Size();
  const auto lightest = LightestByShortcuts(w);
  std::int64_t h = 1;
  while (!(lightest[static_cast<std::size_t>(h)][static_cast<std::size_t>(n - 1)] <= d)) ++h;
  const double weight = lightest[static_cast<std::size_t>(h)][static_cast<std::size_t>(n - 1)];
  OptimalReference r = LowestRoute(w, h, weight);
  r.statistics.largest_deviation = weight;
  return r;
}

OptimalReference ReferenceByCount(const ShortcutWeights& w, std::int64_t wanted) {
  const std::int64_t n = w.Size();
  const std::int64_t most = std::min(std::max<std::int64_t>(wanted, 2), n) - 1;  // shortcuts
  const auto lightest = LightestByShortcuts(w);
  double weight = kNone;
  for (std::int64_t h = 1; h <= most; ++h) {
    weight =
        std::min(weight, lightest[static_cast<std::size_t>(h)][static_cast<std::size_t>(n - 1)]);
  }
  return ReferenceByDeviation(w, weight);
}

PlainRoutes PlainLabels(ShortcutOracle& shortcuts, std::int64_t n, double d) {
  PlainRoutes plain{std::vector<std::int64_t>(static_cast<std::size_t>(n), 0),
                    std::vector<double>(static_cast<std::size_t>(n), 0.0)};
  for (std::int64_t i = n - 2; i >= 0; --i) {
    const auto a = static_cast<std::size_t>(i);
    plain.hops[a] = std::numeric_limits<std::int64_t>::max();
    for (std::int64_t j = i + 1; j < n; ++j) {
      const WeightAnswer w = shortcuts.Weight(i, j, -1.0, d);
      if (w.kind == WeightAnswer::Kind::kAbove) continue;
      const auto b = static_cast<std::size_t>(j);
      const double route = std::max(w.value, plain.worst[b]);
      if (plain.hops[b] + 1 < plain.hops[a] ||
          (plain.hops[b] + 1 == plain.hops[a] && route < plain.worst[a])) {
        plain.hops[a] = plain.hops[b] + 1;
        plain.worst[a] = route;
      }
    }
  }
  return plain;
}

}  // namespace oru::testing
