#include "track/optimal_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// A selection's deviation w that lies within the bracket's width of lo (an
// infinite one never does).
bool Within(double lo, double w) { return std::isfinite(w) && Narrow(lo, w); }

// A trial of the search for N points gives up when its first labels
// project fewer than N / kFewer points; at most kGiveUps times, and only
// while the bracket below it is wider than a kGiveUpWidth share of its top.
constexpr std::int64_t kFewer = 3;
constexpr int kGiveUps = 6;
constexpr double kGiveUpWidth = 0.01;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A given-up trial this many times above a lower end on a shelf (OnShelf)
// is counted in full next.
constexpr double kFarCeiling = 2.0;

struct Route {
  std::vector<std::int64_t> points;  // store indexes, ascending
  double weight = 0.0;               // metres: its largest deviation
};

// A decision of the search for a count: a tolerance and its count.
struct Trial {
  double t;            // metres
  std::int64_t count;  // points
};

class OptimalSearch {
 public:
  OptimalSearch(ShortcutOracle& oracle, std::int64_t n, const SelectionSettings& settings,
                SelectionObserver* observer)
      : oracle_(oracle),
        n_(n),
        settings_(settings),
        observer_(observer),
        labeller_(oracle, [this] { Poll(); }) {
    // No selection stands before the end: while the search works the
    // figures stay those of the line through the first and the last point,
    // shown again now and then so that a window stays alive.
    waiting_ = {0.0, n, std::min<std::int64_t>(n, 2), 0.0, 0.0, 0, 0.0};
  }

  // The fewest points for tolerance d.
  std::int64_t Count(double d) {
    std::int64_t count = 0;
    CountUnlessFewer(d, 0, count);
    return count;
  }

  // The fewest points for tolerance d in `count`, true; or false, with the
  // projected count, when the labels project fewer than `fewer` (> 0) early
  // on.
  bool CountUnlessFewer(double d, std::int64_t fewer, std::int64_t& count) {
    if (DirectWithin(d)) {
      count = 2;
      return true;
    }
    const bool whole = labeller_.Label(d, /*with_worst=*/false, fewer);
    count = whole ? labeller_.Hops(0) + 1 : labeller_.Projected();
    return whole;
  }

  // The lightest of the routes with the fewest points for tolerance d,
  // lowest point numbers first.
  Route Lightest(double d) {
    // The only route of one shortcut is the line through the first and the
    // last point.
    if (DirectWithin(d)) return {{0, n_ - 1}, direct_};
    labeller_.Label(d, /*with_worst=*/true);
    Route route;
    route.weight = labeller_.ExactWorst(0);
    route.points = labeller_.LowestRoute(route.weight);
    return route;
  }

