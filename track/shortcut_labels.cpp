#include "track/shortcut_labels.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "track/candidate_scans.h"

namespace oru {
namespace {

constexpr std::int64_t kPollPoints = 1024;

struct Candidate {
  double worst;
  std::int64_t end;
};

// Among the candidate ends from i with the fewest hops, the one through
// which a route is lightest; ends with fewer hops are tried first and left
// when none of their shortcuts is valid.
class Labeller {
 public:
  Labeller(ShortcutOracle& oracle, ShortcutLabels& labels, double tolerance, bool with_worst)
      : oracle_(oracle), labels_(labels), d_(tolerance), with_worst_(with_worst) {}

  void Label(std::int64_t i, const std::vector<std::int64_t>& ends) {
    std::int64_t tried_below = -1;  // every hop count up to this one failed
    for (;;) {
      // The ends with the fewest hops above those tried, in one pass: the
      // group starts again whenever fewer hops turn up. From the farthest
      // end back, since hops mostly fall along a track.
      std::int64_t fewest = std::numeric_limits<std::int64_t>::max();
      group_.clear();
      for (auto e = ends.rbegin(); e != ends.rend(); ++e) {
        const std::int64_t j = *e;
        const auto k = static_cast<std::size_t>(j);
        const std::int64_t h = labels_.hops[k];
        if (h <= tried_below || h > fewest) continue;
        if (h < fewest) {
          fewest = h;
          group_.clear();
        }
        group_.push_back({with_worst_ ? labels_.worst[k] : 0.0, j});
      }
      if (group_.empty()) {
        throw std::logic_error("LabelPoints: no valid shortcut");  // i + 1 always is
      }
      if (with_worst_ ? Lightest(i) : AnyValid(i)) {
        labels_.hops[static_cast<std::size_t>(i)] = fewest + 1;
        return;
      }
      tried_below = fewest;
    }
  }

 private:
  bool AnyValid(std::int64_t i) {
    for (const Candidate& c : group_) {
      if (oracle_.Weight(i, c.end, d_, d_).kind == WeightAnswer::Kind::kAtMost) return true;
    }
    return false;
  }

  // The lightest route through the group, max(worst[j], w(i, j)), taken in
  // order of worst[j]: once that reaches the lightest found, no later end
  // can do better.
  bool Lightest(std::int64_t i) {
    // A heap, not a sort: mostly the first end settles it.
    auto later = [](const Candidate& x, const Candidate& y) {
      return x.worst != y.worst ? x.worst > y.worst : x.end > y.end;
    };
    std::make_heap(group_.begin(), group_.end(), later);
    bool found = false;
    double lightest = 0.0;
    for (auto end = group_.end(); end != group_.begin(); --end) {
      std::pop_heap(group_.begin(), end, later);
      const Candidate& c = *(end - 1);
      if (found && !(c.worst < lightest)) break;
      const WeightAnswer a = oracle_.Weight(i, c.end, c.worst, found ? lightest : d_);
      if (a.kind == WeightAnswer::Kind::kAbove) continue;
      const double route = a.kind == WeightAnswer::Kind::kAtMost ? c.worst : a.value;
      if (!found || route < lightest) lightest = route;
      found = true;
    }
    if (found) labels_.worst[static_cast<std::size_t>(i)] = lightest;
    return found;
  }

  ShortcutOracle& oracle_;
  ShortcutLabels& labels_;
  double d_;
  bool with_worst_;
  std::vector<Candidate> group_;
};

}  // namespace

ShortcutLabels LabelPoints(ShortcutOracle& oracle, std::int64_t n, double tolerance,
                           bool with_worst, const std::function<void()>& poll) {
  ShortcutLabels labels;
  labels.hops.assign(static_cast<std::size_t>(n), 0);
  if (with_worst) labels.worst.assign(static_cast<std::size_t>(n), 0.0);
  Labeller labeller(oracle, labels, tolerance, with_worst);
  CandidateScans scans(oracle, n, tolerance);
  for (std::int64_t i = n - 2; i >= 0; --i) {
    if (poll && i % kPollPoints == 0) poll();
    labeller.Label(i, scans.Ends(i));
  }
  return labels;
}

std::vector<std::int64_t> LowestRoute(ShortcutOracle& oracle, const ShortcutLabels& labels,
                                      double weight) {
  const auto n = static_cast<std::int64_t>(labels.hops.size());
  std::vector<std::int64_t> route;
  if (n == 0) return route;
  route.push_back(0);
  std::vector<std::int64_t> ends;
  std::int64_t i = 0;
  while (i < n - 1) {
    oracle.Candidates(i, weight, ends);
    const std::int64_t hops_after = labels.hops[static_cast<std::size_t>(i)] - 1;
    std::int64_t next = -1;
    for (const std::int64_t j : ends) {
      const auto k = static_cast<std::size_t>(j);
      if (labels.hops[k] == hops_after && labels.worst[k] <= weight &&
          oracle.Weight(i, j, weight, weight).kind == WeightAnswer::Kind::kAtMost) {
        next = j;
        break;
      }
    }
    if (next < 0) throw std::logic_error("LowestRoute: the labels promise a route");
    route.push_back(next);
    i = next;
  }
  return route;
}

}  // namespace oru
