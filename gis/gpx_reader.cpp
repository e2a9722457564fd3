#include "gis/gpx_reader.h"

#include <expat.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace oru {
namespace {

// The parts of a file that GDAL's GPX driver (GDAL 3.6, ogrgpxlayer.cpp)
// reads for its layers 'routes' and 'tracks', and the limits past which it
// refuses a file; the reader leaves files near those limits to GDAL.
//   - GDAL finds "<gpx" in the first 1024 bytes it looks at.
constexpr XML_Index kRootWithin = 512;
//   - It reads 8 KiB at a time and fails when ten reads in a row bring no
//     element boundary ("Too much data inside one element").
constexpr XML_Index kLongestStretch = 32768;
//   - It fails when one read of 8 KiB brings 8192 pieces of text (expat
//     calls back for every line: "million laugh pattern").
constexpr XML_Index kReadSize = 8192;
constexpr int kMostTextPieces = 2048;
//   - It keeps a feature's elements as text, nested ones written out again,
//     and fails beyond 100,000 characters; written out, an element may take
//     twice its bytes in the file (<a/> becomes <a></a>).
constexpr XML_Index kLongestElement = 40000;

constexpr std::size_t kBlockSize = 1 << 16;

// Where the parser stands, as far as the tracks are concerned.
enum class Line { None, Route, Track };

// Called at the end of every point with its place: `line` indexes the
// routes or (route false) the tracks' parts, which the parser keeps apart.
struct PointEvent {
  bool route = false;
  std::size_t line = 0;
  GpxPointPlace place;
};
using PointHook = std::function<void(const PointEvent&)>;

class GpxParser {
 public:
  explicit GpxParser(PointHook hook = {})
      : parser_(XML_ParserCreate(nullptr)), hook_(std::move(hook)) {
    XML_SetUserData(parser_.get(), this);
    XML_SetElementHandler(parser_.get(), &GpxParser::OnStart, &GpxParser::OnEnd);
    XML_SetCharacterDataHandler(parser_.get(), &GpxParser::OnText);
    XML_SetXmlDeclHandler(parser_.get(), &GpxParser::OnDeclaration);
    XML_SetStartDoctypeDeclHandler(parser_.get(), &GpxParser::OnDoctype);
  }

  // Parses the blocks that `read` puts into expat's buffer (returning their
  // size, 0 at the end, -1 on a failure); the tracks, or nothing.
  std::optional<GisReadOutcome> Parse(const std::function<long(char*, std::size_t)>& read) {
    for (bool first = true;; first = false) {
      void* buffer = XML_GetBuffer(parser_.get(), static_cast<int>(kBlockSize));
      if (buffer == nullptr) return std::nullopt;
      const long size = read(static_cast<char*>(buffer), kBlockSize);
      if (size < 0) return std::nullopt;
      // A byte-order mark or blanks before the markup: GDAL's choice.
      if (first && (size == 0 || static_cast<char*>(buffer)[0] != '<')) return std::nullopt;
      const bool last = size == 0;
      file_size_ += size;
      const bool parsed = XML_ParseBuffer(parser_.get(), static_cast<int>(size), last) == XML_STATUS_OK;
      if (!refusal_.empty()) {
        GisReadOutcome refused;
        refused.error = refusal_;
        return refused;
      }
      if (!parsed || unsupported_) return std::nullopt;
      if (last) break;
    }
    // The stretch after the last element is as long as the others may be.
    if (!root_seen_ || file_size_ - last_boundary_ > kLongestStretch) return std::nullopt;
    GisReadOutcome outcome;
    outcome.tracks = std::move(routes_);
    for (GisTrack& track : tracks_) outcome.tracks.push_back(std::move(track));
    for (const GisTrack& track : outcome.tracks) {
      if (track.points == 0) ++outcome.skipped.empty_lines;
    }
    return outcome;
  }

 private:
  struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
  };

