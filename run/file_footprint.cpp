#include "run/file_footprint.h"

#include <algorithm>
#include <system_error>

namespace oru {
namespace {

namespace fs = std::filesystem;

// The files of a Shapefile beside its .shp, as GDAL reads and writes them.
constexpr const char* kShapefileParts = ".shp .shx .dbf .prj .cpg .qix .sbn .sbx";

void Add(Footprint& print, const fs::path& path) {
  print.files.push_back(IdentityOf(path));
  const fs::path resolved = ResolvedPath(path);
  if (PathHasExtension(resolved, kShapefileParts)) {
    print.parts.emplace_back(resolved.parent_path(), resolved.stem().string());
  }
}

template <typename Key>
void Collect(const std::multimap<Key, std::size_t>& map, const Key& key,
             std::vector<std::size_t>& owners) {
  const auto [begin, end] = map.equal_range(key);
  for (auto at = begin; at != end; ++at) owners.push_back(at->second);
}

}  // namespace

Footprint FootprintOf(const fs::path& path, bool shapefile) {
  Footprint print;
  Add(print, path);
  if (!shapefile) return print;
  const fs::path shp = ResolvedPath(path);
  print.shapefile.emplace(shp.parent_path(), shp.stem().string());
  // The parts that exist, by identity too (a hard link under another name).
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(shp.parent_path(), ec)) {
    const fs::path name = shp.parent_path() / entry.path().filename();
    if (name != shp && name.stem() == shp.stem() && PathHasExtension(name, kShapefileParts)) {
      Add(print, name);
    }
  }
  return print;
}

void FootprintIndex::Add(const Footprint& print, std::size_t owner) {
  for (const FileIdentity& file : print.files) files_.emplace(file, owner);
  for (const ShapefileSet& set : print.parts) parts_.emplace(set, owner);
  if (print.shapefile) shapefiles_.emplace(*print.shapefile, owner);
}

std::vector<std::size_t> FootprintIndex::Overlapping(const Footprint& print) const {
  std::vector<std::size_t> owners;
  for (const FileIdentity& file : print.files) Collect(files_, file, owners);
  for (const ShapefileSet& set : print.parts) Collect(shapefiles_, set, owners);
  if (print.shapefile) {
    Collect(shapefiles_, *print.shapefile, owners);
    Collect(parts_, *print.shapefile, owners);
  }
  std::sort(owners.begin(), owners.end());
  owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
  return owners;
}

}  // namespace oru
