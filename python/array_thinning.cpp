#include "python/array_thinning.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/numpy.h>

#include "python/figures.h"
#include "python/interrupts.h"
#include "python/python_errors.h"
#include "run/track_thinning.h"
#include "track/huge_pages.h"

namespace py = pybind11;

namespace oru::python {
namespace {

// NumPy arrays of float64 in C order are taken as they are, without a copy;
// anything else is converted by NumPy first.
using Coordinates = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A track as the engine takes it: coordinates in degrees (latitude first)
// or in plane metres, and the datum of degrees.
struct ArrayTrack {
  const double* first = nullptr;
  const double* second = nullptr;
  std::size_t n = 0;
  bool geographic = true;
  DatumChoice datum = DatumChoice::Wgs84;
};

ArrayTrack TrackOf(const Coordinates& first, const Coordinates& second, bool geographic,
                   int datum) {
  if (first.ndim() != 1 || second.ndim() != 1 || first.size() != second.size()) {
    ThrowInputError("the coordinates are two one-dimensional arrays of equal length");
  }
  if (datum != static_cast<int>(DatumChoice::Wgs84) &&
      datum != static_cast<int>(DatumChoice::Ed50)) {
    ThrowInputError("unknown datum " + std::to_string(datum));
  }
  return {first.data(), second.data(), static_cast<std::size_t>(first.size()), geographic,
          static_cast<DatumChoice>(datum)};
}

// "91.5", "nan", "inf": the shortest text that reads back as `value`.
std::string Number(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

// Stops with the first coordinate the engine cannot measure, named as the
// Python arguments are: the geodesy library measures only latitudes within
// +-90 and longitudes within +-180 degrees, and plane coordinates must be
// finite. The checks fail on NaN too.
void CheckCoordinates(const ArrayTrack& track) {
  auto bad = [](const char* name, std::size_t i, double value, const char* rule) {
    ThrowInputError(std::string(name) + "[" + std::to_string(i) + "] = " + Number(value) + ": " +
                    rule);
  };
  for (std::size_t i = 0; i < track.n; ++i) {
    const double a = track.first[i];
    const double b = track.second[i];
    if (track.geographic) {
      if (!(a >= -90.0 && a <= 90.0)) bad("lat", i, a, "latitudes lie within -90 and 90 degrees");
      if (!(b >= -180.0 && b <= 180.0)) {
        bad("lon", i, b, "longitudes lie within -180 and 180 degrees");
      }
    } else {
      if (!std::isfinite(a)) bad("x", i, a, "coordinates are finite numbers of metres");
      if (!std::isfinite(b)) bad("y", i, b, "coordinates are finite numbers of metres");
    }
  }
}

// The engine's own copy of an array, in huge pages where it is large.
std::vector<double> EngineCopy(const double* values, std::size_t n) {
  std::vector<double> copy;
  ReserveInHugePages(copy, n);
  copy.assign(values, values + n);
  return copy;
}

// A NumPy array over the vector's elements, which it keeps alive: no copy.
template <typename T>
py::array_t<T> ArrayOwning(std::vector<T> values) {
  auto* owned = new std::vector<T>(std::move(values));
  const py::capsule owner(owned, [](void* v) { delete static_cast<std::vector<T>*>(v); });
  return py::array_t<T>(static_cast<py::ssize_t>(owned->size()), owned->data(), owner);
}

// Thins the track with the GIL released: checks its coordinates, copies
// them for the engine and selects. Ctrl-C stops the selection and raises.
TrackThinning ThinWithoutGil(const ArrayTrack& track, const ThinChoices& choices) {
  TrackThinning thinned;
  bool stopped = false;
  {
    py::gil_scoped_release release;
    CheckCoordinates(track);
    SignalWatch watch;
    try {
      thinned = ThinTrack(EngineCopy(track.first, track.n), EngineCopy(track.second, track.n),
                          track.geographic, track.datum, choices, &watch);
    } catch (const SelectionStopped&) {
      stopped = true;
    }
  }
  if (stopped) throw py::error_already_set();
  return thinned;
}

CalculationType CalculationOf(int calculation) {
  if (calculation != static_cast<int>(CalculationType::Ellipsoidic) &&
      calculation != static_cast<int>(CalculationType::Planar)) {
    ThrowInputError("unknown calculation " + std::to_string(calculation));
  }
  return static_cast<CalculationType>(calculation);
}

// The kept points (0-based, ascending) and the figures of the selection
// (FiguresTuple).
py::tuple Thin(const Coordinates& first, const Coordinates& second, bool geographic, int datum,
               int calculation, bool optimal, bool by_deviation, double threshold,
               std::int64_t wanted_count) {
  const ArrayTrack track = TrackOf(first, second, geographic, datum);
  ThinChoices choices;
  choices.method = optimal ? SelectionMethod::Optimal : SelectionMethod::DouglasPeucker;
  choices.calculation = CalculationOf(calculation);
  choices.criterion = by_deviation ? Criterion::MaximumDeviation : Criterion::NumberOfPoints;
  choices.threshold = threshold;
  choices.wanted_count = wanted_count;
  choices.quality_figures = true;
  TrackThinning thinned = ThinWithoutGil(track, choices);
  for (std::int64_t& k : thinned.selected) --k;
  return py::make_tuple(ArrayOwning(std::move(thinned.selected)),
                        FiguresTuple(thinned.statistics, thinned.quality, thinned.note));
}

// The curve of the Douglas-Peucker selection recorded to the end: arrays of
// the counts, the largest deviations and the lengths.
py::tuple Curve(const Coordinates& first, const Coordinates& second, bool geographic, int datum,
                int calculation) {
  const ArrayTrack track = TrackOf(first, second, geographic, datum);
  ThinChoices choices;
  choices.calculation = CalculationOf(calculation);
  choices.criterion = Criterion::NumberOfPoints;
  choices.wanted_count = 2;
  choices.record = true;
  const TrackThinning thinned = ThinWithoutGil(track, choices);
  std::vector<std::int64_t> counts;
  std::vector<double> deviations;
  std::vector<double> lengths;
  for (const CurvePoint& point : thinned.record->Curve()) {
    counts.push_back(point.count);
    deviations.push_back(point.largest_deviation);
    lengths.push_back(point.new_length);
  }
  return py::make_tuple(ArrayOwning(std::move(counts)), ArrayOwning(std::move(deviations)),
                        ArrayOwning(std::move(lengths)));
}

}  // namespace

void AddArrayThinning(py::module_& module) {
  module.def("thin", &Thin, py::arg("first"), py::arg("second"), py::arg("geographic"),
             py::arg("datum"), py::arg("calculation"), py::arg("optimal"),
             py::arg("by_deviation"), py::arg("threshold"), py::arg("wanted_count"));
  module.def("curve", &Curve, py::arg("first"), py::arg("second"), py::arg("geographic"),
             py::arg("datum"), py::arg("calculation"));
}

}  // namespace oru::python
