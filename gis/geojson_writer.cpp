#include "gis/geojson_writer.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "gis/geojson_features.h"

namespace oru {
namespace {

// A field of the layer as GDAL types it from the values of its key.
struct Field {
  std::string key;
  GeoJsonKind kind = GeoJsonKind::Null;  // Null: no value but null yet
};

// The kind of a field that holds `a` and then `b`; Other when GDAL's
// field would print them otherwise than they were read.
GeoJsonKind Merged(GeoJsonKind a, GeoJsonKind b) {
  if (a == GeoJsonKind::Null) return b;
  if (b == GeoJsonKind::Null || a == b) return a;
  const bool numbers = (a == GeoJsonKind::Integer || a == GeoJsonKind::Real) &&
                       (b == GeoJsonKind::Integer || b == GeoJsonKind::Real);
  return numbers ? GeoJsonKind::Real : GeoJsonKind::Other;
}

// Whether GDAL writes a text property as the text it read: not when it
// may take it for a date, nor when it looks like JSON ("[1, 2]" it writes
// as an array).
bool WrittenAsRead(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return !MayReadAsDate(text) &&
         !(first != std::string_view::npos && (text[first] == '[' || text[first] == '{'));
}

bool IsIdKey(const std::string& key) {
  return key.size() == 2 && std::tolower(static_cast<unsigned char>(key[0])) == 'i' &&
         std::tolower(static_cast<unsigned char>(key[1])) == 'd';
}

// The layer's fields, in the order their keys first appear; false when
// one cannot be written here. GDAL orders the fields so that every
// feature's keys keep their order, which may differ from the order first
// seen: taken here only where it cannot, each feature giving its keys in
// that order, and a new key only after all those known before it.
bool AddFields(const GeoJsonFeature& feature, std::vector<Field>& fields) {
  std::size_t known = 0;  // keys of the feature known before it
  std::size_t next = 0;   // where the next known key must lie, or beyond
  const std::size_t before = fields.size();
  for (const GeoJsonProperty& property : feature.properties) {
    if (property.kind == GeoJsonKind::Other || IsIdKey(property.key) ||
        (property.kind == GeoJsonKind::String && !WrittenAsRead(property.text))) {
      return false;
    }
    std::size_t i = 0;
    while (i < fields.size() && fields[i].key != property.key) ++i;
    if (i == fields.size()) {
      if (known != before) return false;
      fields.push_back(Field{property.key, GeoJsonKind::Null});
    } else if (i < next) {
      return false;
    } else if (i < before) {
      ++known;
    }
    next = i + 1;
    fields[i].kind = Merged(fields[i].kind, property.kind);
    if (fields[i].kind == GeoJsonKind::Other) return false;
  }
  return true;
}

// The geometry type GDAL gives the layer: one type when all geometries
// have it (with Z when any has), none when they mix.
class LayerGeometry {
 public:
  void Add(const GeoJsonGeometry& geometry) {
    if (geometry.type == GeoJsonType::None) return;
    if (type_ == GeoJsonType::None) type_ = geometry.type;
    mixed_ = mixed_ || type_ != geometry.type;
    z_ = z_ || geometry.has_z;
  }
  // The name of the CRS GDAL's writer gives the layer: the one the file
  // was read in, WGS84 longitude and latitude (OGC's CRS84), and with
  // heights (EPSG 4979) where GDAL took the file for three-dimensional
  // geometries of one type without a "crs" member.
  const char* Crs(const GeoJsonLayer& layer) const {
    return z_ && !mixed_ && !layer.names_crs84 ? "urn:ogc:def:crs:EPSG::4979"
                                               : "urn:ogc:def:crs:OGC:1.3:CRS84";
  }