  // "Number of points": the search described in the header.
  Route ForCount(std::int64_t wanted, ToleranceBracket& bracket) {
    const std::int64_t n_wanted = std::max<std::int64_t>(wanted, 2);
    // The line through the first and the last point within the bracket's
    // width of 0: no selection is much lighter, none has fewer points.
    if (DirectWithin(kBracket)) return Inexact(0.0, Lightest(direct_), n_wanted, bracket);
    double lo = 0.0;
    double hi = UpperStart(n_wanted);  // not counted yet: at most N points
    std::int64_t hi_count = -1;        // the count of hi, once known
    int same_side = 0;  // trials in a row on the same side of the bracket
    int last_side = -1;
    // Trials given up (their labels projected far fewer than N points, on
    // long and dear shortcuts) and the lowest of them: later trials stay
    // below it while the bracket beneath it is wide.
    int given_up = 0;
    double ceiling = kInfinity;
    std::int64_t ceiling_count = 0;  // projected
    std::int64_t lo_count = 0;       // the count of lo (when lo is above 0)
    // The ceiling is counted next: the last lower end lies on a shelf
    // (OnShelf) more than kFarCeiling times below it and more than the
    // bracket's width. There the labels of the track's end that gave it up
    // may mislead (a zig-zag whose amplitude grows: 50,000 and 47,542 points
    // at 0.7 and 3.3 m, where the trial given up at 14 m projected 27 and
    // counts 9,604), and halving towards it takes many trials. (Within the
    // bracket's width the search ends without proof, on whichever selection
    // its trials lead to; just below the cliff of a course with loops, the
    // given-up trial 17 % higher counts 4 points at many times the cost of a
    // trial below it: in both the search halves on.)
    bool shelf = false;
    for (;;) {
      while (hi_count != n_wanted && !Narrow(lo, hi)) {
        // Once the bracket beneath it is narrow, the ceiling (a guess: the
        // count may lie above N right up to it) is counted in full, as the
        // nearest trial above.
        const bool at_ceiling =
            ceiling < hi && (shelf || !(ceiling - lo > kGiveUpWidth * ceiling));
        const Trial top = ceiling < hi ? Trial{ceiling, ceiling_count} : Trial{hi, hi_count};
        const double t =
            at_ceiling ? ceiling : NextTrial(trials_, {lo, lo_count}, top, n_wanted, same_side >= 3);
        if (at_ceiling) {
          ceiling = kInfinity;
          shelf = false;
        }
        const bool may_give_up =
            !at_ceiling && given_up < kGiveUps && top.t - lo > kGiveUpWidth * top.t;
        std::int64_t count = 0;
        const bool whole = CountUnlessFewer(t, may_give_up ? n_wanted / kFewer : 0, count);
        trials_.push_back({t, count});
        if (!whole) {
          ++given_up;
          ceiling = t;
          ceiling_count = count;
          continue;
        }
        const int side = count <= n_wanted ? 1 : 0;
        labeller_.KeepBracketEnd(t, /*upper=*/side == 1);
        same_side = side == last_side ? same_side + 1 : 1;
        last_side = side;
        if (side == 1) {
          // Two upper ends in a row with one count, below N / 2: the
          // count falls off a cliff there, which the bracket would close on
          // only by halving to its width; the lightest selection of that
          // count tells where the cliff lies. (Near N, where the count
          // falls point by point, the trials close in faster.)
          const bool step = count == hi_count && 2 * count < n_wanted;
          hi = t;
          hi_count = count;
          if (step) break;
        } else {
          // A lower end with the count of the one before, a fiftieth of N
          // or more above the upper end's (at least N / 2): the count stays
          // put where the power law has it fall, to jump over N further up,
          // often at one tolerance (from 1,018 to 977 points on random
          // points), which the bracket would close on only by halving to
          // its width. The lightest selection of the upper end's count
          // tells where the jump lies, as for a cliff. (Where the count
          // falls a few points at a time, that would step down one count
          // per two decisions; far below N, its lightest selection is dear.)
          const bool jump = count == lo_count && 2 * hi_count >= n_wanted &&
                            lo_count - hi_count >= std::max<std::int64_t>(2, n_wanted / 50);
          shelf = ceiling < hi && ceiling > kFarCeiling * t && !Narrow(t, ceiling) &&
                  OnShelf(lo_count, count, n_wanted);
          lo = t;
          lo_count = count;
          if (jump) break;
        }
      }
      const Route route = Lightest(hi);
      hi_count = static_cast<std::int64_t>(route.points.size());
      if (hi_count == n_wanted) {
        bracket = {lo, route.weight, true};
        return route;
      }
      // Within the bracket's width of the lower end already: a decision
      // just below would tell nothing the bracket does not.
      if (Within(lo, route.weight)) return Inexact(lo, route, n_wanted, bracket);
      // Is any selection of at most N points lighter than this one? It
      // would have more points than this one's. (Its weight is above 0: it
      // lies more than the bracket's width above lo.)
      const double below = std::nextafter(route.weight, 0.0);
      const std::int64_t count = Count(below);
      if (count > n_wanted) {
        bracket = {below, route.weight, true};
        return route;
      }
      hi = below;
      hi_count = count;
      labeller_.KeepBracketEnd(hi, /*upper=*/true);
      if (Narrow(lo, hi) && hi_count != n_wanted) {
        return Inexact(lo, Lightest(hi), n_wanted, bracket);
      }
    }
  }

 private:
  // The end of the search for N points when the bracket {lo, route's
  // weight} settles it without proof. While no trial has needed more than N
  // points (lo is 0), tolerance 0 itself may need no more than N: then its
  // lightest selection is the answer, exactly. It is counted only here:
  // elsewhere a trial above 0 that needs more than N shows that 0 does too,
  // and on the ellipsoid, whose bounds cannot tell a shortcut valid below
  // their slop, counting 0 measures every shortcut the walks reach.
  Route Inexact(double lo, Route route, std::int64_t n_wanted, ToleranceBracket& bracket) {
    if (lo == 0.0 && Count(0.0) <= n_wanted) {
      bracket = {0.0, 0.0, true};
      return Lightest(0.0);
    }
    bracket = {lo, route.weight, false};
    return route;
  }

  void Poll() {
    if (observer_ == nullptr) return;
    if (observer_->StopRequested()) throw SelectionStopped();
    if (observer_->ProgressDue()) observer_->OnProgress(waiting_);
  }

  // Whether the line through the first and the last point keeps every
  // point within d; its weight, once so, in direct_. A tolerance it honours
  // needs no labels (the widest trials of the search for a count, a track
  // that one tolerance covers). Measured only as far as d asks: a line that
  // strays beyond d is left at the first point that shows it.
  bool DirectWithin(double d) {
    if (direct_known_) return direct_ <= d;
    if (d <= direct_above_) return false;
    const WeightAnswer a = oracle_.Weight(0, n_ - 1, 0.0, d);
    if (a.kind == WeightAnswer::Kind::kAbove) {
      direct_above_ = d;
      return false;
    }
    direct_ = a.kind == WeightAnswer::Kind::kExactly ? a.value : 0.0;
    direct_known_ = true;
    return true;
  }

