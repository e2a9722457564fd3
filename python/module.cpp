// The extension module oru._oru: the thinning of arrays and files and the
// CRS frames of GeoPandas data, over the same run as oru-cli. The package's
// Python modules (oru/) check and convert the arguments and shape the
// results; errors are raised as oru._errors defines them.
#include <pybind11/pybind11.h>

#include "python/array_thinning.h"
#include "python/crs_frame.h"
#include "python/file_thinning.h"
#include "python/python_errors.h"

PYBIND11_MODULE(_oru, module) {
  module.doc() = "ORU's thinning engine; use the package oru, which checks the arguments.";
  oru::python::InstallErrorTranslation();
  oru::python::AddArrayThinning(module);
  oru::python::AddFileThinning(module);
  oru::python::AddCrsFrame(module);
}
