#include "gis/geojson_features.h"

#include <simdjson.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace oru {
namespace {

namespace od = simdjson::ondemand;

// A text GDAL's driver may read otherwise: thrown inside this file only.
struct Unsupported {};

[[noreturn]] void Refuse() { throw Unsupported{}; }

// Deeper nesting goes to GDAL, which refuses files nested beyond 1023
// levels (gdal_support.cpp); features and geometries need a few.
constexpr std::size_t kDeepest = 256;

// GDAL recognises a GeoJSON file by a type it names near its start.
constexpr std::size_t kTypeWithin = 1000;

constexpr std::pair<std::string_view, GeoJsonType> kGeometryTypes[] = {
    {"Point", GeoJsonType::Point},
    {"MultiPoint", GeoJsonType::MultiPoint},
    {"LineString", GeoJsonType::LineString},
    {"MultiLineString", GeoJsonType::MultiLineString},
    {"Polygon", GeoJsonType::Polygon},
    {"MultiPolygon", GeoJsonType::MultiPolygon},
};

std::optional<GeoJsonType> GeometryTypeNamed(std::string_view name) {
  for (const auto& [text, type] : kGeometryTypes) {
    if (text == name) return type;
  }
  return std::nullopt;
}

// Arrays between "coordinates" and its positions.
std::size_t DepthOf(GeoJsonType type) {
  switch (type) {
    case GeoJsonType::Point:
      return 0;
    case GeoJsonType::MultiPoint:
    case GeoJsonType::LineString:
      return 1;
    case GeoJsonType::MultiLineString:
    case GeoJsonType::Polygon:
      return 2;
    case GeoJsonType::MultiPolygon:
      return 3;
    case GeoJsonType::None:
      break;
  }
  Refuse();
}

bool IsLine(GeoJsonType type) {
  return type == GeoJsonType::LineString || type == GeoJsonType::MultiLineString;
}

// Whether the first bytes name a GeoJSON type as a "type" member's value.
bool NamesTypeEarly(std::string_view text) {
  text = text.substr(0, kTypeWithin);
  for (std::size_t at = text.find("\"type\""); at != std::string_view::npos;
       at = text.find("\"type\"", at + 1)) {
    std::size_t i = at + 6;
    auto blanks = [&] {
      while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    };
    blanks();
    if (i >= text.size() || text[i] != ':') continue;
    ++i;
    blanks();
    if (i >= text.size() || text[i] != '"') continue;
    const std::size_t end = text.find('"', i + 1);
    if (end == std::string_view::npos) continue;
    const std::string_view name = text.substr(i + 1, end - i - 1);
    if (name == "FeatureCollection" || name == "Feature" || GeometryTypeNamed(name)) return true;
  }
  return false;
}

// Reads every value it is given to its end, so that no malformed JSON
// passes unread.
void Consume(od::value value, std::size_t depth = 0) {
  if (depth > kDeepest) Refuse();
  switch (value.type()) {
    case od::json_type::array:
      for (auto element : value.get_array()) Consume(element.value(), depth + 1);
      break;
    case od::json_type::object:
      for (auto field : value.get_object()) {
        (void)std::string_view(field.unescaped_key());
        Consume(field.value(), depth + 1);
      }
      break;
    case od::json_type::number:
      (void)double(value.get_double());
      break;
    case od::json_type::string:
      (void)std::string_view(value.get_string());
      break;
    case od::json_type::boolean:
      (void)bool(value.get_bool());
      break;
    case od::json_type::null:
      if (!bool(value.is_null())) Refuse();
      break;
  }
}

// A number that is no integer, rounded correctly. simdjson 3.0 misreads
// some numbers of more than 19 digits ("0.39999990000000000000004" gives
// 7.4e-05): those are read from their text again.
double RealOf(od::value value) {
  std::string_view token = value.raw_json_token();
  const double read = value.get_double();
  token = token.substr(0, token.find_last_not_of(" \t\r\n") + 1);
  const std::string_view mantissa = token.substr(0, token.find_first_of("eE"));
  if (std::count_if(mantissa.begin(), mantissa.end(), [](char c) { return c >= '0' && c <= '9'; }) <= 19) {
    return read;
  }
  double again = 0.0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), again);
  if (error != std::errc() || end != token.data() + token.size()) Refuse();
  return again;
}

// A number as json-c gives it to GDAL: integers converted from 64 bits
// ("-0" is 0), others as read (both round correctly).
double NumberOf(od::value value) {
  switch (value.get_number_type()) {
    case od::number_type::signed_integer:
      return static_cast<double>(std::int64_t(value.get_int64()));
    case od::number_type::floating_point_number:
      return RealOf(value);
    default:
      Refuse();
  }
}