  // A tolerance that N points certainly reach: the Douglas-Peucker
  // selection's largest deviation for N points (at least 3), or the weight
  // of the line through the first and the last point for 2.
  double UpperStart(std::int64_t n_wanted) {
    if (n_wanted == 2) {
      DirectWithin(kInfinity);
      return direct_;
    }
    SelectionSettings dp = settings_;
    dp.threshold = 0.0;
    dp.wanted_count = n_wanted;
    dp.quality_figures = false;
    return DouglasPeucker(oracle_.Measure(), n_, dp, nullptr).max_deviation;
  }

  // Whether a lower end's count, against the lower end's before it (a
  // count of 0 or less: none), went less than a tenth of the way to N
  // (counts compared by their logarithms, as the power law has them fall):
  // the count lies on a shelf far above N.
  static bool OnShelf(std::int64_t before, std::int64_t count, std::int64_t n_wanted) {
    if (before <= n_wanted || count <= n_wanted) return false;
    const double fell = std::log(static_cast<double>(before) / static_cast<double>(count));
    const double to_go = std::log(static_cast<double>(before) / static_cast<double>(n_wanted));
    return fell < 0.1 * to_go;
  }

  // The exponent p of the count's power law c = a t^-p through the two
  // trials nearest N points, 0 when there are not two distinct ones.
  static double Slope(std::vector<Trial> trials, std::int64_t n_wanted) {
    auto distance = [&](const Trial& x) { return std::llabs(x.count - n_wanted); };
    std::sort(trials.begin(), trials.end(),
              [&](const Trial& x, const Trial& y) { return distance(x) < distance(y); });
    if (trials.size() < 2 || trials[1].count == trials[0].count || trials[1].t == trials[0].t) {
      return 0.0;
    }
    return std::log(static_cast<double>(trials[0].count) / static_cast<double>(trials[1].count)) /
           std::log(trials[1].t / trials[0].t);
  }

  // Where the power law through both ends of the bracket, each counted (a
  // count of 0 or less: not), reaches N points; 0 when it cannot tell.
  static double Secant(Trial low, Trial high, std::int64_t n_wanted) {
    if (!(low.t > 0.0) || low.count <= 0 || high.count <= 0 || low.count == high.count) {
      return 0.0;
    }
    const double p = std::log(static_cast<double>(low.count) / static_cast<double>(high.count)) /
                     std::log(high.t / low.t);
    if (!(p > 0.0) || !std::isfinite(p)) return 0.0;
    return low.t * std::pow(static_cast<double>(low.count) / static_cast<double>(n_wanted), 1.0 / p);
  }

  // The next tolerance to try, strictly inside the bracket (low.t, high.t).
  // The count of a long track falls roughly as a power of the tolerance,
  // c = a t^-p: the curve through both ends of the bracket, once both are
  // counted, gives where it reaches N; before that the curve through the
  // trial nearest N points, with the slope of the two nearest (3/4 while
  // there is one). Kept a twentieth of the bracket away from either end;
  // the first trial at half the upper end; halfway when asked.
  double NextTrial(const std::vector<Trial>& trials, Trial low, Trial high, std::int64_t n_wanted,
                   bool bisect) const {
    const double lo = low.t, hi = high.t;
    const double width = hi - lo;
    const double secant = bisect ? 0.0 : Secant(low, high, n_wanted);
    double t = lo + 0.5 * width;
    if (trials.empty()) {
      t = 0.5 * hi;
    } else if (secant > 0.0) {
      t = secant;
    } else if (!bisect) {
      const Trial& a =
          *std::min_element(trials.begin(), trials.end(), [&](const Trial& x, const Trial& y) {
            return std::llabs(x.count - n_wanted) < std::llabs(y.count - n_wanted);
          });
      double p = Slope(trials, n_wanted);
      if (!(p > 0.0)) p = 0.75;
      t = a.t * std::pow(static_cast<double>(a.count) / static_cast<double>(n_wanted), 1.0 / p);
    }
    return std::clamp(t, lo + 0.05 * width, hi - 0.05 * width);
  }

  ShortcutOracle& oracle_;
  std::int64_t n_;
  const SelectionSettings& settings_;
  SelectionObserver* observer_;
  SelectionStatistics waiting_;
  ShortcutLabeller labeller_;
  std::vector<Trial> trials_;  // decisions of the search for a count
  bool direct_known_ = false;
  double direct_ = 0.0;         // metres: the line's weight, once known
  double direct_above_ = -1.0;  // metres: a tolerance the line exceeds
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
    OptimalSearch search(oracle, n, settings, observer);
    route = search.Lightest(settings.threshold);
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
