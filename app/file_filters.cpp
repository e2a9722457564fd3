#include "app/file_filters.h"

#include <string_view>

#include "gis/gis_formats.h"
#include "navformats/nav_formats.h"

namespace oru {
namespace {

// "*.gpx *.json" from ".gpx .json".
std::string Patterns(std::string_view extensions) {
  std::string patterns;
  for (const char c : extensions) {
    if (c == '.') patterns += patterns.empty() || patterns.back() == ' ' ? "*." : ".";
    else patterns += c;
  }
  return patterns;
}

// A format's name for its filter: its description up to the first colon or
// bracket ("GPX 1.0/1.1", "ESRI Shapefile"), since brackets end a name.
std::string FilterName(std::string_view description) {
  std::string_view name = description.substr(0, description.find_first_of(":("));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return std::string(name);
}

}  // namespace

std::vector<std::string> TrackFileFilters(bool gis_or_navigation, bool output) {
  std::vector<std::string> filters;
  if (!gis_or_navigation) {
    filters.push_back("Track files (*.txt *.dat)");
  } else {
    std::string all;
    auto add = [&](std::string_view description, std::string_view extensions) {
      const std::string patterns = Patterns(extensions);
      filters.push_back(FilterName(description) + " (" + patterns + ")");
      all += (all.empty() ? "" : " ") + patterns;
    };
    for (const GisFormat& format : GisFormats()) {
      if (!output || format.writable) add(format.description, format.extensions);
    }
    for (const NavFormat& format : NavFormats()) {
      // Navigation formats are read only or written only.
      if (format.readable != output) add(format.description, format.extensions);
    }
    filters.insert(filters.begin(),
                   (output ? "GIS and route files (" : "GIS and navigation files (") + all + ")");
  }
  filters.push_back("All files (*)");
  return filters;
}

}  // namespace oru