std::string_view StringOf(od::value value) {
  if (value.type() != od::json_type::string) Refuse();
  return value.get_string();
}

// The members GDAL looks for, whatever their case ("Geometry" is a
// geometry to it): another case of one is refused.
std::string_view Member(std::string_view key) {
  static constexpr std::string_view kMembers[] = {"type", "features", "geometry", "geometries",
                                                  "properties", "coordinates", "crs", "name",
                                                  "id", "bbox"};
  for (const std::string_view member : kMembers) {
    if (key.size() != member.size() || key == member) continue;
    bool same = true;
    for (std::size_t i = 0; i < key.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(key[i])) == member[i];
    }
    if (same) Refuse();
  }
  return key;
}

// Marks a member as seen; a member given twice is refused (json-c keeps
// the last, simdjson finds the first).
void Once(bool& seen) {
  if (seen) Refuse();
  seen = true;
}

class Walker {
 public:
  Walker(bool with_geometry, const std::function<bool(GeoJsonFeature&)>& feature)
      : with_geometry_(with_geometry), feature_(feature) {}

  void Root(od::object root, const std::string& file_stem, GeoJsonLayer& layer) {
    bool type_seen = false, features_seen = false, name_seen = false, geometry_seen = false,
         properties_seen = false, coordinates_seen = false, crs_seen = false, foreign = false;
    std::string type;
    std::string name;
    GeoJsonFeature single;
    single.number = 1;
    for (auto field : root) {
      const std::string_view key = Member(field.unescaped_key());
      od::value value = field.value();
      if (key == "type") {
        Once(type_seen);
        type = StringOf(value);
      } else if (key == "features") {
        Once(features_seen);
        Features(value);
      } else if (key == "name") {
        Once(name_seen);
        name = StringOf(value);
      } else if (key == "geometry") {
        Once(geometry_seen);
        Geometry(value, single.geometry);
      } else if (key == "properties") {
        Once(properties_seen);
        Properties(value, single.properties);
      } else if (key == "coordinates") {
        Once(coordinates_seen);
        Coordinates(value, single.geometry);
      } else if (key == "crs") {
        Once(crs_seen);
        Crs84(value);
      } else if (key == "geometries" || key == "id") {
        Refuse();
      } else {
        foreign = true;
        Consume(value);
      }
    }
    const bool collection = type == "FeatureCollection";
    const bool feature = type == "Feature";
    const std::optional<GeoJsonType> geometry = GeometryTypeNamed(type);
    if (collection) {
      if (!features_seen || geometry_seen || properties_seen || coordinates_seen) Refuse();
      // GDAL's name ends at a NUL.
      if (name_seen && (name.empty() || name.find('\0') != std::string::npos)) Refuse();
      layer.name = name_seen ? name : file_stem;
      layer.names_crs84 = crs_seen;
      return;
    }
    if (features_seen || name_seen || !(feature || geometry)) Refuse();
    if (feature && (coordinates_seen || (foreign && !properties_seen))) Refuse();
    if (geometry) {
      if (geometry_seen || properties_seen || !coordinates_seen) Refuse();
      single.geometry.type = *geometry;
      CheckShape(single.geometry);
    }
    layer.name = file_stem;
    layer.names_crs84 = crs_seen;
    Deliver(single);
  }

 private:
  void Deliver(GeoJsonFeature& feature) {
    if (!with_geometry_) {
      GeoJsonGeometry type_only;
      type_only.type = feature.geometry.type;
      type_only.has_z = feature.geometry.has_z;
      feature.geometry = std::move(type_only);
    }
    if (!feature_(feature)) Refuse();
  }

  // {"type": "name", "properties": {"name": "urn:ogc:def:crs:OGC:1.3:CRS84"}}
  // and nothing else: GDAL's name of the CRS that a file without a "crs"
  // member is read in too.
  static void Crs84(od::value value) {
    bool type_seen = false, properties_seen = false;
    for (auto field : value.get_object()) {
      const std::string_view key = Member(field.unescaped_key());
      od::value member = field.value();
      if (key == "type") {
        Once(type_seen);
        if (StringOf(member) != "name") Refuse();
      } else if (key == "properties") {
        Once(properties_seen);
        bool name_seen = false;
        for (auto property : member.get_object()) {
          if (Member(property.unescaped_key()) != "name") Refuse();
          Once(name_seen);
          if (StringOf(property.value()) != "urn:ogc:def:crs:OGC:1.3:CRS84") Refuse();
        }
        if (!name_seen) Refuse();
      } else {
        Refuse();
      }
    }
    if (!type_seen || !properties_seen) Refuse();
  }