  static void OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
    static_cast<GpxParser*>(self)->Start(name, attributes);
  }
  static void OnEnd(void* self, const XML_Char* name) { static_cast<GpxParser*>(self)->End(name); }
  static void OnText(void* self, const XML_Char* text, int length) {
    static_cast<GpxParser*>(self)->Text(text, length);
  }
  static void OnDeclaration(void* self, const XML_Char*, const XML_Char* encoding, int) {
    // Expat reads UTF-8 and Latin-1 itself; GDAL adds other encodings of its
    // own, which are left to it.
    if (encoding != nullptr && strcasecmp(encoding, "UTF-8") != 0) {
      static_cast<GpxParser*>(self)->Unsupported();
    }
  }
  static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<GpxParser*>(self)->Unsupported();
  }

  void Unsupported() {
    unsupported_ = true;
    XML_StopParser(parser_.get(), XML_FALSE);
  }

  // Marks an element boundary: fails on a long stretch without one.
  void Boundary() {
    const XML_Index at = XML_GetCurrentByteIndex(parser_.get());
    if (at - last_boundary_ > kLongestStretch) Unsupported();
    last_boundary_ = at;
  }

  // The end of the markup just parsed.
  void MarkupEnd() {
    markup_end_ = XML_GetCurrentByteIndex(parser_.get()) + XML_GetCurrentByteCount(parser_.get());
  }

  void Start(const char* name, const char** attributes) {
    Boundary();
    StartElement(name, attributes);
    MarkupEnd();
  }

  void StartElement(const char* name, const char** attributes) {
    const int depth = depth_++;
    if (unsupported_) return;
    if (depth == 0) {
      StartRoot(name, attributes);
      return;
    }
    if (in_name_) return Unsupported();  // an element inside a <name>
    const bool is_trk = std::strcmp(name, "trk") == 0;
    const bool is_rte = std::strcmp(name, "rte") == 0;
    if (is_trk || is_rte) {
      if (depth != 1) return Unsupported();
      StartLine(is_trk ? Line::Track : Line::Route);
      return;
    }
    const bool is_trkseg = std::strcmp(name, "trkseg") == 0;
    const bool is_trkpt = std::strcmp(name, "trkpt") == 0;
    const bool is_rtept = std::strcmp(name, "rtept") == 0;
    if (is_trkseg) {
      if (!(line_ == Line::Track && depth == 2)) return Unsupported();
      GisTrack& part = tracks_.emplace_back(NewPart("tracks", track_features_));
      part.part = ++segments_;
      segment_open_ = true;
      measured_ = false;
      return;
    }
    if (is_trkpt || is_rtept) {
      const bool in_place = is_trkpt ? (line_ == Line::Track && depth == 3 && segment_open_)
                                     : (line_ == Line::Route && depth == 2);
      if (!in_place) return Unsupported();
      AddPoint(attributes, is_trkpt ? tracks_.back() : routes_.back());
      point_before_ = markup_end_;
      point_begin_ = XML_GetCurrentByteIndex(parser_.get());
      point_end_ = point_begin_ + XML_GetCurrentByteCount(parser_.get());
      point_depth_ = depth;
      if (is_rtept) measured_ = false;
      return;
    }
    if (line_ == Line::None) return;
    if (depth == 2) {
      child_start_ = XML_GetCurrentByteIndex(parser_.get());
      measured_ = true;
      if (std::strcmp(name, "name") == 0) {
        if (name_seen_) return Unsupported();
        name_seen_ = in_name_ = true;
      } else if (std::strcmp(name, "extensions") == 0) {
        in_extensions_ = true;
      }
    } else if (depth == 3 && in_extensions_ && std::strcmp(name, "name") == 0) {
      // GDAL reads an extension named "name" into the line's name.
      Unsupported();
    }
  }

  void StartRoot(const char* name, const char** attributes) {
    if (std::strcmp(name, "gpx") != 0 ||
        XML_GetCurrentByteIndex(parser_.get()) > kRootWithin) {
      return Unsupported();
    }
    const char* version = nullptr;
    for (int i = 0; attributes[i] != nullptr; i += 2) {
      if (std::strcmp(attributes[i], "version") == 0) version = attributes[i + 1];
    }
    if (version == nullptr || (std::strcmp(version, "1.1") != 0 && std::strcmp(version, "1.0") != 0)) {
      return Unsupported();
    }
    root_seen_ = true;
  }

  void StartLine(Line line) {
    line_ = line;
    name_seen_ = in_name_ = in_extensions_ = false;
    name_.clear();
    segments_ = 0;
    first_part_ = line == Line::Track ? tracks_.size() : routes_.size();
    if (line == Line::Route) routes_.push_back(NewPart("routes", ++route_features_));
    if (line == Line::Track) ++track_features_;
  }

  GisTrack NewPart(const char* layer, std::int64_t feature) const {
    GisTrack part;
    part.layer = layer;
    part.feature = feature;
    part.geographic = true;
    part.datum = DatumChoice::Wgs84;
    return part;
  }

  // A point of a segment or route; lat and lon as the engine keeps them.
  void AddPoint(const char** attributes, GisTrack& line) {
    const char* lat_text = nullptr;
    const char* lon_text = nullptr;
    for (int i = 0; attributes[i] != nullptr; i += 2) {
      if (std::strcmp(attributes[i], "lat") == 0) lat_text = attributes[i + 1];
      if (std::strcmp(attributes[i], "lon") == 0) lon_text = attributes[i + 1];
    }
    // GDAL reads a coordinate with no number at its start as 0 and puts the
    // point off the coast of Africa without a word: such a file is refused.
    if (lat_text != nullptr && NoNumberAtStart(lat_text)) return Refuse("latitude", lat_text);
    if (lon_text != nullptr && NoNumberAtStart(lon_text)) return Refuse("longitude", lon_text);
    std::optional<double> lat;
    std::optional<double> lon;
    if (lat_text != nullptr) lat = Number(lat_text);
    if (lon_text != nullptr) lon = Number(lon_text);
    // The checks fail on NaN too.
    if (!(lat && lon && *lat >= -90.0 && *lat <= 90.0 && *lon >= -180.0 && *lon <= 180.0)) {
      return Unsupported();
    }
    ++line.points;
    line.first.push_back(*lat);
    line.second.push_back(*lon);
  }

  // Whether C's strtod, which GDAL's CPLAtof calls, reads no number at the
  // start of the text ("x", "", "--1"), after blanks and a sign.
  static bool NoNumberAtStart(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r') ++text;
    if (*text == '+' || *text == '-') ++text;
    double value = 0.0;
    const char* end = text + std::strlen(text);
    return std::from_chars(text, end, value).ptr == text;
  }

  void Refuse(const char* coordinate, std::string_view text) {
    constexpr std::size_t kShown = 40;  // bytes of the text quoted
    const std::string shown =
        text.size() > kShown ? std::string(text.substr(0, kShown)) + "..." : std::string(text);
    refusal_ = "Line " + std::to_string(XML_GetCurrentLineNumber(parser_.get())) + ": a point's " +
               coordinate + " \"" + shown + "\" is not a number.";
    Unsupported();
  }

  // A plain decimal number ("-4.25", "1e-3"), read as GDAL's CPLAtof reads
  // it (both round correctly); nothing for any other text.
  static std::optional<double> Number(const char* text) {
    const char* end = text + std::strlen(text);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end || text == end) return std::nullopt;
    return value;
  }

  void End(const char*) {
    Boundary();
    EndElement();
    MarkupEnd();
  }

  void EndElement() {
    const int depth = --depth_;
    if (unsupported_ || line_ == Line::None) return;
    if (depth == point_depth_) return EndPoint();
    if (depth == 1) {
      EndLine();
    } else if (depth == 2) {
      if (measured_ && XML_GetCurrentByteIndex(parser_.get()) - child_start_ > kLongestElement) {
        return Unsupported();
      }
      in_name_ = in_extensions_ = segment_open_ = measured_ = false;
    }
  }

  // The end of a point: its place to the hook. An empty-element tag
  // (<trkpt .../>) ends where its start tag ends.
  void EndPoint() {
    point_depth_ = -1;
    if (!hook_) return;
    const XML_Index end =
        XML_GetCurrentByteIndex(parser_.get()) + XML_GetCurrentByteCount(parser_.get());
    PointEvent event;
    event.route = line_ == Line::Route;
    const std::vector<GisTrack>& lines = event.route ? routes_ : tracks_;
    event.line = lines.size() - 1;
    event.place.before = point_before_;
    event.place.begin = point_begin_;
    event.place.end = std::max(end, point_end_);
    hook_(event);
  }

  void EndLine() {
    std::vector<GisTrack>& parts = line_ == Line::Track ? tracks_ : routes_;
    // A track without a segment is one line without vertices.
    if (line_ == Line::Track && segments_ == 0) parts.push_back(NewPart("tracks", track_features_));
    for (std::size_t i = first_part_; i < parts.size(); ++i) parts[i].name = name_;
    line_ = Line::None;
  }

  void Text(const char* text, int length) {
    const XML_Index at = XML_GetCurrentByteIndex(parser_.get());
    if (at / kReadSize != text_read_) {
      text_read_ = at / kReadSize;
      text_pieces_ = 0;
    }
    if (++text_pieces_ >= kMostTextPieces) return Unsupported();
    if (in_name_) name_.append(text, static_cast<std::size_t>(length));
  }

  std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree> parser_;
  PointHook hook_;
  bool unsupported_ = false;
  std::string refusal_;  // why the file is refused, when it is
  bool root_seen_ = false;
  int depth_ = 0;
  XML_Index last_boundary_ = 0;
  XML_Index file_size_ = 0;
  XML_Index text_read_ = 0;
  int text_pieces_ = 0;

  std::vector<GisTrack> routes_;
  std::vector<GisTrack> tracks_;
  std::int64_t route_features_ = 0;
  std::int64_t track_features_ = 0;

  // The line being read.
  Line line_ = Line::None;
  std::size_t first_part_ = 0;  // its first part in routes_ or tracks_
  int segments_ = 0;
  bool segment_open_ = false;
  bool name_seen_ = false;
  bool in_name_ = false;
  bool in_extensions_ = false;
  std::string name_;
  // Where its child element being read began, when its length matters
  // (not a segment's nor a route point's).
  XML_Index child_start_ = 0;
  bool measured_ = false;

  // The point being read: where the markup before it ended, where its
  // start tag begins and ends, and its depth (-1: none).
  XML_Index markup_end_ = 0;
  XML_Index point_before_ = 0;
  XML_Index point_begin_ = 0;
  XML_Index point_end_ = 0;
  int point_depth_ = -1;
};

