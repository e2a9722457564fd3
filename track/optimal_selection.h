#pragma once

#include <cstdint>

#include "track/run_settings.h"
#include "track/selection_engine.h"
#include "track/shortcut_oracle.h"

namespace oru {

// The optimal selection: a shortest route over the valid shortcuts of the
// track (Imai & Iri 1988, "Polygonal approximations of a curve", with the
// distance from the segment as the error), every shortcut judged by the run's
// own measure through `oracle`, for a track of n points.
//
// The criterion is "Number of points" when settings.threshold is 0 and
// settings.wanted_count is below n (as the processing run sets them), else
// "Maximum deviation".
//
// "Maximum deviation" d (settings.threshold): the selection with the fewest
// points such that every point left out lies within d of its segment of the
// new line; the first and the last point are always kept. Among selections
// with that many points, the one whose largest deviation is smallest; among
// those, the one whose point numbers come first in lexicographic order
// (lowest second point, then lowest third, ...). A negative (or NaN) d keeps
// every point.
//
// "Number of points" N (settings.wanted_count; below 2 counts as 2): a
// selection of at most N points whose largest deviation is the smallest
// possible, with the same ties. It is searched for over the tolerance: each
// trial runs the exact "Maximum deviation" decision (the fewest points for
// that tolerance), starting from the Douglas-Peucker selection's largest
// deviation for N points, which N points certainly reach. Once a tolerance t
// is found whose fewest points are exactly N, the lightest selection of N
// points is exact (every selection of at most N points that is lighter than
// t has exactly N points). Otherwise the lightest selection for the
// bracket's upper end is checked against one more decision just below its
// largest deviation; the search ends there, exactly, or when the bracket is
// 1 mm wide (a part in 10^9 of the tolerance beyond 1000 km; result.bracket:
// no selection of at most N points lies within `lower`, the one found within
// `upper`). The same check is made as soon as two trials in a row find one
// count below N / 2 (the count falls off a cliff there), or a lower end
// repeats its count at least N / 50 above the upper end's of at least N / 2
// (the count jumps over N), and not made when the selection's deviation
// lies within the bracket's width of its lower end; a line through the
// first and the last point that deviates by less than that width is the
// selection. Once both ends of the bracket are
// counted, the next trial is where the power law through them reaches N.
// A trial whose labels of the track's last 32nd to half project fewer than
// N / 3 points (a wide tolerance, dear to decide) may be given up, six times
// at most: later trials stay below it while the bracket beneath is wider
// than 1 % of its top, and then count it in full; or as soon as a lower end
// less than half as high finds the count on a shelf (its count went less
// than a tenth of the way from the lower end's before it to N, by their
// logarithms). Every trial that is not
// given up counts exactly: ends that a bracket decides, exact or not, differ
// only within it. Where tolerance 0 needs no more than N points, its
// lightest selection is the answer (counted only where no trial above 0
// needs more than N). The selection may have fewer than N points: more
// points would not lower its largest deviation.
//
// Tracks of one or two points are kept whole. The result has the shape of
// SelectPoints': point numbers, the figures (largest deviation: the true
// largest deviation of any point left out; last_selected and
// added_deviation 0) and, when asked, the quality figures. `observer` is
// asked now and then whether to stop (SelectionStopped) and whether figures
// are due; until the end they are those of the line through the first and
// the last point.
SelectionResult SelectOptimal(ShortcutOracle& oracle, std::int64_t n,
                              const SelectionSettings& settings, SelectionObserver* observer);

}  // namespace oru
