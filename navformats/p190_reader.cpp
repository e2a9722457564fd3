#include "navformats/p190_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "escaping/escapes.h"
#include "numbertext/c_number_scan.h"
#include "trackio/text_lines.h"

namespace oru {
namespace {

// UKOOA P1/90 (1990), the columns read (1-based, inclusive):
//
//   Header records          1     'H'
//                           2-5   record type and modifier: 1400 geodetic
//                                 datum as surveyed, 1500 geodetic datum as
//                                 plotted, 8001 EPSG geographic CRS code
//                           33-80 parameter data: the datum's name first
//                                 (H1400, H1500), the code as I5 (H8001)
//   Type 1 position records 1     record identifier (V, S, C, E, T, A, G, Q, Z)
//                           2-13  line name, A12, left-justified
//                           17    vessel id, A1
//                           18    source id, A1
//                           19    tailbuoy or other id, A1
//                           26-35 latitude 2(I2),F5.2,A1: degrees 26-27,
//                                 minutes 28-29, seconds 30-34, N/S 35
//                           36-46 longitude I3,I2,F5.2,A1: degrees 36-38,
//                                 minutes 39-40, seconds 41-45, E/W 46
//                           47-55 map grid easting F9.1, metres
//                           56-64 map grid northing F9.1, metres
//
// Columns 14-16 (spare), 20-25 (point number), 65-70 (water depth), 71-79
// (day of year and time; the year is given in no fixed column) and 80 are
// not read. The EPSG records come from the UKOOA/OGP extension "EPSG
// Co-ordinate System Description in UKOOA Positioning (P) Formats".
struct Columns {
  std::size_t first;
  std::size_t last;
  const char* name;
};
constexpr Columns kLineName{2, 13, "line name"};
constexpr Columns kIdentities{17, 19, "vessel, source and tailbuoy ids"};
constexpr Columns kLatitude{26, 35, "latitude"};
constexpr Columns kLongitude{36, 46, "longitude"};
constexpr Columns kEasting{47, 55, "easting"};
constexpr Columns kNorthing{56, 64, "northing"};
constexpr std::size_t kHeaderData = 33;

std::string_view Field(std::string_view record, Columns c) {
  if (record.size() < c.first) return {};
  return record.substr(c.first - 1, c.last - c.first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A right-justified unsigned number: blanks, then digits with at most one
// point (a point only where `decimals`).
bool ReadUnsigned(std::string_view s, bool decimals, double& value) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool point = false;
  bool digit = false;
  for (const char c : s) {
    if (c == '.' && decimals && !point) {
      point = true;
    } else if (IsDigit(c)) {
      digit = true;
    } else {
      return false;
    }
  }
  cscan::Cursor cursor{s.data(), s.data() + s.size()};
  return digit && cscan::Double(cursor, value) && cursor.p == cursor.end;
}

// Degrees (degree_digits wide), minutes (2), seconds (5, F5.2) and a
// hemisphere letter, as in columns 26-35 and 36-46; signed degrees.
bool ReadDms(std::string_view field, std::size_t degree_digits, char positive, char negative,
             double max_degrees, double& degrees) {
  if (field.size() != degree_digits + 8) return false;
  double d = 0.0;
  double m = 0.0;
  double s = 0.0;
  const char letter = field.back();
  if (!ReadUnsigned(field.substr(0, degree_digits), false, d) ||
      !ReadUnsigned(field.substr(degree_digits, 2), false, m) ||
      !ReadUnsigned(field.substr(degree_digits + 2, 5), true, s) ||
      (letter != positive && letter != negative)) {
    return false;
  }
  const double v = d + m / 60.0 + s / 3600.0;
  if (!(m < 60.0 && s < 60.0 && v <= max_degrees)) return false;
  degrees = letter == negative ? -v : v;
  return true;
}

// F9.1: blanks, an optional sign, digits with an optional point.
bool ReadGrid(std::string_view field, double& value) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  if (!field.empty() && (field.front() == '-' || field.front() == '+')) {
    double magnitude = 0.0;
    if (!ReadUnsigned(field.substr(1), true, magnitude) || field[1] == ' ') return false;
    value = field.front() == '-' ? -magnitude : magnitude;
    return true;
  }
  return ReadUnsigned(field, true, value);
}

std::string Upper(std::string_view text) {
  std::string upper;
  for (const char c : text) {
    if (c >= 'a' && c <= 'z') {
      upper += static_cast<char>(c - 'a' + 'A');
    } else if (c != ' ' && c != '-' && c != '_') {
      upper += c;
    }
  }
  return upper;
}

// The datum named at the start of an H1400 or H1500 record's data.
std::optional<DatumChoice> DatumOfName(std::string_view data) {
  const std::string name = Upper(data);
  auto starts = [&](std::string_view prefix) { return name.rfind(prefix, 0) == 0; };
  for (const char* wgs : {"WGS84", "WGS1984", "WORLDGEODETICSYSTEM1984", "ETRS89"}) {
    if (starts(wgs)) return DatumChoice::Wgs84;
  }
  for (const char* ed : {"ED50", "ED1950", "EUROPEANDATUM1950", "EUROPEAN1950"}) {
    if (starts(ed)) return DatumChoice::Ed50;
  }
  return std::nullopt;
}

// Text of the file in a message, between quotes: its bytes shown as they
// are where they are printable, else as \xXX, so that a NUL or an escape
// sequence neither ends nor hides the quote (escaping/escapes.h).
std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += TerminalText(text);
  quoted += '\'';
  return quoted;
}

std::string FirstWord(std::string_view data) {
  while (!data.empty() && data.front() == ' ') data.remove_prefix(1);
  return std::string(data.substr(0, data.find(' ')));
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

const char* RecordDescription(char id) {
  switch (id) {
    case 'V': return "vessel reference point";
    case 'S': return "centre of source";
    case 'C': return "common mid point";
    case 'E': return "echo sounder";
    case 'T': return "tailbuoy";
    case 'A': return "antenna";
    case 'G': return "receiver group";
    case 'Q': return "bin centre";
    case 'Z': return "other position";
    default: return nullptr;
  }
}

std::string LabelOf(std::string_view record) {
  std::string label = "line '" + Trimmed(Field(record, kLineName)) + "', " +
                      RecordDescription(record.front());
  const std::string_view ids = Field(record, kIdentities);
  const char* names[] = {"vessel", "source", "tailbuoy"};
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (ids[i] != ' ') label.append(", ").append(names[i]).append(" ").append(1, ids[i]);
  }
  return label;
}

// The datum that the headers name: H8001 before H1500 before H1400.
struct HeaderDatum {
  std::optional<DatumChoice> datum;
  std::string unknown;  // what names a datum that is neither WGS84 nor ED50
  int rank = 0;         // 1 H1400, 2 H1500, 3 H8001
};

void ReadHeader(std::string_view record, HeaderDatum& header) {
  const std::string_view type = record.substr(1, std::min<std::size_t>(4, record.size() - 1));
  const std::string_view data =
      record.size() >= kHeaderData ? record.substr(kHeaderData - 1) : std::string_view();
  const int rank = type == "1400" ? 1 : type == "1500" ? 2 : type == "8001" ? 3 : 0;
  if (rank <= header.rank || FirstWord(data).empty()) return;
  header.rank = rank;
  header.datum.reset();
  header.unknown.clear();
  if (rank == 3) {
    const std::string code = FirstWord(data);
    if (code == "4326" || code == "4258") {
      header.datum = DatumChoice::Wgs84;
    } else if (code == "4230") {
      header.datum = DatumChoice::Ed50;
    } else {
      header.unknown = "EPSG code " + code + " of the H8001 record";
    }
    return;
  }
  header.datum = DatumOfName(data);
  if (!header.datum) {
    header.unknown.append(Quoted(FirstWord(data))).append(" of the H").append(type);
    header.unknown.append(" record");
  }
}

std::string DoesNotRead(std::int64_t line, Columns c, std::string_view field) {
  return "Line " + std::to_string(line) + ": " + c.name + " (columns " +
         std::to_string(c.first) + "-" + std::to_string(c.last) + ") " + Quoted(field) +
         " does not read.";
}

}  // namespace