std::optional<GisReadOutcome> ParseFile(const std::string& path, GpxParser& parser) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) return std::nullopt;
  return parser.Parse([&](char* buffer, std::size_t size) -> long {
    const std::size_t got = std::fread(buffer, 1, size, file.get());
    return std::ferror(file.get()) != 0 ? -1 : static_cast<long>(got);
  });
}

// The file's size and time of change, or -1 when it cannot be seen.
void Identify(const std::string& path, GpxPointPlaces& places) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return;
  places.file_size = status.st_size;
  places.file_time_ns = status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec;
}

}  // namespace

std::optional<GisReadOutcome> ReadGpxTracks(const std::string& path, GpxPointPlaces* places) {
  if (places == nullptr) {
    GpxParser parser;
    return ParseFile(path, parser);
  }
  *places = GpxPointPlaces();
  Identify(path, *places);
  // Routes and tracks' parts apart, as the parser keeps them.
  std::vector<std::vector<GpxPointPlace>> routes;
  std::vector<std::vector<GpxPointPlace>>& tracks = places->lines;
  GpxParser parser([&](const PointEvent& event) {
    std::vector<std::vector<GpxPointPlace>>& lines = event.route ? routes : tracks;
    if (lines.size() <= event.line) lines.resize(event.line + 1);
    lines[event.line].push_back(event.place);
  });
  std::optional<GisReadOutcome> read = ParseFile(path, parser);
  if (!read) return read;
  const std::size_t route_count = static_cast<std::size_t>(std::count_if(
      read->tracks.begin(), read->tracks.end(),
      [](const GisTrack& track) { return track.layer == "routes"; }));
  routes.resize(route_count);
  tracks.resize(read->tracks.size() - route_count);
  tracks.insert(tracks.begin(), std::make_move_iterator(routes.begin()),
                std::make_move_iterator(routes.end()));
  return read;
}

std::optional<GisReadOutcome> ReadGpxText(std::string_view text) {
  GpxParser parser;
  return parser.Parse([&](char* buffer, std::size_t size) -> long {
    const std::size_t got = std::min(size, text.size());
    std::memcpy(buffer, text.data(), got);
    text.remove_prefix(got);
    return static_cast<long>(got);
  });
}

}  // namespace oru
