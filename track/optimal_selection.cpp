#include "track/optimal_selection.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "track/segment_measure.h"
#include "track/shortcut_labels.h"

namespace oru {
namespace {

// The width below which the search for "Number of points" ends without
// proof that its selection is the lightest: 1 mm, or a part in 10^9 of the
// tolerance on tracks whose deviations run to thousands of kilometres.
constexpr double kBracket = 0.001;  // metres
constexpr double kRelativeBracket = 1e-9;

bool Narrow(double lo, double hi) { return hi - lo <= std::max(kBracket, kRelativeBracket * hi); }

struct Route {
  std::vector<std::int64_t> points;  // store indexes, ascending
  double weight = 0.0;               // metres: its largest deviation
};

class OptimalSearch {
 public:
  OptimalSearch(ShortcutOracle& oracle, std::int64_t n, const SelectionSettings& settings,
                SelectionObserver* observer)
      : oracle_(oracle), n_(n), settings_(settings), observer_(observer) {
    poll_ = [this] {
      if (observer_ != nullptr && observer_->StopRequested()) throw SelectionStopped();
    };
  }

  // The fewest points within tolerance d, as a count of points.
  std::int64_t FewestPoints(double d) {
    return LabelPoints(oracle_, n_, d, /*with_worst=*/false, poll_).hops[0] + 1;
  }

  // The lightest of the routes with the fewest points within d, lowest
  // point numbers first.
  Route Lightest(double d) {
    const ShortcutLabels labels = LabelPoints(oracle_, n_, d, /*with_worst=*/true, poll_);
    Route route;
    route.weight = labels.worst[0];
    route.points = LowestRoute(oracle_, labels, route.weight);
    return route;
  }

  // "Number of points": the search described in the header.
  Route ForCount(std::int64_t wanted, ToleranceBracket& bracket) {
    const std::int64_t n_wanted = std::max<std::int64_t>(wanted, 2);
    // Tolerance 0 first: when it needs no more than N points, nothing is
    // lighter.
    if (FewestPoints(0.0) <= n_wanted) {
      bracket = {0.0, 0.0, true};
      return Lightest(0.0);
    }
    double lo = 0.0;
    std::int64_t lo_count = n_;  // not used while lo is 0
    double hi = UpperStart(n_wanted);
    std::int64_t hi_count = FewestPoints(hi);
    bool bisect_next = false;
    for (;;) {
      while (hi_count != n_wanted && !Narrow(lo, hi)) {
        const double t = Probe(lo, lo_count, hi, hi_count, n_wanted, bisect_next);
        const std::int64_t count = FewestPoints(t);
        // After two probes on the same side, halve the bracket once: the
        // count's curve may bend away from the interpolation.
        const bool high_side = count <= n_wanted;
        bisect_next = high_side == last_high_side_;
        last_high_side_ = high_side;
        if (high_side) {
          hi = t;
          hi_count = count;
        } else {
          lo = t;
          lo_count = count;
        }
      }
      Route route = Lightest(hi);
      if (hi_count == n_wanted) {
        bracket = {lo, route.weight, true};
        return route;
      }
      // Is any selection of at most N points lighter than this one? It
      // would have more points than this one's.
      const double below = std::nextafter(route.weight, -1.0);
      const std::int64_t count = below < 0.0 ? n_ : FewestPoints(below);
      if (count > n_wanted) {
        bracket = {below < 0.0 ? 0.0 : below, route.weight, true};
        return route;
      }
      hi = below;
      hi_count = count;
      if (Narrow(lo, hi) && hi_count != n_wanted) {
        route = Lightest(hi);
        bracket = {lo, route.weight, false};
        return route;
      }
    }
  }

 private:
  // A tolerance that N points certainly reach: the Douglas-Peucker
  // selection's largest deviation for N points (at least 3), or the weight
  // of the line through the first and the last point for 2.
  double UpperStart(std::int64_t n_wanted) {
    if (n_wanted == 2) {
      const WeightAnswer a =
          oracle_.Weight(0, n_ - 1, 0.0, std::numeric_limits<double>::infinity());
      return a.kind == WeightAnswer::Kind::kExactly ? a.value : 0.0;
    }
    SelectionSettings dp = settings_;
    dp.threshold = 0.0;
    dp.wanted_count = n_wanted;
    dp.quality_figures = false;
    return DouglasPeucker(oracle_.Measure(), n_, dp, observer_).max_deviation;
  }

  // The next tolerance to try, strictly inside (lo, hi): where a power law
  // through the two ends of the bracket reaches N points (the count of a
  // long track falls roughly as a power of the tolerance), kept a twentieth
  // of the bracket away from either end; halfway when asked, and below a
  // bracket that starts at 0.
  static double Probe(double lo, std::int64_t lo_count, double hi, std::int64_t hi_count,
                      std::int64_t n_wanted, bool bisect) {
    const double width = hi - lo;
    double t = lo + 0.5 * width;
    if (lo <= 0.0) {
      t = 0.75 * hi;
    } else if (!bisect && lo_count > hi_count) {
      const double p = std::log(static_cast<double>(lo_count) / static_cast<double>(hi_count)) /
                       std::log(hi / lo);
      t = hi * std::pow(static_cast<double>(hi_count) / static_cast<double>(n_wanted), 1.0 / p);
    }
    return std::clamp(t, lo + 0.05 * width, hi - 0.05 * width);
  }

  ShortcutOracle& oracle_;
  std::int64_t n_;
  const SelectionSettings& settings_;
  SelectionObserver* observer_;
  std::function<void()> poll_;
  bool last_high_side_ = false;
};

}  // namespace

SelectionResult SelectOptimal(ShortcutOracle& oracle, std::int64_t n,
                              const SelectionSettings& settings, SelectionObserver* observer) {
  SegmentMeasure& measure = oracle.Measure();
  SelectionResult result;
  Route route;
  const bool by_count = settings.threshold == 0.0 && settings.wanted_count < n;
  if (n <= 2 || (!by_count && !(settings.threshold >= 0.0))) {
    // Every point kept: tracks of one or two points, and a tolerance that no
    // shortcut honours.
    for (std::int64_t i = 0; i < n; ++i) route.points.push_back(i);
  } else if (by_count) {
    OptimalSearch search(oracle, n, settings, observer);
    ToleranceBracket bracket;
    route = search.ForCount(settings.wanted_count, bracket);
    result.bracket = bracket;
  } else {
    route = OptimalSearch(oracle, n, settings, observer).Lightest(settings.threshold);
  }

  double new_length = 0.0;
  for (std::size_t k = 0; k + 1 < route.points.size(); ++k) {
    new_length += measure.SegmentLength(route.points[k], route.points[k + 1]);
  }
  for (const std::int64_t p : route.points) result.selected.push_back(p + 1);
  if (settings.quality_figures) {
    result.quality = SummariseDeviations(measure.LineDeviations(route.points));
  }
  result.max_deviation = route.weight;
  const auto count = static_cast<std::int64_t>(route.points.size());
  result.statistics = {route.weight, n, count, measure.TrackLength(), new_length, 0, 0.0};
  return result;
}

}  // namespace oru