  void Features(od::value value) {
    std::int64_t number = 0;
    for (auto element : value.get_array()) {
      GeoJsonFeature feature;
      feature.number = ++number;
      Feature(element.get_object(), feature);
      Deliver(feature);
    }
  }

  void Feature(od::object object, GeoJsonFeature& feature) {
    bool type_seen = false, geometry_seen = false, properties_seen = false, foreign = false;
    bool properties_null = false;
    for (auto field : object) {
      const std::string_view key = Member(field.unescaped_key());
      od::value value = field.value();
      if (key == "type") {
        Once(type_seen);
        if (StringOf(value) != "Feature") Refuse();
      } else if (key == "geometry") {
        Once(geometry_seen);
        Geometry(value, feature.geometry);
      } else if (key == "properties") {
        Once(properties_seen);
        properties_null = value.type() == od::json_type::null;
        Properties(value, feature.properties);
      } else if (key == "crs" || key == "id") {
        Refuse();
      } else {
        foreign = true;
        Consume(value);
      }
    }
    // GDAL takes the other members of a feature without "properties" for
    // its properties, and fills the fields of one whose "properties" are
    // null from the members named like them.
    if (!type_seen || (foreign && (!properties_seen || properties_null))) Refuse();
  }

  void Geometry(od::value value, GeoJsonGeometry& geometry) {
    if (value.type() == od::json_type::null) {
      if (!bool(value.is_null())) Refuse();
      return;
    }
    bool type_seen = false, coordinates_seen = false;
    for (auto field : value.get_object()) {
      const std::string_view key = Member(field.unescaped_key());
      od::value member = field.value();
      if (key == "type") {
        Once(type_seen);
        const std::optional<GeoJsonType> type = GeometryTypeNamed(StringOf(member));
        if (!type) Refuse();
        geometry.type = *type;
      } else if (key == "coordinates") {
        Once(coordinates_seen);
        Coordinates(member, geometry);
      } else if (key == "crs" || key == "geometries") {
        Refuse();
      } else {
        Consume(member);
      }
    }
    if (!type_seen || !coordinates_seen) Refuse();
    CheckShape(geometry);
  }

  void Coordinates(od::value value, GeoJsonGeometry& geometry) {
    leaf_level_ = -1;
    Positions(value, 0, geometry);
    leaf_levels_ = leaf_level_;
    if (geometry.has_z) geometry.z.resize(geometry.x.size(), 0.0);
  }

  // An array of "coordinates" `level` arrays deep: a position when it
  // begins with a number, else an array of arrays.
  void Positions(od::value value, std::size_t level, GeoJsonGeometry& geometry) {
    if (level > 3) Refuse();
    double numbers[3] = {0.0, 0.0, 0.0};
    std::uint32_t count = 0;
    bool position = false;
    for (auto element_result : value.get_array()) {
      od::value element = element_result.value();
      if (count == 0) position = element.type() == od::json_type::number;
      if (position) {
        if (count == 3) Refuse();
        numbers[count] = NumberOf(element);
      } else {
        Positions(element, level + 1, geometry);
      }
      ++count;
    }
    if (!position) {
      if (geometry.levels.size() <= level) geometry.levels.resize(level + 1);
      geometry.levels[level].push_back(count);
      return;
    }
    if (count < 2) Refuse();
    const int at = static_cast<int>(level);
    if (leaf_level_ >= 0 && leaf_level_ != at) Refuse();
    leaf_level_ = at;
    if (count == 3 && !geometry.has_z) {
      geometry.has_z = true;
      geometry.z.resize(geometry.x.size(), 0.0);
    }
    geometry.x.push_back(numbers[0]);
    geometry.y.push_back(numbers[1]);
    if (geometry.has_z) geometry.z.push_back(numbers[2]);
  }

  // Whether the arrays of "coordinates" fit the type: positions at its
  // depth, no empty array but lines and parts of lines.
  void CheckShape(const GeoJsonGeometry& geometry) const {
    const std::size_t depth = DepthOf(geometry.type);
    if (geometry.levels.size() > depth) Refuse();
    if (leaf_levels_ < 0) {
      if (!IsLine(geometry.type)) Refuse();
      return;
    }
    if (static_cast<std::size_t>(leaf_levels_) != depth) Refuse();
    if (IsLine(geometry.type)) return;
    for (const std::vector<std::uint32_t>& counts : geometry.levels) {
      if (std::find(counts.begin(), counts.end(), 0u) != counts.end()) Refuse();
    }
  }

