#include "gis/gpx_writer.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "gis/gpx_reader.h"

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

bool SameLines(const std::vector<GisTrack>& scanned, const std::vector<GisTrack>& tracks) {
  if (scanned.size() != tracks.size()) return false;
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    const GisTrack& a = scanned[t];
    const GisTrack& b = tracks[t];
    if (a.layer != b.layer || a.feature != b.feature || a.part != b.part || a.points != b.points) {
      return false;
    }
  }
  return true;
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

std::optional<std::string> ThinnedGpxText(const std::string& path,
                                          const std::vector<GisTrack>& tracks,
                                          const std::vector<std::vector<std::int64_t>>& kept) {
  if (kept.size() != tracks.size()) return std::nullopt;
  const auto routes = static_cast<std::size_t>(
      std::count_if(tracks.begin(), tracks.end(),
                    [](const GisTrack& track) { return track.layer == "routes"; }));
  // The next kept point of each line, by its index into kept[line].
  std::vector<std::size_t> next(tracks.size(), 0);
  std::vector<Cut> cuts;
  bool fits = true;
  const std::optional<GisReadOutcome> scanned =
      ScanGpxPoints(path, routes, [&](const GpxPointPlace& point) {
        if (!(point.line < tracks.size())) {
          fits = false;
          return;
        }
        const std::vector<std::int64_t>& line = kept[point.line];
        std::size_t& k = next[point.line];
        if (k < line.size() && line[k] == point.number) {
          ++k;
        } else {
          cuts.push_back({point.before, point.begin, point.end});
        }
      });
  if (!scanned || !fits || !SameLines(scanned->tracks, tracks)) return std::nullopt;
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    if (next[t] != kept[t].size()) return std::nullopt;  // kept numbers not ascending or too large
  }
  std::string out;
  if (!CopyWithout(path, cuts, out)) return std::nullopt;
  return out;
}

}  // namespace oru
