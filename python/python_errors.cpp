#include "python/python_errors.h"

#include "trackio/file_io.h"

namespace py = pybind11;

namespace oru::python {

void ThrowInputError(std::string message) {
  throw RunFailure(RunError{ErrorKind::Usage, std::move(message)});
}

std::string PythonText(const RunError& error) {
  std::string text = WithSystemReason(error.message, error.system_error);
  switch (error.remedy) {
    case Remedy::None:
      break;
    case Remedy::OutputFolder:
      text += ": give output_dir to write each track to a file of its own, named after the input "
              "and the track's number";
      break;
    case Remedy::Crs:
      text += ": give crs='EPSG:N', the projected CRS of the X, Y coordinates";
      break;
    case Remedy::OutputFormat:
      text += ": give output_format, or an output whose extension names a format that is written";
      break;
    case Remedy::Recursive:
      text += ": thin_file takes a file; give each file of the folder in turn";
      break;
  }
  return text;
}

py::str FileSystemText(std::string_view bytes) {
  PyObject* text = PyUnicode_DecodeFSDefaultAndSize(bytes.data(),
                                                    static_cast<Py_ssize_t>(bytes.size()));
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

void InstallErrorTranslation() {
  py::register_exception_translator([](std::exception_ptr thrown) {
    if (!thrown) return;
    try {
      std::rethrow_exception(thrown);
    } catch (const RunFailure& failure) {
      const RunError& error = failure.error();
      const bool file = error.kind == ErrorKind::File;
      const py::module_ errors = py::module_::import("oru._errors");
      const py::object type = errors.attr(file ? "FileError" : "InputError");
      const py::str text = FileSystemText(PythonText(error));
      const py::object exception =
          file && error.system_error != 0
              ? type(text, error.system_error, FileSystemText(SystemReason(error.system_error)))
              : type(text);
      PyErr_SetObject(type.ptr(), exception.ptr());
    }
  });
}

}  // namespace oru::python
