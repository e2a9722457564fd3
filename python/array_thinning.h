#pragma once

#include <pybind11/pybind11.h>

namespace oru::python {

// Adds to the module the thinning of coordinate arrays, thin() and curve(),
// which the package's oru.thin, oru.thin_xy, oru.curve and oru.curve_xy call
// with their arguments checked and converted.
void AddArrayThinning(pybind11::module_& module);

}  // namespace oru::python