NavReadOutcome ReadP190Tracks(std::string_view text, const P190Choices& choices) {
  NavReadOutcome outcome;
  HeaderDatum header;
  std::optional<DatumChoice> datum;  // decided at the first position record
  std::vector<std::string> keys;
  std::size_t current = 0;
  std::int64_t line = 0;
  ForEachLine(text, [&](std::string_view record) {
    ++line;
    while (!record.empty() && record.back() == ' ') record.remove_suffix(1);
    if (record.empty()) return true;
    const char id = record.front();
    if (id == 'H') {
      ReadHeader(record, header);
      return true;
    }
    if (id == 'R' || id == 'X') return true;
    if (RecordDescription(id) == nullptr) {
      outcome.error = "Line " + std::to_string(line) + ": " + Quoted(std::string(1, id)) +
                      " begins no P1/90 record.";
      return false;
    }
    const std::size_t needed = choices.grid ? kNorthing.last : kLongitude.last;
    if (record.size() < needed) {
      outcome.error = "Line " + std::to_string(line) + ": the position record ends before column " +
                      std::to_string(needed) + ".";
      return false;
    }
    if (!choices.grid && !datum) {
      if (!header.datum) {
        outcome.error = "Line " + std::to_string(line) + ": " +
                        (header.unknown.empty()
                             ? std::string("no header record (H1400, H1500 or H8001) names the "
                                           "geodetic datum of the latitudes and longitudes")
                             : "the datum " + header.unknown + " is neither WGS84 nor ED50") +
                        "; the grid coordinates can be read instead.";
        return false;
      }
      datum = header.datum;
    }
    double first = 0.0;
    double second = 0.0;
    if (choices.grid) {
      if (!ReadGrid(Field(record, kEasting), first)) {
        outcome.error = DoesNotRead(line, kEasting, Field(record, kEasting));
      } else if (!ReadGrid(Field(record, kNorthing), second)) {
        outcome.error = DoesNotRead(line, kNorthing, Field(record, kNorthing));
      }
    } else if (!ReadDms(Field(record, kLatitude), 2, 'N', 'S', 90.0, first)) {
      outcome.error = DoesNotRead(line, kLatitude, Field(record, kLatitude));
    } else if (!ReadDms(Field(record, kLongitude), 3, 'E', 'W', 180.0, second)) {
      outcome.error = DoesNotRead(line, kLongitude, Field(record, kLongitude));
    }
    if (!outcome.error.empty()) return false;

    std::string key(1, id);
    key.append(Field(record, kLineName)).append(Field(record, kIdentities));
    if (keys.empty() || keys[current] != key) {
      current = 0;
      while (current < keys.size() && keys[current] != key) ++current;
      if (current == keys.size()) {
        keys.push_back(key);
        NavTrack track;
        track.label = LabelOf(record);
        track.geographic = !choices.grid;
        track.datum = datum.value_or(DatumChoice::Wgs84);
        track.first_line = line;
        outcome.tracks.push_back(std::move(track));
      }
    }
    outcome.tracks[current].first.push_back(first);
    outcome.tracks[current].second.push_back(second);
    return true;
  });
  if (!outcome.error.empty()) {
    outcome.tracks.clear();
  } else if (outcome.tracks.empty()) {
    outcome.error = "Input file empty.";
  }
  return outcome;
}

}  // namespace oru
