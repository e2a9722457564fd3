#include "run/run_error.h"

#include "trackio/file_io.h"

namespace oru {

std::string CommandLineText(const RunError& error) {
  std::string text = WithSystemReason(error.message, error.system_error);
  switch (error.remedy) {
    case Remedy::None:
      break;
    case Remedy::OutputFolder:
      text += ": --output-dir DIR writes each track to a file of its own, named after the input "
              "and the track's number";
      break;
    case Remedy::Crs:
      text += ": give --crs EPSG:N, the projected CRS of the X, Y coordinates";
      break;
    case Remedy::OutputFormat:
      text += ": give --output-format, or an output whose extension names a format that is "
              "written (--list-formats)";
      break;
    case Remedy::Recursive:
      text += ": add --recursive to thin the files in it";
      break;
  }
  return text;
}

}  // namespace oru
