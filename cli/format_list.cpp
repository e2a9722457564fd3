#include "cli/format_list.h"

#include <string_view>

#include "gis/gis_formats.h"
#include "navformats/nav_formats.h"

namespace oru {
namespace {

std::string ListLine(std::string_view name, std::string_view extensions,
                     std::string_view description) {
  std::string line = "  " + std::string(name);
  line.resize(11, ' ');
  line += extensions;
  line.resize(27, ' ');
  return line + std::string(description) + "\n";
}

}  // namespace

std::string FormatList() {
  std::string text = "GIS formats, read and written through GDAL:\n";
  for (const GisFormat& format : GisFormats()) {
    text += ListLine(format.name, format.extensions, format.description);
  }
  text += "Navigation formats:\n";
  for (const NavFormat& format : NavFormats()) {
    text += ListLine(format.name, format.extensions, format.description);
  }
  text +=
      "Survey text formats (files whose extension names none of the above):\n"
      "  input      oru, dms, xy\n"
      "  output     oru, ascii, kel\n";
  return text;
}

}  // namespace oru