 private:
  GeoJsonType type_ = GeoJsonType::None;
  bool mixed_ = false;
  bool z_ = false;
};

// A text as json-c writes it: quotes, backslashes and control characters
// escaped (in lower-case hexadecimal), and '/' too where `slash`.
void AppendString(std::string& out, std::string_view text, bool slash) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '/':
        out += slash ? "\\/" : "/";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

// "12.5" rounded up by one in its last digit ("12.9" -> "13.0").
void RoundUpLastDigit(std::string& s) {
  for (std::size_t i = s.size(); i-- > 0;) {
    if (s[i] == '.' || s[i] == '-') continue;
    if (s[i] != '9') {
      ++s[i];
      return;
    }
    s[i] = '0';
  }
  s.insert(s[0] == '-' ? 1 : 0, 1, '1');
}

// GDAL's tidying of fixed-point text: an end of five zeros or nines and a
// digit is taken for binary noise and rounded off; so is a shorter run of
// zeros or nines two places from the end where the number has enough
// digits before its point (ogrutils.cpp, OGRFormatDouble).
void TrimNoise(std::string& s) {
  const std::size_t n = s.size();
  const std::size_t dot = s.find('.');
  if (dot == std::string::npos || n <= 10) return;
  const std::size_t before = dot - 1 - (s[0] == '-' ? 1 : 0);
  auto run = [&](char digit, std::size_t from, std::size_t to) {
    for (std::size_t k = from; k <= to; ++k) {
      if (s[n - k] != digit) return false;
    }
    return true;
  };
  // Digits k = 3..7 from the end must be `digit` unless the number has
  // k + 2 digits before its point; digits 8 and 9 must be.
  auto long_run = [&](char digit) {
    for (std::size_t k = 3; k <= 7; ++k) {
      if (before < k + 1 && s[n - k] != digit) return false;
    }
    return s[n - 8] == digit && s[n - 9] == digit;
  };
  if (run('0', 2, 6)) {
    s.resize(n - 1);
  } else if (dot < n - 8 && long_run('0')) {
    s.resize(n - 8);
  } else if (run('9', 2, 6)) {
    s.resize(n - 6);
    RoundUpLastDigit(s);
  } else if (dot < n - 9 && long_run('9')) {
    s.resize(n - 9);
    RoundUpLastDigit(s);
  }
}

// A coordinate as GDAL's GeoJSON driver prints it by default: 15 decimals,
// noise trimmed, trailing zeros dropped but one; "%.18g" beyond 1e50.
void AppendCoordinate(std::string& out, double value) {
  char text[400];
  if (std::fabs(value) > 1e50) {
    std::snprintf(text, sizeof text, "%.18g", value);
    out += text;
    return;
  }
  std::snprintf(text, sizeof text, "%.15f", value);
  std::string s(text);
  TrimNoise(s);
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s += '0';
  }
  out += s;
}

// A real attribute as GDAL prints it: 17 significant digits, or 16 to 14
// where 17 end in a run of six zeros or nines after the point and fewer
// give a point without one; ".0" added to whole numbers.
void AppendReal(std::string& out, double value) {
  char text[64];
  // Prints with `digits`; whether the text has a point and no such run.
  auto tidy = [&](int digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    const char* dot = std::strchr(text, '.');
    return dot == nullptr ||
           (std::strstr(dot, "999999") == nullptr && std::strstr(dot, "000000") == nullptr);
  };
  auto tidy_with_point = [&](int digits) { return tidy(digits) && std::strchr(text, '.') != nullptr; };
  if (!tidy(17)) {
    bool found = false;
    for (int digits = 16; digits >= 14 && !found; --digits) found = tidy_with_point(digits);
    if (!found) tidy(17);
  }
  out += text;
  if (std::strchr(text, '.') == nullptr && std::strchr(text, 'e') == nullptr) out += ".0";
}

const char* TypeName(GeoJsonType type) {
  switch (type) {
    case GeoJsonType::Point: return "Point";
    case GeoJsonType::MultiPoint: return "MultiPoint";
    case GeoJsonType::LineString: return "LineString";
    case GeoJsonType::MultiLineString: return "MultiLineString";
    case GeoJsonType::Polygon: return "Polygon";
    case GeoJsonType::MultiPolygon: return "MultiPolygon";
    case GeoJsonType::None: break;
  }
  return "";
}

class FeatureWriter {
 public:
  FeatureWriter(const std::vector<Field>& fields, const std::vector<GisTrack>& tracks,
                const std::vector<std::vector<std::int64_t>>& kept, std::string& out)
      : fields_(fields), tracks_(tracks), kept_(kept), out_(out) {}

  bool Write(const GeoJsonFeature& feature) {
    if (feature.number > 1) out_ += ",\n";
    out_ += "{ \"type\": \"Feature\", \"properties\": { ";
    bool first = true;
    for (const Field& field : fields_) {
      for (const GeoJsonProperty& property : feature.properties) {
        if (property.key != field.key) continue;
        if (!first) out_ += ", ";
        first = false;
        AppendString(out_, property.key, false);
        out_ += ": ";
        Value(property, field.kind);
      }
    }
    out_ += first ? "}, \"geometry\": " : " }, \"geometry\": ";
    if (!Geometry(feature)) return false;
    out_ += " }";
    return true;
  }

  // Whether every track was written.
  bool Done() const { return next_track_ == tracks_.size(); }

 private:
  void Value(const GeoJsonProperty& property, GeoJsonKind field) {
    switch (property.kind) {
      case GeoJsonKind::Null: out_ += "null"; return;
      case GeoJsonKind::Boolean: out_ += property.boolean ? "true" : "false"; return;
      case GeoJsonKind::Integer:
        if (field == GeoJsonKind::Real) {
          AppendReal(out_, static_cast<double>(property.integer));
        } else {
          out_ += std::to_string(property.integer);
        }
        return;
      case GeoJsonKind::Real: AppendReal(out_, property.real); return;
      case GeoJsonKind::String: AppendString(out_, property.text, false); return;
      case GeoJsonKind::Other: return;
    }
  }

