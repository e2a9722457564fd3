#include "gis/gis_reader.h"

#include <cpl_error.h>
#include <ogrsf_frmts.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "gis/gdal_support.h"
#include "gis/gis_formats.h"
#include "gis/line_parts.h"
#include "gis/track_frame.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"

namespace oru {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted(1, '\'');
  quoted += text;
  quoted += '\'';
  return quoted;
}

std::string NameOf(const OGRFeature& feature) {
  const int field = feature.GetFieldIndex("name");
  if (field < 0 || !feature.IsFieldSetAndNotNull(field)) return {};
  return feature.GetFieldAsString(field);
}

void CountSkipped(const OGRGeometry* geometry, GisSkipped& skipped) {
  const OGRwkbGeometryType type =
      geometry == nullptr ? wkbNone : wkbFlatten(geometry->getGeometryType());
  if (type == wkbPoint || type == wkbMultiPoint) {
    ++skipped.points;
  } else if (type == wkbPolygon || type == wkbMultiPolygon) {
    ++skipped.polygons;
  } else {
    ++skipped.other;
  }
}

// CSV files hold no CRS: their WKT geometries and longitude/latitude
// columns are WGS84 degrees, their X/Y (easting/northing) columns metres.
TrackFrame FrameOfCsvLayer(OGRLayer& layer, LayerRole role) {
  TrackFrame frame;
  frame.geographic = role != LayerRole::PointRows;
  for (const char* name : {"lon", "long", "longitude"}) {
    frame.geographic = frame.geographic || layer.GetLayerDefn()->GetFieldIndex(name) >= 0;
  }
  return frame;
}

GisTrack NewTrack(OGRLayer& layer, const OGRFeature& feature, std::int64_t number, int part,
                  const TrackFrame& frame) {
  GisTrack track;
  track.layer = layer.GetName();
  track.feature = number;
  track.part = part;
  track.name = NameOf(feature);
  track.geographic = frame.geographic;
  return track;
}

void AppendVertices(const OGRSimpleCurve& line, GisTrack& track) {
  const std::size_t old = track.first.size();
  const auto n = static_cast<std::size_t>(line.getNumPoints());
  track.first.resize(old + n);
  track.second.resize(old + n);
  if (n > 0) {
    line.getPoints(track.first.data() + old, sizeof(double), track.second.data() + old,
                   sizeof(double));
  }
}

// Whether every vertex of the tracks lies within longitude and latitude
// ranges (X within +-180, Y within +-90).
bool AllWithinDegrees(const std::vector<GisTrack>& tracks, std::size_t first) {
  for (std::size_t t = first; t < tracks.size(); ++t) {
    for (std::size_t i = 0; i < tracks[t].first.size(); ++i) {
      if (!(std::fabs(tracks[t].first[i]) <= 180.0 && std::fabs(tracks[t].second[i]) <= 90.0)) {
        return false;
      }
    }
  }
  return true;
}

