#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "track/run_settings.h"
#include "track/statistics.h"

namespace oru::testing {

struct ReferenceRun {
  std::vector<std::int64_t> selected;           // 1-based point numbers, ascending
  double max_deviation = 0.0;                   // largest deviation left at the end
  std::vector<SelectionStatistics> iterations;  // the figures of every iteration
  SelectionStatistics statistics;               // the figures of the last one
};

// The selection done the plain way, for tests and benchmarks only: every
// iteration measures every remaining candidate afresh with PlanarDeviation,
// finds its segment by a linear scan of the selection list, rebuilds the
// candidate list through a scratch list, sorts the selection list with qsort
// and recomputes both line lengths with PlanarLineLength, or, for
// "ellipsoidic", EllipsoidalDeviation and EllipsoidalLineLength (geographic
// tracks only); "planar" on a geographic track projects it first with
// ProjectTrackToPlane.
// After every iteration it measures every remaining candidate again from its
// segment of the new line for the largest deviation left, and stops on a
// threshold only when both the point just taken and all that remain lie
// within it.
// With no candidate above 0.0 it takes the lowest-numbered one at 0.0; the
// last candidate is taken at 0.0; tracks of one or two points are kept whole.
ReferenceRun ReferenceSelectPoints(std::vector<double> first, std::vector<double> second,
                                   const SelectionSettings& settings);

// Every point's deviation from its segment of the line through `selected`
// (1-based point numbers, ascending), each measured plainly with
// `deviation`(A, B, P as coordinate pairs); 0 at the selected points.
std::vector<double> PlainLineDeviations(const std::vector<double>& first,
                                        const std::vector<double>& second,
                                        const std::vector<std::int64_t>& selected,
                                        const std::function<double(double, double, double, double,
                                                                   double, double)>& deviation);

}  // namespace oru::testing