  bool Geometry(const GeoJsonFeature& feature) {
    const GeoJsonGeometry& geometry = feature.geometry;
    if (geometry.type == GeoJsonType::None) {
      out_ += "null";
      return true;
    }
    out_ += "{ \"type\": \"";
    out_ += TypeName(geometry.type);
    out_ += "\", \"coordinates\": ";
    if (geometry.type == GeoJsonType::LineString) {
      if (!Line(feature, 0, 0, geometry.x.size())) return false;
    } else if (geometry.type == GeoJsonType::MultiLineString) {
      const std::vector<std::uint32_t> none;
      const std::vector<std::uint32_t>& parts = geometry.levels.size() > 1 ? geometry.levels[1] : none;
      // A MultiLineString without lines was read as one empty track.
      if (parts.empty() && !Line(feature, 0, 0, 0)) return false;
      if (!parts.empty()) out_ += "[ ";
      std::size_t begin = 0;
      for (std::size_t p = 0; p < parts.size(); ++p) {
        if (p > 0) out_ += ", ";
        if (!Line(feature, static_cast<int>(p + 1), begin, begin + parts[p])) return false;
        begin += parts[p];
      }
      if (!parts.empty()) out_ += " ]";
    } else {
      std::size_t position = 0;
      std::vector<std::size_t> taken(geometry.levels.size(), 0);
      Nested(geometry, 0, taken, position);
    }
    out_ += " }";
    return true;
  }

  // The arrays of a geometry that is not thinned, all positions kept.
  void Nested(const GeoJsonGeometry& g, std::size_t level, std::vector<std::size_t>& taken,
              std::size_t& position) {
    if (level == g.levels.size()) {
      Position(g, position++);
      return;
    }
    const std::uint32_t count = g.levels[level][taken[level]++];
    out_ += "[ ";
    for (std::uint32_t i = 0; i < count; ++i) {
      if (i > 0) out_ += ", ";
      Nested(g, level + 1, taken, position);
    }
    out_ += " ]";
  }

  // The kept positions of one line, positions [begin, end) of the
  // geometry: the next track, which must be this line as read.
  bool Line(const GeoJsonFeature& feature, int part, std::size_t begin, std::size_t end) {
    if (next_track_ >= tracks_.size()) return false;
    const GisTrack& track = tracks_[next_track_];
    const std::vector<std::int64_t>& kept = kept_[next_track_++];
    const auto n = static_cast<std::int64_t>(end - begin);
    if (track.feature != feature.number || track.part != part || track.points != n) return false;
    if (kept.empty()) {
      out_ += "[ ]";
      return true;
    }
    out_ += "[ ";
    for (std::size_t j = 0; j < kept.size(); ++j) {
      if (kept[j] < 1 || kept[j] > n || (j > 0 && kept[j] <= kept[j - 1])) return false;
      if (j > 0) out_ += ", ";
      Position(feature.geometry, begin + static_cast<std::size_t>(kept[j] - 1));
    }
    out_ += " ]";
    return true;
  }

  void Position(const GeoJsonGeometry& g, std::size_t i) {
    out_ += "[ ";
    AppendCoordinate(out_, g.x[i]);
    out_ += ", ";
    AppendCoordinate(out_, g.y[i]);
    if (g.has_z) {
      out_ += ", ";
      AppendCoordinate(out_, g.z[i]);
    }
    out_ += " ]";
  }

  const std::vector<Field>& fields_;
  const std::vector<GisTrack>& tracks_;
  const std::vector<std::vector<std::int64_t>>& kept_;
  std::string& out_;
  std::size_t next_track_ = 0;
};

}  // namespace

std::optional<std::string> ThinnedGeoJsonText(const std::string& path,
                                              const std::vector<GisTrack>& tracks,
                                              const std::vector<std::vector<std::int64_t>>& kept) {
  if (kept.size() != tracks.size()) return std::nullopt;
  const PaddedText text = PaddedText::Load(path);
  if (!text.Ok()) return std::nullopt;
  const std::string stem = std::filesystem::path(path).stem().string();
  GeoJsonLayer layer;
  std::vector<Field> fields;
  LayerGeometry geometry;
  if (!WalkGeoJson(text, stem, false, layer, [&](GeoJsonFeature& feature) {
        geometry.Add(feature.geometry);
        return AddFields(feature, fields);
      })) {
    return std::nullopt;
  }
  std::size_t points = 0;
  for (const std::vector<std::int64_t>& k : kept) points += k.size();
  std::string out;
  out.reserve(points * 48 + 4096);
  out += "{\n\"type\": \"FeatureCollection\",\n\"name\": ";
  AppendString(out, layer.name, true);
  out += ",\n\"crs\": { \"type\": \"name\", \"properties\": { \"name\": \"";
  out += geometry.Crs(layer);
  out += "\" } },\n\"features\": [\n";
  FeatureWriter writer(fields, tracks, kept, out);
  if (!WalkGeoJson(text, stem, true, layer,
                   [&](GeoJsonFeature& feature) { return writer.Write(feature); }) ||
      !writer.Done()) {
    return std::nullopt;
  }
  out += "\n]\n}\n";
  return out;
}

}  // namespace oru