// Reads the tracks of one layer into `outcome`; false with outcome.error set
// on a failure.
bool ReadLayer(OGRLayer& layer, LayerRole role, bool csv, GisReadOutcome& outcome) {
  const std::string where = "layer " + Quoted(layer.GetName());
  std::string error;
  std::optional<TrackFrame> frame = csv && layer.GetSpatialRef() == nullptr
                                        ? std::optional<TrackFrame>(FrameOfCsvLayer(layer, role))
                                        : FrameOfCrs(layer.GetSpatialRef(), error);
  if (!frame) {
    outcome.error = where + ": " + error;
    return false;
  }
  const std::size_t first_track = outcome.tracks.size();
  std::int64_t number = 0;
  layer.ResetReading();
  CPLErrorReset();
  for (auto& feature : layer) {
    ++number;
    OGRGeometry* geometry = feature->GetGeometryRef();
    if (role == LayerRole::PointRows) {
      if (geometry != nullptr && wkbFlatten(geometry->getGeometryType()) == wkbPoint) {
        if (outcome.tracks.size() == first_track) {
          outcome.tracks.push_back(NewTrack(layer, *feature, 1, 0, *frame));
          outcome.tracks.back().name.clear();
        }
        outcome.tracks.back().first.push_back(geometry->toPoint()->getX());
        outcome.tracks.back().second.push_back(geometry->toPoint()->getY());
      } else {
        CountSkipped(geometry, outcome.skipped);
      }
      continue;
    }
    const int lines = geometry == nullptr ? 0
                                          : ForEachLinePart(*geometry, [&](OGRLineString& line,
                                                                           int part) {
                                              outcome.tracks.push_back(
                                                  NewTrack(layer, *feature, number, part, *frame));
                                              AppendVertices(line, outcome.tracks.back());
                                            });
    if (lines > 0) continue;
    // A line feature without a line (a GPX track without a segment) is a
    // track without vertices, kept so that it is written as it was.
    if (geometry != nullptr && wkbFlatten(geometry->getGeometryType()) == wkbMultiLineString) {
      outcome.tracks.push_back(NewTrack(layer, *feature, number, 0, *frame));
    } else {
      CountSkipped(geometry, outcome.skipped);
    }
  }
  if (CPLGetLastErrorType() == CE_Failure) {
    outcome.error = where + ", feature " + std::to_string(number + 1) + ": " +
                    GdalReason("the feature could not be read");
    return false;
  }
  if (!csv && NoCrs(layer.GetSpatialRef()) && first_track < outcome.tracks.size() &&
      AllWithinDegrees(outcome.tracks, first_track)) {
    outcome.warnings.push_back(where + " has no CRS, and its coordinates all lie within "
                                       "longitude and latitude ranges: they are thinned as X, Y "
                                       "in metres, not as degrees");
  }
  for (std::size_t i = first_track; i < outcome.tracks.size(); ++i) {
    GisTrack& track = outcome.tracks[i];
    track.points = static_cast<std::int64_t>(track.first.size());
    if (auto refusal = ToEngineCoordinates(*frame, track.first, track.second)) {
      outcome.error = TrackPlace(track) + ": " + *refusal;
      return false;
    }
    track.datum = frame->datum;
    if (track.points == 0) ++outcome.skipped.empty_lines;
  }
  return true;
}

// A Shapefile's CRS is its .prj: one that GDAL could not read leaves the
// layer without a CRS, and degrees would be thinned as metres. The error
// that names the file, or nothing.
std::optional<std::string> UnreadPrj(const std::string& path, GDALDataset& dataset) {
  if (std::strcmp(dataset.GetDriverName(), "ESRI Shapefile") != 0 || dataset.GetLayerCount() != 1 ||
      !NoCrs(dataset.GetLayer(0)->GetSpatialRef())) {
    return std::nullopt;
  }
  for (const char* extension : {".prj", ".PRJ"}) {
    const std::filesystem::path prj = std::filesystem::path(path).replace_extension(extension);
    std::error_code ec;
    if (!std::filesystem::exists(prj, ec)) continue;
    std::string text;
    const FileStatus loaded = LoadFile(prj, text);
    return "the CRS in " + prj.string() + " could not be read: " +
           (loaded ? std::string("it names no CRS that GDAL knows") : SystemReason(loaded.error));
  }
  return std::nullopt;
}

}  // namespace

std::string TrackPlace(const GisTrack& track) {
  std::string place = "layer " + Quoted(track.layer) + ", feature " + std::to_string(track.feature);
  if (track.part > 0) place += ", part " + std::to_string(track.part);
  if (!track.name.empty()) {
    place += ' ';
    place += Quoted(track.name);
  }
  return place;
}

GisReadOutcome ReadGisTracks(const std::string& path, const GisFormat& format) {
  GisReadOutcome outcome;
  const std::string as = "could not be opened as " + std::string(format.title) + ": ";
  if (auto refusal = RefusedByGdalGuard(path, format)) {
    outcome.error = as + *refusal;
    return outcome;
  }
  GDALDatasetUniquePtr dataset = OpenGisDataset(path, format);
  if (!dataset) {
    outcome.error = as + WhyNotOpened(path, format, GdalReason(""));
    return outcome;
  }
  const char* driver = dataset->GetDriverName();
  if (auto refusal = UnreadPrj(path, *dataset)) {
    outcome.error = *refusal;
    return outcome;
  }
  for (OGRLayer* layer : dataset->GetLayers()) {
    const LayerRole role = RoleOfLayer(driver, *layer);
    if (role == LayerRole::GpxPoints || role == LayerRole::Copied) continue;
    if (std::strcmp(driver, "GPX") == 0 && std::strcmp(layer->GetName(), "routes") == 0 &&
        !GpxFileMayHold(path, "rte")) {
      continue;
    }
    if (!ReadLayer(*layer, role, std::strcmp(driver, "CSV") == 0, outcome)) {
      outcome.tracks.clear();
      return outcome;
    }
  }
  return outcome;
}

}  // namespace oru
