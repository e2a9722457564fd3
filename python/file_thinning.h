#pragma once

#include <pybind11/pybind11.h>

namespace oru::python {

// Adds to the module thin_file(), the pipeline's run of one track file,
// which oru.thin_file calls with its keywords checked and converted.
void AddFileThinning(pybind11::module_& module);

}  // namespace oru::python