  void Properties(od::value value, std::vector<GeoJsonProperty>& properties) {
    if (value.type() == od::json_type::null) {
      if (!bool(value.is_null())) Refuse();
      NoPropertiesOf();
      return;
    }
    for (auto field : value.get_object()) {
      GeoJsonProperty& property = properties.emplace_back();
      property.key = std::string_view(field.unescaped_key());
      KnownKey(property.key);
      for (std::size_t i = 0; i + 1 < properties.size(); ++i) {
        if (properties[i].key == property.key) Refuse();
      }
      Property(field.value(), property);
    }
  }

  // GDAL finds fields by name whatever their case: keys equal but for case
  // would be one field, and "Name" would be read as the name.
  void KnownKey(const std::string& key) {
    if (key.empty() || key.find('\0') != std::string::npos) Refuse();
    std::string folded = key;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto [at, added] = keys_.emplace(folded, key);
    if (!added && at->second != key) Refuse();
    if (folded == "name" && key != "name") Refuse();
    if (added && (folded == "type" || folded == "geometry" || folded == "properties" ||
                  folded == "bbox")) {
      member_field_ = true;
      if (null_properties_) Refuse();
    }
  }

  // GDAL fills the fields of a feature whose "properties" are null from the
  // feature's own members, "type": "Feature" into a field named "type":
  // with such a field anywhere in the file, it reads the file.
  void NoPropertiesOf() {
    null_properties_ = true;
    if (member_field_) Refuse();
  }

  static void Property(od::value value, GeoJsonProperty& property) {
    switch (value.type()) {
      case od::json_type::null:
        if (!bool(value.is_null())) Refuse();
        property.kind = GeoJsonKind::Null;
        return;
      case od::json_type::boolean:
        property.kind = GeoJsonKind::Boolean;
        property.boolean = value.get_bool();
        return;
      case od::json_type::number:
        if (value.get_number_type() == od::number_type::signed_integer) {
          property.kind = GeoJsonKind::Integer;
          property.integer = value.get_int64();
        } else if (value.get_number_type() == od::number_type::floating_point_number) {
          property.kind = GeoJsonKind::Real;
          property.real = RealOf(value);
        } else {
          property.kind = GeoJsonKind::Other;
          Consume(value);
        }
        return;
      case od::json_type::string: {
        const std::string_view text = value.get_string();
        property.kind = text.find('\0') == std::string_view::npos ? GeoJsonKind::String
                                                                  : GeoJsonKind::Other;
        property.text = text;
        return;
      }
      default:
        property.kind = GeoJsonKind::Other;
        Consume(value);
        return;
    }
  }

  bool with_geometry_;
  const std::function<bool(GeoJsonFeature&)>& feature_;
  std::map<std::string, std::string> keys_;  // properties' keys in lower case, as given
  bool member_field_ = false;     // a property named like a feature's member
  bool null_properties_ = false;  // a feature with "properties": null
  int leaf_level_ = -1;   // the level of the positions found (-1: none yet)
  int leaf_levels_ = -1;  // of the last "coordinates" read
};

}  // namespace

bool WalkGeoJson(const PaddedText& text, const std::string& file_stem, bool with_geometry,
                 GeoJsonLayer& layer, const std::function<bool(GeoJsonFeature&)>& feature) {
  if (!text.Ok() || file_stem.empty() || file_stem.front() == '.') return false;
  const std::string_view bytes(text.data(), text.size());
  if (bytes.starts_with("\xEF\xBB\xBF") || !NamesTypeEarly(bytes)) return false;
  try {
    od::parser parser;
    if (parser.allocate(text.size(), kDeepest) != simdjson::SUCCESS) return false;
    od::document document =
        parser.iterate(simdjson::padded_string_view(text.data(), text.size(), text.capacity()));
    Walker walker(with_geometry, feature);
    walker.Root(document.get_object(), file_stem, layer);
    // Nothing may follow the root object.
    return document.current_location().error() != simdjson::SUCCESS;
  } catch (const simdjson::simdjson_error&) {
    return false;
  } catch (const Unsupported&) {
    return false;
  }
}

bool MayReadAsDate(std::string_view text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return false;
  return text.find_first_not_of("0123456789-/:T .+Z") == std::string_view::npos;
}

}  // namespace oru
