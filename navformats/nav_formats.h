#pragma once

#include <span>
#include <string_view>

namespace oru {

enum class NavFormatKind { Nmea, P190, Rtz };

// A navigation format read or written by hand (this module), beside the GIS
// formats that GDAL reads and writes.
struct NavFormat {
  std::string_view name;         // the oru-cli name: "nmea", "p190", "rtz"
  NavFormatKind kind;
  std::string_view extensions;   // blank-separated, with the point; the first is written
  std::string_view description;  // for --list-formats
  bool readable;                 // true: input; false: output only
};

// Every navigation format, in the order --list-formats prints them.
std::span<const NavFormat> NavFormats();

// The format of an oru-cli name, or null.
const NavFormat* NavFormatByName(std::string_view name);

// The format that a file's extension selects (case-insensitive), or null.
const NavFormat* NavFormatOfPath(std::string_view path);

}  // namespace oru
