#include "python/crs_frame.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <cpl_error.h>
#include <pybind11/numpy.h>

#include "gis/gdal_support.h"
#include "gis/track_frame.h"
#include "python/python_errors.h"

namespace py = pybind11;

namespace oru::python {
namespace {

using Coordinates = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The frame of a CRS given as text (WKT or "EPSG:N"); empty text for data
// without a CRS (plane metres). Coordinates come as GeoPandas holds them:
// x the longitude or easting, y the latitude or northing.
class CrsFrame {
 public:
  explicit CrsFrame(const std::string& crs) {
    if (crs.empty()) return;
    RegisterGisDrivers();  // GDAL's messages to the error record, not to standard error
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    CPLErrorReset();
    // WKT or a code, never a file or a URL.
    const CSLConstList limits = OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get();
    if (srs.SetFromUserInput(crs.c_str(), limits) != OGRERR_NONE) {
      ThrowInputError("the CRS cannot be read: " + GdalReason("GDAL does not know it"));
    }
    std::string error;
    std::optional<TrackFrame> frame = FrameOfCrs(&srs, error);
    if (!frame) ThrowInputError("the CRS cannot be used: " + error);
    frame_ = std::move(*frame);
  }

  bool Geographic() const { return frame_.geographic; }
  int Datum() const { return static_cast<int>(frame_.datum); }

  // The engine's coordinates of one line: latitudes and longitudes in
  // degrees (on WGS84 after a transformation), or X and Y in metres.
  py::tuple EngineCoordinates(const Coordinates& x, const Coordinates& y) const {
    std::vector<double> first(x.data(), x.data() + x.size());
    std::vector<double> second(y.data(), y.data() + y.size());
    if (auto refusal = ToEngineCoordinates(frame_, first, second)) ThrowInputError(*refusal);
    return py::make_tuple(py::array_t<double>(static_cast<py::ssize_t>(first.size()), first.data()),
                          py::array_t<double>(static_cast<py::ssize_t>(second.size()),
                                              second.data()));
  }

 private:
  TrackFrame frame_;
};

}  // namespace

void AddCrsFrame(py::module_& module) {
  py::class_<CrsFrame>(module, "CrsFrame")
      .def(py::init<const std::string&>(), py::arg("crs"))
      .def_property_readonly("geographic", &CrsFrame::Geographic)
      .def_property_readonly("datum", &CrsFrame::Datum)
      .def("engine_coordinates", &CrsFrame::EngineCoordinates, py::arg("x"), py::arg("y"));
}

}  // namespace oru::python
