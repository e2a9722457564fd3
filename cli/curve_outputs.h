#pragma once

#include <string>
#include <vector>

#include "track/selection_record.h"

namespace oru {

// The curve as CSV: the header "points,largest_deviation_m,length_m" and
// one line per count, each ended by a line feed; numbers in the C locale,
// the metres in the shortest form that reads back to the same double.
std::string CurveCsv(const std::vector<CurvePoint>& curve);

}  // namespace oru
