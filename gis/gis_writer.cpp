#include "gis/gis_writer.h"

#include <cpl_error.h>
#include <cpl_string.h>
#include <ogrsf_frmts.h>

#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

#include "gis/gdal_support.h"
#include "gis/gis_formats.h"
#include "gis/line_parts.h"
#include "gis/track_frame.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// One layer of the output: where its features come from and how.
struct LayerPlan {
  OGRLayer* source = nullptr;
  LayerRole role = LayerRole::Lines;
  std::string name;
  OGRwkbGeometryType type = wkbUnknown;
  CPLStringList options;
  bool gpx_track_rows = false;  // CSV rows written as one GPX track
  // GPX: the layer's CRS to WGS84, for layers on any other.
  std::shared_ptr<OGRCoordinateTransformation> to_wgs84;
};

using TrackKey = std::tuple<std::string, std::int64_t, int>;  // layer, feature, part

// Why the run stops; thrown inside this file only and turned into the outcome.
struct WriteFailure {
  std::string message;
};

[[noreturn]] void Fail(const std::string& where, const char* fallback) {
  throw WriteFailure{where + ": " + GdalReason(fallback)};
}

std::string Quoted(const char* text) {
  std::string quoted(1, '\'');
  quoted += text;
  quoted += '\'';
  return quoted;
}

bool IsPointType(OGRwkbGeometryType type) { return wkbFlatten(type) == wkbPoint; }
bool IsPolygonType(OGRwkbGeometryType type) {
  return wkbFlatten(type) == wkbPolygon || wkbFlatten(type) == wkbMultiPolygon;
}

class ThinnedFileWriter {
 public:
  explicit ThinnedFileWriter(const GisWriteRequest& request) : request_(request) {
    for (std::size_t i = 0; i < request.tracks->size(); ++i) {
      const GisTrack& t = (*request.tracks)[i];
      track_of_[{t.layer, t.feature, t.part}] = i;
    }
  }

  GisWriteOutcome Write() {
    GisWriteOutcome outcome;
    try {
      source_ = OpenGisDataset(request_.input, *request_.input_format);
      if (!source_) Fail("the input could not be opened again", "GDAL gives no reason");
      const std::vector<LayerPlan> plans = PlanLayers();
      RefusePlaneWithoutCrs(plans);
      WriteLayers(plans, request_.output);
    } catch (const WriteFailure& failure) {
      outcome.error = failure.message;
    }
    outcome.left_out = left_out_;
    return outcome;
  }

 private:
  bool ToGpx() const { return request_.output_format->driver == "GPX"; }

  void LeaveOut(OGRLayer& layer, const std::string& why) {
    left_out_.push_back("layer " + Quoted(layer.GetName()) + ": " + why);
  }

  LayerPlan PlanOf(OGRLayer& layer, LayerRole role) const {
    LayerPlan plan;
    plan.source = &layer;
    plan.role = role;
    plan.name = TextFor(*request_.output_format, layer.GetName());
    plan.type = layer.GetGeomType();
    const std::string_view driver = request_.output_format->driver;
    if (driver == "CSV") {
      if (role != LayerRole::PointRows) plan.options.SetNameValue("GEOMETRY", "AS_WKT");
      plan.options.SetNameValue("STRING_QUOTING", "IF_NEEDED");
    }
    // A spatial index would store the features in Hilbert order.
    if (driver == "FlatGeobuf") plan.options.SetNameValue("SPATIAL_INDEX", "NO");
    return plan;
  }

  std::vector<LayerPlan> PlanLayers() {
    std::vector<LayerPlan> plans;
    const char* driver = source_->GetDriverName();
    if (ToGpx()) return PlanGpxLayers(driver);
    for (OGRLayer* layer : source_->GetLayers()) {
      plans.push_back(PlanOf(*layer, RoleOfLayer(driver, *layer)));
    }
    if (request_.output_format->many_layers || plans.size() <= 1) return plans;
    // One layer a file: the one with the tracks (the first, when none has).
    std::size_t chosen = 0;
    int with_tracks = 0;
    for (std::size_t i = plans.size(); i-- > 0;) {
      if (HasTracksIn(plans[i].source->GetName())) {
        chosen = i;
        ++with_tracks;
      }
    }
    if (with_tracks > 1) {
      throw WriteFailure{std::string(request_.output_format->description) +
                         " holds one layer a file, and the input has tracks in " +
                         std::to_string(with_tracks) +
                         " layers: write it as GeoPackage, KML or GPX"};
    }
    for (std::size_t i = 0; i < plans.size(); ++i) {
      if (i != chosen && !KnownEmpty(*plans[i].source)) {
        LeaveOut(*plans[i].source, "the format holds one layer a file");
      }
    }
    return {std::move(plans[chosen])};
  }

