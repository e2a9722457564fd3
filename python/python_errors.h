#pragma once

#include <exception>
#include <string>
#include <string_view>

#include <pybind11/pybind11.h>

#include "run/run_error.h"

namespace oru::python {

// A run's error on its way to Python: thrown by the module's functions and
// raised as oru.InputError (usage errors and bad input, a ValueError) or
// oru.FileError (a file that could not be read or written, an OSError with
// its errno) by the one translator that InstallErrorTranslation registers.
class RunFailure : public std::exception {
 public:
  explicit RunFailure(RunError error) : error_(std::move(error)) {}
  const RunError& error() const { return error_; }
  const char* what() const noexcept override { return error_.message.c_str(); }

 private:
  RunError error_;
};

// Throws the usage error `message` (raised as oru.InputError).
[[noreturn]] void ThrowInputError(std::string message);

// The Python text of an error: the run's message, the system's reason, and
// the remedy in the module's words ("...: give crs='EPSG:N', ...").
std::string PythonText(const RunError& error);

// Bytes of a path or a message as Python text: UTF-8, other bytes kept as
// the file system's encoding keeps them (surrogate escapes).
pybind11::str FileSystemText(std::string_view bytes);

// Registers the translation of RunFailure into the module's exceptions,
// which oru._errors defines.
void InstallErrorTranslation();

}  // namespace oru::python
