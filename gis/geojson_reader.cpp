#include "gis/geojson_reader.h"

#include <filesystem>
#include <utility>

#include "gis/geojson_features.h"

namespace oru {
namespace {

bool WithinDegrees(const std::vector<double>& lon, const std::vector<double>& lat) {
  for (std::size_t i = 0; i < lon.size(); ++i) {
    // The checks fail on NaN too.
    if (!(lon[i] >= -180.0 && lon[i] <= 180.0 && lat[i] >= -90.0 && lat[i] <= 90.0)) return false;
  }
  return true;
}

// The "name" property: empty when absent or null; false when GDAL may
// give another text for it.
bool NameOf(const GeoJsonFeature& feature, std::string& name) {
  name.clear();
  for (const GeoJsonProperty& property : feature.properties) {
    if (property.key != "name" || property.kind == GeoJsonKind::Null) continue;
    if (property.kind != GeoJsonKind::String || MayReadAsDate(property.text)) return false;
    name = property.text;
  }
  return true;
}

GisTrack NewTrack(const GeoJsonFeature& feature, int part, const std::string& name) {
  GisTrack track;
  track.feature = feature.number;
  track.part = part;
  track.name = name;
  track.geographic = true;
  track.datum = DatumChoice::Wgs84;
  return track;
}

// The tracks of one feature, or the count of what it is instead; false
// when it is left to GDAL.
bool AddFeature(GeoJsonFeature& feature, GisReadOutcome& outcome) {
  GeoJsonGeometry& geometry = feature.geometry;
  switch (geometry.type) {
    case GeoJsonType::None:
      ++outcome.skipped.other;
      return true;
    case GeoJsonType::Point:
    case GeoJsonType::MultiPoint:
      ++outcome.skipped.points;
      return true;
    case GeoJsonType::Polygon:
    case GeoJsonType::MultiPolygon:
      ++outcome.skipped.polygons;
      return true;
    case GeoJsonType::LineString:
    case GeoJsonType::MultiLineString:
      break;
  }
  std::string name;
  if (!NameOf(feature, name) || !WithinDegrees(geometry.x, geometry.y)) return false;
  if (geometry.type == GeoJsonType::LineString) {
    GisTrack& track = outcome.tracks.emplace_back(NewTrack(feature, 0, name));
    track.first = std::move(geometry.y);
    track.second = std::move(geometry.x);
    return true;
  }
  const std::vector<std::uint32_t> no_parts;
  const std::vector<std::uint32_t>& parts = geometry.levels.size() > 1 ? geometry.levels[1] : no_parts;
  // A MultiLineString without lines is one line without vertices.
  if (parts.empty()) outcome.tracks.push_back(NewTrack(feature, 0, name));
  std::size_t begin = 0;
  for (std::size_t p = 0; p < parts.size(); ++p) {
    GisTrack& track = outcome.tracks.emplace_back(NewTrack(feature, static_cast<int>(p + 1), name));
    const std::size_t end = begin + parts[p];
    track.first.assign(geometry.y.begin() + begin, geometry.y.begin() + end);
    track.second.assign(geometry.x.begin() + begin, geometry.x.begin() + end);
    begin = end;
  }
  return true;
}

std::optional<GisReadOutcome> Read(const PaddedText& text, const std::string& file_stem) {
  if (!text.Ok()) return std::nullopt;
  GisReadOutcome outcome;
  GeoJsonLayer layer;
  if (!WalkGeoJson(text, file_stem, true, layer,
                   [&](GeoJsonFeature& feature) { return AddFeature(feature, outcome); })) {
    return std::nullopt;
  }
  for (GisTrack& track : outcome.tracks) {
    track.layer = layer.name;
    track.points = static_cast<std::int64_t>(track.first.size());
    if (track.points == 0) ++outcome.skipped.empty_lines;
  }
  return outcome;
}

}  // namespace

std::optional<GisReadOutcome> ReadGeoJsonTracks(const std::string& path) {
  return Read(PaddedText::Load(path), std::filesystem::path(path).stem().string());
}

std::optional<GisReadOutcome> ReadGeoJsonText(std::string_view text, const std::string& file_stem) {
  return Read(PaddedText::Copy(text), file_stem);
}

}  // namespace oru