  // GPX holds waypoints, then routes, then tracks. Tracks and routes that
  // have a per-point layer (read from GPX, or from a copy of one) are
  // written through it, so that their points keep their elements; other
  // files give point layers as waypoints and lines as tracks.
  std::vector<LayerPlan> PlanGpxLayers(const char* driver) {
    std::vector<LayerPlan> points;
    std::vector<LayerPlan> lines;
    for (OGRLayer* layer : source_->GetLayers()) {
      const LayerRole role = RoleOfLayer(driver, *layer);
      LayerPlan plan = PlanOf(*layer, role);
      if (role == LayerRole::Copied) {
        if (GpxFileMayHold(request_.input, "wpt")) points.push_back(std::move(plan));
      } else if (role == LayerRole::GpxPoints) {
        if (HasTracksIn(plan.name == "track_points" ? "tracks" : "routes")) {
          lines.push_back(std::move(plan));
        }
      } else if (role == LayerRole::PointRows) {
        plan.name = "track_points";
        plan.gpx_track_rows = true;
        lines.push_back(std::move(plan));
      } else if (HasPointLayerFor(plan.name)) {
        continue;  // written through its per-point layer
      } else if (IsPointType(plan.type)) {
        points.push_back(std::move(plan));
      } else if (IsPolygonType(plan.type) || wkbFlatten(plan.type) == wkbMultiPoint) {
        LeaveOut(*layer, "GPX holds no such geometry");
      } else {
        if (wkbFlatten(plan.type) != wkbLineString) plan.type = wkbMultiLineString;
        plan.options.SetNameValue("FORCE_GPX_TRACK", "YES");
        lines.push_back(std::move(plan));
      }
    }
    for (LayerPlan& plan : lines) points.push_back(std::move(plan));
    for (LayerPlan& plan : points) ToWgs84(plan);
    return points;
  }

  // Formats of longitudes and latitudes cannot hold X, Y without a CRS
  // (GeoJSON and KML would be read back as degrees): such a layer is
  // refused before anything is written.
  void RefusePlaneWithoutCrs(const std::vector<LayerPlan>& plans) const {
    if (!request_.output_format->degrees_only) return;
    for (const LayerPlan& plan : plans) {
      if (!NoCrs(plan.source->GetSpatialRef())) continue;
      for (const GisTrack& t : *request_.tracks) {
        if (t.layer == plan.source->GetName() && !t.geographic) {
          throw WriteFailure{"layer " + Quoted(plan.source->GetName()) +
                             " holds X, Y coordinates without a CRS, and " +
                             std::string(request_.output_format->title) +
                             " holds latitudes and longitudes"};
        }
      }
    }
  }

  // GPX holds longitudes and latitudes on WGS84 only: a layer on another
  // CRS is transformed (the KML driver does so itself; GeoJSON names the
  // CRS).
  void ToWgs84(LayerPlan& plan) const {
    const OGRSpatialReference* srs = plan.source->GetSpatialRef();
    if (plan.role == LayerRole::GpxPoints || NoCrs(srs)) return;
    const std::string where = "layer " + Quoted(plan.source->GetName());
    std::string error;
    const std::optional<TrackFrame> frame = FrameOfCrs(srs, error);
    if (frame && frame->geographic && frame->datum == DatumChoice::Wgs84 && !frame->to_wgs84 &&
        !frame->latitude_first) {
      return;
    }
    plan.to_wgs84 = TransformationToWgs84(*srs, error);
    if (!plan.to_wgs84) throw WriteFailure{where + ": " + error};
  }

