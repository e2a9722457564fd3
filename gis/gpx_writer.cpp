#include "gis/gpx_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>


namespace oru {
namespace {

// A stretch of the file left out: [begin, end); `blanks_from` is where the
// markup before it ended, from which it goes too when only blanks lie
// between.
struct Cut {
  std::int64_t blanks_from;
  std::int64_t begin;
  std::int64_t end;
};

// Whether the file is the one whose points were placed.
bool Unchanged(const std::string& path, const GpxPointPlaces& places) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && status.st_size == places.file_size &&
         status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec == places.file_time_ns;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The file's bytes without the cuts (in file order, apart); false when it
// could not be read.
bool CopyWithout(const std::string& path, const std::vector<Cut>& cuts, std::string& out) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return false;
  std::string block;         // bytes of the file from `base` on
  std::int64_t base = 0;
  std::int64_t done = 0;     // the bytes before it are copied or cut
  // Reads until the block holds the bytes before `end`, dropping those done.
  auto read_to = [&](std::int64_t end) {
    while (base + static_cast<std::int64_t>(block.size()) < end) {
      block.erase(0, static_cast<std::size_t>(done - base));
      base = done;
      char buffer[1 << 16];
      const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
      if (got == 0) return false;
      block.append(buffer, got);
    }
    return true;
  };
  auto at = [&](std::int64_t offset) { return block.begin() + (offset - base); };
  for (const Cut& cut : cuts) {
    if (!read_to(cut.end)) return false;
    const bool blanks = cut.blanks_from >= done &&
                        std::all_of(at(cut.blanks_from), at(cut.begin), IsBlank);
    out.append(at(done), at(blanks ? cut.blanks_from : cut.begin));
    done = cut.end;
  }
  while (read_to(done + 1)) {
    out.append(at(done), block.end());
    done = base + static_cast<std::int64_t>(block.size());
  }
  return std::ferror(file.get()) == 0;
}

}  // namespace

std::optional<std::string> ThinnedGpxText(const std::string& path, const GpxPointPlaces& places,
                                          const std::vector<std::vector<std::int64_t>>& kept) {
  if (kept.size() != places.lines.size() || !Unchanged(path, places)) return std::nullopt;
  std::vector<Cut> cuts;
  for (std::size_t t = 0; t < kept.size(); ++t) {
    const std::vector<GpxPointPlace>& line = places.lines[t];
    std::size_t k = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const bool keep = k < kept[t].size() && kept[t][k] == static_cast<std::int64_t>(i + 1);
      if (keep) ++k;
      if (!keep) cuts.push_back({line[i].before, line[i].begin, line[i].end});
    }
    // Kept numbers not ascending, or beyond the line's points.
    if (k != kept[t].size()) return std::nullopt;
  }
  // Routes and tracks lie in the file in any order.
  const auto by_place = [](const Cut& a, const Cut& b) { return a.begin < b.begin; };
  if (!std::is_sorted(cuts.begin(), cuts.end(), by_place)) std::sort(cuts.begin(), cuts.end(), by_place);
  std::string out;
  if (!CopyWithout(path, cuts, out)) return std::nullopt;
  return out;
}

}  // namespace oru
