#pragma once

#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include "track/deviation_quality.h"
#include "track/statistics.h"

namespace oru::python {

// The figures of one thinned track as the package's results hold them, in
// this order (oru._result.FIGURES names them): largest deviation, points
// before, points after, length before, length after (metres and counts,
// unrounded), the deviations' mean, rms and 95th percentile (metres; 0 when
// not measured), and the optimal method's note.
pybind11::tuple FiguresTuple(const SelectionStatistics& statistics,
                             const std::optional<DeviationQuality>& quality,
                             const std::string& note);

}  // namespace oru::python
