#pragma once

#include <pybind11/pybind11.h>

namespace oru::python {

// Adds to the module the class CrsFrame: how the lines of a GeoSeries are
// measured, decided from its CRS exactly as oru-cli decides it for a layer
// of a GIS file (gis/track_frame.h), and the lines' coordinates turned into
// the engine's, for oru.geopandas.
void AddCrsFrame(pybind11::module_& module);

}  // namespace oru::python
