#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "track/shortcut_oracle.h"

namespace oru {

// A route is a selection seen as a chain of shortcuts from the first point
// to the last; its weight is the largest weight of its shortcuts, which is
// the largest deviation of any point left out from its segment.
//
// Labels of every point (store index) for one tolerance d >= 0, found from
// the last point back (a shortest-path search over the valid shortcuts of
// an acyclic graph: a point's label depends only on the labels after it):
//   hops[p]:  the fewest shortcuts from p to the last point;
//   worst[p]: the smallest weight of a route from p to the last point with
//             hops[p] shortcuts (only when asked for; else empty).
// The shortcuts tried at p are the oracle's candidates from p; those that
// cannot change p's label are never measured.
struct ShortcutLabels {
  std::vector<std::int64_t> hops;
  std::vector<double> worst;
};

// `poll` is called every few thousand points (it may throw to stop).
ShortcutLabels LabelPoints(ShortcutOracle& oracle, std::int64_t n, double tolerance,
                           bool with_worst, const std::function<void()>& poll);

// The route with labels.hops[0] shortcuts and a weight of at most `weight`
// (at least labels.worst[0]) whose point numbers come first in lexicographic
// order: from each point the lowest next point that can still finish such a
// route. Store indexes, ascending, from 0 to n - 1. Needs labels with worst.
std::vector<std::int64_t> LowestRoute(ShortcutOracle& oracle, const ShortcutLabels& labels,
                                      double weight);

}  // namespace oru
