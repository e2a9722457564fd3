#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "trackio/file_io.h"

namespace oru {

// A Shapefile's set of files: its folder (resolved) and the stem of its .shp.
using ShapefileSet = std::pair<std::filesystem::path, std::string>;

// The files that one name of a run stands for, so that no output of the
// run lands on an input or on another output, whatever the names look
// like: the file itself (FileIdentity: through links, hard links and every
// spelling), and for a Shapefile the whole set of files named after its
// .shp (.shx, .dbf, .prj, .cpg and the indexes, in any case), since GDAL
// reads and writes them all.
struct Footprint {
  std::vector<FileIdentity> files;
  // The sets that files of this name would belong to, were they
  // Shapefiles: those of names with a Shapefile part's extension.
  std::vector<ShapefileSet> parts;
  std::optional<ShapefileSet> shapefile;  // the set it is
};

// The footprint of `path`; `shapefile` for a Shapefile's .shp.
Footprint FootprintOf(const std::filesystem::path& path, bool shapefile);

// Footprints by what they hold, each with its owner (a file of the run),
// to find which of many a footprint overlaps: shares a file, or has a file
// in a Shapefile's set.
class FootprintIndex {
 public:
  void Add(const Footprint& print, std::size_t owner);
  // The owners of the footprints that `print` overlaps, ascending, once each.
  std::vector<std::size_t> Overlapping(const Footprint& print) const;

 private:
  std::multimap<FileIdentity, std::size_t> files_;
  std::multimap<ShapefileSet, std::size_t> parts_;
  std::multimap<ShapefileSet, std::size_t> shapefiles_;
};

}  // namespace oru