  bool HasPointLayerFor(const std::string& lines) const {
    const char* points = lines == "tracks" ? "track_points" : lines == "routes" ? "route_points" : nullptr;
    OGRLayer* layer = points == nullptr ? nullptr : source_->GetLayerByName(points);
    return layer != nullptr && RoleOfLayer(source_->GetDriverName(), *layer) == LayerRole::GpxPoints;
  }

  // Whether a layer is known to hold no feature without reading it through
  // (GDAL's GPX driver would parse the whole file for it).
  bool KnownEmpty(OGRLayer& layer) const {
    if (request_.input_format->driver == "GPX") {
      const std::string name = layer.GetName();
      if (name == "waypoints") return !GpxFileMayHold(request_.input, "wpt");
      if (name == "routes" || name == "route_points") return !HasTracksIn("routes");
      return false;
    }
    return layer.GetFeatureCount(FALSE) == 0;
  }

  bool HasTracksIn(std::string_view layer) const {
    for (const GisTrack& t : *request_.tracks) {
      if (t.layer == layer) return true;
    }
    return false;
  }

  void WriteLayers(const std::vector<LayerPlan>& plans, const fs::path& staged) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(
        std::string(request_.output_format->driver).c_str());
    if (driver == nullptr) throw WriteFailure{"GDAL has no driver for the output format"};
    CPLStringList options;
    if (ToGpx()) options.SetNameValue("GPX_USE_EXTENSIONS", "YES");
    CPLErrorReset();
    GDALDatasetUniquePtr target(
        driver->Create(staged.c_str(), 0, 0, 0, GDT_Unknown, options.List()));
    if (!target) Fail("the output could not be created", "GDAL gives no reason");
    // One transaction for the whole file where the format has them
    // (GeoPackage): a commit a feature would cost a disk flush each.
    const bool transaction = target->StartTransaction() == OGRERR_NONE;
    for (const LayerPlan& plan : plans) WriteLayer(*target, plan);
    CPLErrorReset();
    if (transaction && target->CommitTransaction() != OGRERR_NONE) {
      Fail("the output could not be finished", "GDAL gives no reason");
    }
    CPLErrorReset();
    target.reset();  // closing writes what the driver still holds
    if (CPLGetLastErrorType() == CE_Failure) Fail("the output could not be finished", "GDAL gives no reason");
  }

  // GPX tracks without a point have no track points to be written
  // through: their features of the input's tracks layer, by number, to be
  // written as they are among the others.
  std::map<std::int64_t, OGRFeatureUniquePtr> EmptyGpxTracks(const LayerPlan& plan) const {
    std::map<std::int64_t, OGRFeatureUniquePtr> empty;
    OGRLayer* tracks = source_->GetLayerByName("tracks");
    if (!ToGpx() || plan.role != LayerRole::GpxPoints || plan.name != "track_points" ||
        tracks == nullptr) {
      return empty;
    }
    std::map<std::int64_t, bool> has_points;
    for (const GisTrack& t : *request_.tracks) {
      if (t.layer == "tracks") has_points[t.feature] = has_points[t.feature] || t.points > 0;
    }
    for (const auto& [feature, points] : has_points) {
      if (!points) empty[feature] = nullptr;
    }
    if (empty.empty()) return empty;
    std::int64_t number = 0;
    tracks->ResetReading();
    for (auto& feature : *tracks) {
      if (const auto found = empty.find(++number); found != empty.end()) {
        found->second.reset(feature->Clone());
      }
    }
    return empty;
  }

  // Writes the empty tracks numbered below `before` (and takes them out).
  void WriteEmptyTracks(GDALDataset& target, std::map<std::int64_t, OGRFeatureUniquePtr>& empty,
                        std::int64_t before) {
    while (!empty.empty() && empty.begin()->first < before) {
      const OGRFeatureUniquePtr track = std::move(empty.begin()->second);
      empty.erase(empty.begin());
      if (!track) continue;
      OGRLayer& source = *source_->GetLayerByName("tracks");
      const std::string where = "layer 'tracks'";
      if (empty_tracks_ == nullptr) {
        OGRSpatialReference wgs84;
        wgs84.SetWellKnownGeogCS("WGS84");
        wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        empty_tracks_ = target.CreateLayer("tracks", &wgs84, wkbMultiLineString, nullptr);
        if (empty_tracks_ == nullptr) Fail(where + " could not be created", "GDAL gives no reason");
        empty_track_fields_ = MapFields(source, *empty_tracks_, where);
      }
      OGRFeatureUniquePtr out(OGRFeature::CreateFeature(empty_tracks_->GetLayerDefn()));
      CPLErrorReset();
      if (out->SetFrom(track.get(), empty_track_fields_.data(), TRUE) != OGRERR_NONE ||
          (FitTexts(*out), empty_tracks_->CreateFeature(out.get()) != OGRERR_NONE)) {
        Fail(where + ", an empty track could not be written", "GDAL gives no reason");
      }
    }
  }

  void WriteLayer(GDALDataset& target, const LayerPlan& plan) {
    const std::string where = "layer " + Quoted(plan.name.c_str());
    CPLErrorReset();
    CPLStringList options(plan.options);
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer* layer = target.CreateLayer(
        plan.name.c_str(), plan.to_wgs84 ? &wgs84 : plan.source->GetSpatialRef(), plan.type,
        options.List());
    if (layer == nullptr) Fail(where + " could not be created", "GDAL gives no reason");
    const std::vector<int> fields = MapFields(*plan.source, *layer, where);
    RowFilter rows(*this, plan, *layer->GetLayerDefn());
    std::map<std::int64_t, OGRFeatureUniquePtr> empty = EmptyGpxTracks(plan);
    const int track_fid = plan.source->GetLayerDefn()->GetFieldIndex("track_fid");
    plan.source->ResetReading();
    std::int64_t number = 0;
    for (auto& feature : *plan.source) {
      ++number;
      if (!empty.empty()) WriteEmptyTracks(target, empty, feature->GetFieldAsInteger64(track_fid) + 1);
      if (!Keep(plan, *feature, rows)) continue;
      OGRFeatureUniquePtr out(OGRFeature::CreateFeature(layer->GetLayerDefn()));
      if (out->SetFrom(feature.get(), fields.data(), TRUE) != OGRERR_NONE) {
        Fail(where + ", feature " + std::to_string(number) + ": attributes", "not copied");
      }
      FitTexts(*out);
      if (!Shape(plan, number, *out, rows)) continue;
      OGRGeometry* geometry = out->GetGeometryRef();
      if (plan.to_wgs84 && geometry != nullptr &&
          geometry->transform(plan.to_wgs84.get()) != OGRERR_NONE) {
        Fail(where + ", feature " + std::to_string(number) + ": no transformation to WGS 84",
             "outside the CRS's area");
      }
      CPLErrorReset();
      if (layer->CreateFeature(out.get()) != OGRERR_NONE) {
        Fail(where + ", feature " + std::to_string(number) + " could not be written",
             "GDAL gives no reason");
      }
    }
    if (CPLGetLastErrorType() == CE_Failure) {
      Fail(where + ", feature " + std::to_string(number + 1) + " could not be read", "GDAL gives no reason");
    }
    WriteEmptyTracks(target, empty, std::numeric_limits<std::int64_t>::max());
  }

  // The feature's texts as the output format can hold them (TextFor).
  void FitTexts(OGRFeature& feature) const {
    const GisFormat& format = *request_.output_format;
    for (int i = 0; i < feature.GetFieldCount(); ++i) {
      if (!feature.IsFieldSetAndNotNull(i)) continue;
      const OGRFieldType type = feature.GetFieldDefnRef(i)->GetType();
      if (type == OFTString) {
        const char* text = feature.GetFieldAsString(i);
        const std::string fit = TextFor(format, text);
        if (fit != text) feature.SetField(i, fit.c_str());
      } else if (type == OFTStringList) {
        CPLStringList list;
        for (char** item = feature.GetFieldAsStringList(i); item != nullptr && *item != nullptr; ++item) {
          list.AddString(TextFor(format, *item).c_str());
        }
        feature.SetField(i, list.List());
      }
    }
  }

  // For each source field, its index in the target layer (-1: dropped).
  std::vector<int> MapFields(OGRLayer& source, OGRLayer& target, const std::string& where) {
    OGRFeatureDefn& defn = *source.GetLayerDefn();
    std::vector<int> map(static_cast<std::size_t>(defn.GetFieldCount()), -1);
    for (int i = 0; i < defn.GetFieldCount(); ++i) {
      OGRFieldDefn& field = *defn.GetFieldDefn(i);
      // A CSV file's WKT column is its geometry, no attribute.
      if (request_.input_format->driver == "CSV" && EQUAL(field.GetNameRef(), "WKT")) continue;
      OGRFieldDefn named(&field);
      named.SetName(TextFor(*request_.output_format, field.GetNameRef()).c_str());
      int index = target.GetLayerDefn()->GetFieldIndex(named.GetNameRef());
      if (index < 0) {
        const int before = target.GetLayerDefn()->GetFieldCount();
        CPLErrorReset();
        if (target.CreateField(&named, TRUE) != OGRERR_NONE) {
          Fail(where + ", field " + Quoted(field.GetNameRef()) + " could not be created",
               "GDAL gives no reason");
        }
        // Drivers may shorten or change the name (Shapefile: ten characters).
        if (target.GetLayerDefn()->GetFieldCount() > before) index = before;
      }
      map[static_cast<std::size_t>(i)] = index;
    }
    return map;
  }

  // Which points of a per-point layer (GPX points, CSV rows) are kept: the
  // vertices kept of the track they belong to, counted in order.
  class RowFilter {
   public:
    RowFilter(const ThinnedFileWriter& writer, const LayerPlan& plan, OGRFeatureDefn& target)
        : writer_(writer),
          route_(plan.name == "route_points"),
          name_field_(target.GetFieldIndex(route_ ? "route_name" : "track_name")),
          fid_field_(target.GetFieldIndex("track_fid")),
          segment_field_(target.GetFieldIndex("track_seg_id")),
          source_fid_(plan.source->GetLayerDefn()->GetFieldIndex(route_ ? "route_fid"
                                                                         : "track_fid")),
          source_segment_(route_ ? -1 : plan.source->GetLayerDefn()->GetFieldIndex("track_seg_id")) {
      if (plan.role == LayerRole::PointRows) {
        track_ = writer.TrackIndex({plan.source->GetName(), 1, 0}).value_or(kNoTrack);
      }
    }

    // GPX points: the feature's track (track_fid, track_seg_id or route_fid).
    // Called for every point of a million-point track: integers only.
    void EnterGpxPoint(const OGRFeature& point) {
      const std::int64_t feature = source_fid_ < 0 ? 0 : point.GetFieldAsInteger64(source_fid_) + 1;
      const int part = source_segment_ < 0 ? 0 : point.GetFieldAsInteger(source_segment_) + 1;
      if (feature != feature_ || part != part_) {
        feature_ = feature;
        part_ = part;
        track_ = writer_.TrackIndex({route_ ? "routes" : "tracks", feature, part}).value_or(kNoTrack);
        vertex_ = 0;
        next_kept_ = 0;
      }
    }

    // Whether the next point of the current track is kept; counts it.
    bool KeepNext() {
      if (track_ == kNoTrack) return true;
      const std::vector<std::int64_t>& kept = (*writer_.request_.kept)[track_];
      ++vertex_;
      if (next_kept_ < kept.size() && kept[next_kept_] == vertex_) {
        ++next_kept_;
        return true;
      }
      return false;
    }

    // The first kept point of a GPX segment carries its track's name.
    void Name(OGRFeature& out) const {
      if (track_ == kNoTrack || name_field_ < 0 || next_kept_ != 1) return;
      const std::string& name = (*writer_.request_.tracks)[track_].name;
      if (!name.empty()) {
        out.SetField(name_field_, TextFor(*writer_.request_.output_format, name).c_str());
      }
    }

    // CSV rows into GPX: one track of one segment.
    void MarkGpxTrack(OGRFeature& out) const {
      if (fid_field_ >= 0) out.SetField(fid_field_, 0);
      if (segment_field_ >= 0) out.SetField(segment_field_, 0);
    }

   private:
    const ThinnedFileWriter& writer_;
    bool route_;
    int name_field_;
    int fid_field_;
    int segment_field_;
    int source_fid_;
    int source_segment_;
    std::int64_t feature_ = -1;
    int part_ = -1;
    static constexpr std::size_t kNoTrack = static_cast<std::size_t>(-1);  // points of no track: kept
    std::size_t track_ = kNoTrack;
    std::int64_t vertex_ = 0;
    std::size_t next_kept_ = 0;
  };

  std::optional<std::size_t> TrackIndex(const TrackKey& key) const {
    const auto found = track_of_.find(key);
    if (found == track_of_.end()) return std::nullopt;
    return found->second;
  }

  // Whether a source feature is written at all: the kept points of GPX
  // point layers and CSV rows (every other feature is).
  bool Keep(const LayerPlan& plan, const OGRFeature& feature, RowFilter& rows) const {
    if (plan.role == LayerRole::GpxPoints) {
      rows.EnterGpxPoint(feature);
      return rows.KeepNext();
    }
    if (plan.role != LayerRole::PointRows) return true;
    const OGRGeometry* geometry = feature.GetGeometryRef();
    if (geometry == nullptr || wkbFlatten(geometry->getGeometryType()) != wkbPoint) return !ToGpx();
    return rows.KeepNext();
  }

  // Gives `out`, a copy of feature `number`, its kept vertices; false when
  // the output format cannot hold what remains.
  bool Shape(const LayerPlan& plan, std::int64_t number, OGRFeature& out,
             const RowFilter& rows) const {
    switch (plan.role) {
      case LayerRole::Copied:
        return true;
      case LayerRole::GpxPoints:
        rows.Name(out);
        return true;
      case LayerRole::PointRows:
        if (plan.gpx_track_rows) rows.MarkGpxTrack(out);
        return true;
      case LayerRole::Lines:
        break;
    }
    OGRGeometry* geometry = out.GetGeometryRef();
    const int lines = geometry == nullptr
                          ? 0
                          : ForEachLinePart(*geometry, [&](OGRLineString& line, int part) {
                              KeepVertices(line, {plan.source->GetName(), number, part});
                            });
    if (!ToGpx()) return true;
    // GPX holds points among waypoints and lines among tracks only.
    if (IsPointType(plan.type)) {
      return geometry != nullptr && wkbFlatten(geometry->getGeometryType()) == wkbPoint;
    }
    return lines > 0;
  }

  void KeepVertices(OGRSimpleCurve& line, const TrackKey& key) const {
    const std::optional<std::size_t> index = TrackIndex(key);
    const std::int64_t n = line.getNumPoints();
    if (!index || (*request_.tracks)[*index].points != n) {
      throw WriteFailure{"the input changed while it was thinned"};
    }
    const std::vector<std::int64_t>& kept = (*request_.kept)[*index];
    if (n == 0) return;
    const std::size_t k = kept.size();
    std::vector<double> x(k), y(k), z(k), m(k);
    for (std::size_t j = 0; j < k; ++j) {
      const int i = static_cast<int>(kept[j] - 1);
      x[j] = line.getX(i);
      y[j] = line.getY(i);
      z[j] = line.getZ(i);
      m[j] = line.getM(i);
    }
    const int count = static_cast<int>(k);
    if (line.Is3D() && line.IsMeasured()) {
      line.setPoints(count, x.data(), y.data(), z.data(), m.data());
    } else if (line.Is3D()) {
      line.setPoints(count, x.data(), y.data(), z.data());
    } else if (line.IsMeasured()) {
      line.setPointsM(count, x.data(), y.data(), m.data());
    } else {
      line.setPoints(count, x.data(), y.data());
    }
  }

  const GisWriteRequest& request_;
  std::map<TrackKey, std::size_t> track_of_;
  OGRLayer* empty_tracks_ = nullptr;  // GPX: the tracks layer of the tracks without points
  std::vector<int> empty_track_fields_;
  GDALDatasetUniquePtr source_;
  std::vector<std::string> left_out_;
};

}  // namespace

GisWriteOutcome WriteThinnedGisFile(const GisWriteRequest& request) {
  return ThinnedFileWriter(request).Write();
}

}  // namespace oru
