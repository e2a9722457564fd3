#pragma once

#include <string>

namespace oru {

// What went wrong, for a front end to tell its user in its own way: the
// command's exit status, a Python exception's class, a window's message.
enum class ErrorKind {
  Usage,     // the settings cannot run (oru-cli exits with 2; Python ValueError)
  BadInput,  // an input file holds what cannot be thinned (exit 1; ValueError)
  File,      // a file could not be read or written (exit 1; OSError)
};

// What the user can change to put a usage error right. Each front end says
// it in its own words: oru-cli names its options, a window its controls.
enum class Remedy {
  None,
  OutputFolder,  // many tracks for one survey text file: one file a track in a folder
  Crs,           // X, Y tracks as latitudes and longitudes: name their projected CRS
  OutputFormat,  // the output's name says no format that is written
  Recursive,     // a folder given as an input
};

struct RunError {
  ErrorKind kind = ErrorKind::BadInput;
  // What is wrong, naming the file, line, track or value ("Line 7 could not
  // be read.", "in.gpx holds 3 tracks, and a survey text file holds one");
  // never an option of one front end.
  std::string message;
  int system_error = 0;  // errno of a failed file operation, else 0
  Remedy remedy = Remedy::None;
};

// oru-cli's text of an error: the message, the system's reason ("... could
// not be opened. No such file or directory.") and the remedy in the
// command's words ("...: give --crs EPSG:N, the projected CRS of the X, Y
// track"). The Python module raises its errors with these texts.
std::string CommandLineText(const RunError& error);

}  // namespace oru
