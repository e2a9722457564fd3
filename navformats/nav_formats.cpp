#include "navformats/nav_formats.h"

#include <array>

#include "trackio/file_io.h"

namespace oru {
namespace {

constexpr std::array<NavFormat, 3> kFormats{{
    {"nmea", NavFormatKind::Nmea, ".nmea .nma .log",
     "NMEA 0183 log: GGA, RMC and GLL fixes (read only)", true},
    {"p190", NavFormatKind::P190, ".p190 .p1",
     "UKOOA P1/90: a track per line and vessel (read only)", true},
    {"rtz", NavFormatKind::Rtz, ".rtz", "RTZ 1.1 route (IEC 61174), one a track (write only)",
     false},
}};

}  // namespace

std::span<const NavFormat> NavFormats() { return kFormats; }

const NavFormat* NavFormatByName(std::string_view name) {
  for (const NavFormat& format : kFormats) {
    if (format.name == name) return &format;
  }
  return nullptr;
}

const NavFormat* NavFormatOfPath(std::string_view path) {
  for (const NavFormat& format : kFormats) {
    if (PathHasExtension(path, format.extensions)) return &format;
  }
  return nullptr;
}

}  // namespace oru
