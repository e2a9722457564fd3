#include "python/figures.h"

namespace py = pybind11;

namespace oru::python {

py::tuple FiguresTuple(const SelectionStatistics& s,
                       const std::optional<DeviationQuality>& quality, const std::string& note) {
  const DeviationQuality q = quality.value_or(DeviationQuality{});
  return py::make_tuple(s.largest_deviation, s.n, s.count, s.full_length, s.new_length, q.mean,
                        q.rms, q.p95, note);
}

}  // namespace oru::python
