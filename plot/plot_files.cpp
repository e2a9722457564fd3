#include "plot/plot_files.h"

#include <cstdlib>
#include <cstring>
#include <system_error>

#include "numbertext/c_number_scan.h"
#include "trackio/file_io.h"
#include "trackio/text_lines.h"

namespace oru {
namespace {

cscan::Cursor CursorOver(std::string_view line) { return {line.data(), line.data() + line.size()}; }

}  // namespace

int ParsePlotLine(std::string_view line, PlotLine& out, std::string& label) {
  cscan::Cursor c = CursorOver(line);
  if (!cscan::Double(c, out.x)) return 0;
  if (!cscan::Double(c, out.y)) return 1;
  if (!cscan::Int(c, out.colour)) return 2;
  if (!cscan::Int(c, out.mode)) return 3;
  if (!cscan::Word(c, label)) return 4;
  return 5;
}

int ParseCoastLine(std::string_view line, CoastRecord& out) {
  cscan::Cursor c = CursorOver(line);
  if (!cscan::Int(c, out.code)) return 0;
  if (!cscan::Double(c, out.x)) return 1;
  if (!cscan::Double(c, out.y)) return 2;
  return 3;
}

PlotFileData ParsePlotFile(std::string_view text) {
  PlotFileData data;
  bool first = true;
  std::string label;
  ForEachLine(text, [&](std::string_view line) {
    if (first) data.first_line_empty = line.empty();
    first = false;
    PlotLine rec;
    const int n = ParsePlotLine(line, rec, label);
    if (n == 0) return true;
    rec.fields = static_cast<std::int8_t>(n);
    if (n == 5) {
      rec.label = static_cast<std::int32_t>(data.labels.size());
      data.labels.push_back(label);
    }
    data.lines.push_back(rec);
    return true;
  });
  return data;
}

CoastData ParseCoastFile(std::string_view text) {
  CoastData data;
  ForEachLine(text, [&](std::string_view line) {
    CoastRecord rec;
    rec.fields = static_cast<std::int8_t>(ParseCoastLine(line, rec));
    if (rec.fields == 3) data.full.push_back(data.records.size());
    data.records.push_back(rec);
    return true;
  });
  return data;
}

BlockData ParseBlockFile(std::string_view text) {
  BlockData data;
  ForEachLine(text, [&](std::string_view line) {
    cscan::Cursor c = CursorOver(line);
    BlockLabel b;
    if (cscan::Int(c, b.number) && cscan::Double(c, b.x) && cscan::Double(c, b.y) &&
        cscan::Word(c, b.label)) {
      data.labels.push_back(std::move(b));
    }
    return true;
  });
  return data;
}

std::optional<Rect> CoastExtent(const CoastData& coast) {
  if (coast.full.size() < 2) return std::nullopt;
  const CoastRecord& sw = coast.records[coast.full[0]];
  const CoastRecord& ne = coast.records[coast.full[1]];
  return Rect{sw.x, sw.y, ne.x, ne.y};
}

bool IsCoastFile(const CoastData& coast) {
  if (coast.full.size() < 2 || coast.full[0] != 0 || coast.full[1] != 1) return false;
  const CoastRecord& sw = coast.records[0];
  const CoastRecord& ne = coast.records[1];
  auto corner_code = [](const CoastRecord& r) { return r.code == 2 || r.code == 3; };
  return corner_code(sw) && corner_code(ne) && sw.x < ne.x && sw.y < ne.y;
}

std::optional<Rect> TrackExtent(const PlotFileData& points) {
  std::optional<Rect> r;
  for (const PlotLine& line : points.lines) {
    if (line.fields < 2) continue;
    if (!r) {
      r = Rect{line.x, line.y, line.x, line.y};
      continue;
    }
    r->XMin = std::min(r->XMin, line.x);
    r->YMin = std::min(r->YMin, line.y);
    r->XMax = std::max(r->XMax, line.x);
    r->YMax = std::max(r->YMax, line.y);
  }
  if (!r) return r;
  const double margin = std::max(1.0, std::max(r->XMax - r->XMin, r->YMax - r->YMin) / 20.0);
  return Rect{r->XMin - margin, r->YMin - margin, r->XMax + margin, r->YMax + margin};
}

std::optional<Rect> SelectionExtent(const PlotFileData& selection) {
  Rect r;
  int pairs = 0;
  for (const PlotLine& line : selection.lines) {
    if (line.fields < 2) continue;
    if (pairs == 0) {
      r.XMin = line.x;
      r.YMin = line.y;
    } else if (pairs == 1) {
      r.XMax = line.x;
      r.YMax = line.y;
      if (r.XMax < r.XMin) std::swap(r.XMin, r.XMax);
      if (r.YMax < r.YMin) std::swap(r.YMin, r.YMax);
    } else {
      if (line.x < r.XMin) {
        r.XMin = line.x;
      } else if (line.x > r.XMax) {
        r.XMax = line.x;
      }
      if (line.y < r.YMin) {
        r.YMin = line.y;
      } else if (line.y > r.YMax) {
        r.YMax = line.y;
      }
    }
    ++pairs;
  }
  if (pairs == 0) return std::nullopt;
  if (pairs == 1) {  // one point: the rectangle around it alone
    r.XMax = r.XMin;
    r.YMax = r.YMin;
  }
  r.XMin -= kSelectionMargin;
  r.XMax += kSelectionMargin;
  r.YMin -= kSelectionMargin;
  r.YMax += kSelectionMargin;
  return r;
}

bool Contains(const Rect& outer, const Rect& inner) {
  return inner.XMin >= outer.XMin && inner.XMax <= outer.XMax && inner.YMin >= outer.YMin &&
         inner.YMax <= outer.YMax;
}

template <typename T, typename Parse>
std::shared_ptr<const T> LayerCache::Get(std::map<std::filesystem::path, Entry<T>>& entries,
                                         const std::filesystem::path& path, Parse parse) {
  std::error_code ec;
  Stamp stamp;
  stamp.size = std::filesystem::file_size(path, ec);
  if (!ec) stamp.time = std::filesystem::last_write_time(path, ec);
  auto found = entries.find(path);
  if (!ec && found != entries.end() && found->second.stamp == stamp) return found->second.data;
  std::string text;
  if (!LoadFile(path, text)) {
    if (found != entries.end()) entries.erase(found);
    return nullptr;
  }
  auto data = std::make_shared<const T>(parse(text));
  entries[path] = Entry<T>{stamp, data};
  return data;
}

std::shared_ptr<const PlotFileData> LayerCache::Plot(const std::filesystem::path& path) {
  return Get(plots_, path, ParsePlotFile);
}
std::shared_ptr<const CoastData> LayerCache::Coast(const std::filesystem::path& path) {
  return Get(coasts_, path, ParseCoastFile);
}
std::shared_ptr<const BlockData> LayerCache::Blocks(const std::filesystem::path& path) {
  return Get(blocks_, path, ParseBlockFile);
}

LookupPlaces DefaultLookupPlaces(const std::filesystem::path& application_dir) {
  LookupPlaces places;
  places.application_dir = application_dir;
  std::error_code ec;
  places.working_dir = std::filesystem::current_path(ec);
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest(path);
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string_view dir = rest.substr(0, colon);
      if (!dir.empty()) places.search_path.emplace_back(std::string(dir));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  if (!application_dir.empty()) {
    places.search_path.push_back(application_dir.parent_path() / "share" / "oru");
  }
  return places;
}

std::optional<std::filesystem::path> FindLayerFile(const std::string& name,
                                                   const LookupPlaces& places) {
  namespace fs = std::filesystem;
  if (name.empty()) return std::nullopt;
  std::error_code ec;
  const fs::path given(name);
  auto regular = [&](const fs::path& p) { return fs::is_regular_file(p, ec); };
  if (given.is_absolute()) {
    if (regular(given)) return given;
  } else if (given.has_parent_path() && regular(given)) {
    return fs::absolute(given, ec);
  }
  for (const fs::path& relative : {given, fs::path("data") / given}) {
    if (relative.is_absolute()) continue;
    std::vector<const fs::path*> dirs{&places.application_dir, &places.working_dir};
    for (const fs::path& dir : places.search_path) dirs.push_back(&dir);
    for (const fs::path* dir : dirs) {
      if (dir->empty()) continue;
      const fs::path candidate = *dir / relative;
      if (regular(candidate)) return fs::absolute(candidate, ec);
    }
  }
  return std::nullopt;
}

}  // namespace oru
