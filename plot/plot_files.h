#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oru {

// Readers of the files the plot window draws: the hand-off files
// (AllePunten.dat, Selectie.dat), the coastline files (.cst) and the block
// number file (blokmerca.nrs). All positions are plot metres (Mercator on
// WGS84, see handoff.h). Lines are taken whole, however long, and end at
// LF, CR LF or a lone CR (trackio/text_lines.h). Numbers are read as
// the C library's "C" locale reads them (numbertext/c_number_scan.h).

// One line of a hand-off file, "%lf %lf %d %d %s": X, Y, colour, mode,
// label. Only the first `fields` values were converted; the others are
// left for the drawing to take from the line before.
struct PlotLine {
  double x = 0.0;
  double y = 0.0;
  std::int32_t colour = 0;
  std::int32_t mode = 0;
  std::int32_t label = -1;  // index into PlotFileData::labels when fields == 5
  std::int8_t fields = 0;   // 1 to 5
};

struct PlotFileData {
  std::vector<PlotLine> lines;  // lines with at least one value, in file order
  std::vector<std::string> labels;
  // Whether the file is empty or its first line has no characters:
  // a selection file starting so draws nothing.
  bool first_line_empty = true;
};

// One coastline record, "%d %lf %lf": code (3 starts a line, 2 or less
// continues it, larger neither), X, Y.
struct CoastRecord {
  double x = 0.0;
  double y = 0.0;
  std::int32_t code = 0;
  std::int8_t fields = 0;  // 0 to 3 values converted
};

struct CoastData {
  std::vector<CoastRecord> records;  // every line, also those without values
  std::vector<std::size_t> full;     // indexes of the records with three values
};

// One block label, "%d %lf %lf %s": block number, X, Y, label.
struct BlockLabel {
  std::int32_t number = 0;
  double x = 0.0;
  double y = 0.0;
  std::string label;
};

struct BlockData {
  std::vector<BlockLabel> labels;  // the lines with four values
};

// Parsers of a file's whole text.
PlotFileData ParsePlotFile(std::string_view text);
CoastData ParseCoastFile(std::string_view text);
BlockData ParseBlockFile(std::string_view text);

// The line parsers: the number of values converted, changing only those.
int ParsePlotLine(std::string_view line, PlotLine& out, std::string& label);
int ParseCoastLine(std::string_view line, CoastRecord& out);

struct Rect {
  double XMin = 0.0;
  double YMin = 0.0;
  double XMax = 0.0;
  double YMax = 0.0;
};

// The default extent of a coastline file: its first record with three
// values is the south-west corner, the next such record the north-east
// corner. Nothing when the file has fewer than two.
std::optional<Rect> CoastExtent(const CoastData& coast);

// Whether a file read as a coastline file is one: its first two records
// are the corners of its coverage (three values each, codes 2 or 3, the
// south-west corner below and left of the north-east one). A track or
// hand-off file read as one fails this.
bool IsCoastFile(const CoastData& coast);

// The extent of an X, Y track's points: the rectangle around every line
// that gives X and Y, widened on each side by a twentieth of its larger
// side (at least 1 m). Nothing when no line gives two numbers.
std::optional<Rect> TrackExtent(const PlotFileData& points);

// The extent of the selected points: the rectangle around every line that
// gives X and Y, widened by 50000 m on each side. Nothing when no line
// gives two numbers.
std::optional<Rect> SelectionExtent(const PlotFileData& selection);
inline constexpr double kSelectionMargin = 50000.0;  // metres

// True when `inner` lies within `outer`, edges included.
bool Contains(const Rect& outer, const Rect& inner);

// Parsed files kept in memory between repaints. A file is read again when
// its size or modification time changed, so a new run's files are always
// the ones drawn. Returns nothing when the file cannot be opened.
class LayerCache {
 public:
  std::shared_ptr<const PlotFileData> Plot(const std::filesystem::path& path);
  std::shared_ptr<const CoastData> Coast(const std::filesystem::path& path);
  std::shared_ptr<const BlockData> Blocks(const std::filesystem::path& path);

 private:
  struct Stamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const Stamp&) const = default;
  };
  template <typename T>
  struct Entry {
    Stamp stamp;
    std::shared_ptr<const T> data;
  };
  template <typename T, typename Parse>
  std::shared_ptr<const T> Get(std::map<std::filesystem::path, Entry<T>>& entries,
                               const std::filesystem::path& path, Parse parse);

  std::map<std::filesystem::path, Entry<PlotFileData>> plots_;
  std::map<std::filesystem::path, Entry<CoastData>> coasts_;
  std::map<std::filesystem::path, Entry<BlockData>> blocks_;
};

// Where the background files are looked for: the program's directory, the
// working directory, then the directories of the search path (PATH, then
// the installed data directory).
struct LookupPlaces {
  std::filesystem::path application_dir;
  std::filesystem::path working_dir;
  std::vector<std::filesystem::path> search_path;
};

// The places for a program in `application_dir`: the current directory,
// the directories of the PATH environment variable and, last, the data
// directory of an installation (`application_dir`/../share/oru).
LookupPlaces DefaultLookupPlaces(const std::filesystem::path& application_dir);

// `name` in each place in order, then "data/" + name in each place. A name
// with a directory part that exists as given is taken as it is. The
// absolute path found, or nothing.
std::optional<std::filesystem::path> FindLayerFile(const std::string& name,
                                                   const LookupPlaces& places);

}  // namespace oru
