#include "gis/grouped_rows_reader.h"

#include <cpl_error.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gis/gdal_support.h"

namespace oru {
namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// The rows of a layer as the grouping sees them, with what was left out.
class RowCollector {
 public:
  RowCollector(OGRLayer& layer, const TrackFrame& frame, const RowGrouping& grouping)
      : layer_(layer), frame_(frame), grouping_(grouping) {}

  // Finds the grouping's columns; the error when one is missing.
  std::optional<std::string> FindColumns() {
    OGRFeatureDefn& fields = *layer_.GetLayerDefn();
    if (!grouping_.track_by.empty()) {
      vessel_field_ = fields.GetFieldIndex(grouping_.track_by.c_str());
      if (vessel_field_ < 0) {
        return Where() + " has no column " + Quoted(grouping_.track_by) + " to take tracks by";
      }
      vessel_column_ = fields.GetFieldDefn(vessel_field_)->GetNameRef();
    }
    if (!grouping_.order_by.empty()) {
      time_field_ = fields.GetFieldIndex(grouping_.order_by.c_str());
      if (time_field_ < 0) {
        return Where() + " has no column " + Quoted(grouping_.order_by) + " to order the rows by";
      }
      time_column_ = fields.GetFieldDefn(time_field_)->GetNameRef();
    }
    return std::nullopt;
  }

  // Takes row `number` (1-based); the error when its time does not read.
  std::optional<std::string> Take(OGRFeature& feature, std::int64_t number) {
    PointRow row;
    row.row = number;
    if (vessel_field_ >= 0) {
      const std::string value = TextOf(feature, vessel_field_);
      if (value.empty()) return Drop();
      row.vessel = VesselNumber(value);
    }
    if (time_field_ >= 0) {
      const std::string text = TextOf(feature, time_field_);
      if (text.find_first_not_of(" \t") == std::string::npos) return Drop();
      const std::optional<RowTime> time = ParseRowTime(text);
      const std::string where =
          Where() + ", row " + std::to_string(number) + ": column " + Quoted(time_column_);
      if (!time) {
        return where + " holds " + Quoted(text) +
               ", which reads as no date-time (2024-05-01T12:00:00Z) and no number";
      }
      if (!time_kind_) time_kind_ = time->date_time;
      if (*time_kind_ != time->date_time) {
        return where + " holds " + (time->date_time ? "the date-time " : "the number ") +
               Quoted(text) + (time->date_time ? " among numbers" : " among date-times");
      }
      row.time = *time;
    }
    const OGRGeometry* geometry = feature.GetGeometryRef();
    if (geometry == nullptr || wkbFlatten(geometry->getGeometryType()) != wkbPoint) return Drop();
    std::vector<double> x{geometry->toPoint()->getX()};
    std::vector<double> y{geometry->toPoint()->getY()};
    if (!(std::isfinite(x[0]) && std::isfinite(y[0])) || ToEngineCoordinates(frame_, x, y)) {
      return Drop();
    }
    row.x = x[0];
    row.y = y[0];
    rows_.push_back(row);
    return std::nullopt;
  }

  // The tracks of the rows taken, into `outcome`.
  void MakeTracks(GisReadOutcome& outcome) const {
    const RowTracks grouped = TracksOfRows(rows_, time_field_ >= 0, grouping_.gap);
    outcome.rows_dropped += dropped_;
    outcome.duplicates += grouped.duplicates;
    for (const RowTrack& source : grouped.tracks) {
      GisTrack& track = outcome.tracks.emplace_back();
      track.layer = layer_.GetName();
      track.feature = rows_[source.members.front()].row;
      track.part = source.number;
      if (vessel_field_ >= 0) {
        const std::string& value = vessels_[static_cast<std::size_t>(source.vessel - 1)];
        track.vessel = vessel_column_ + " " + Quoted(value);
      }
      track.geographic = frame_.geographic;
      track.datum = frame_.datum;
      track.points = static_cast<std::int64_t>(source.members.size());
      for (const std::size_t k : source.members) {
        track.rows.push_back(rows_[k].row);
        track.first.push_back(rows_[k].x);
        track.second.push_back(rows_[k].y);
      }
    }
  }

  std::string Where() const { return "layer " + Quoted(layer_.GetName()); }

 private:
  std::optional<std::string> Drop() {
    ++dropped_;
    return std::nullopt;
  }

  // A field's text as written; empty when it is not set.
  static std::string TextOf(OGRFeature& feature, int field) {
    return feature.IsFieldSetAndNotNull(field) ? feature.GetFieldAsString(field) : "";
  }

  // 1, 2, ... in order of first appearance.
  std::int64_t VesselNumber(const std::string& value) {
    const auto next = static_cast<std::int64_t>(vessels_.size()) + 1;
    const auto [at, added] = vessel_numbers_.try_emplace(value, next);
    if (added) vessels_.push_back(value);
    return at->second;
  }

  OGRLayer& layer_;
  const TrackFrame& frame_;
  const RowGrouping& grouping_;
  int vessel_field_ = -1;
  int time_field_ = -1;
  std::string vessel_column_;
  std::string time_column_;
  std::optional<bool> time_kind_;  // date-times (true) or numbers, after the first time read
  std::unordered_map<std::string, std::int64_t> vessel_numbers_;
  std::vector<std::string> vessels_;  // by number - 1
  std::vector<PointRow> rows_;
  std::int64_t dropped_ = 0;
};

}  // namespace

bool ReadGroupedRows(OGRLayer& layer, const TrackFrame& frame, const RowGrouping& grouping,
                     GisReadOutcome& outcome) {
  RowCollector rows(layer, frame, grouping);
  if (auto missing = rows.FindColumns()) {
    outcome.error = std::move(*missing);
    return false;
  }
  std::int64_t number = 0;
  layer.ResetReading();
  CPLErrorReset();
  for (auto& feature : layer) {
    if (auto refusal = rows.Take(*feature, ++number)) {
      outcome.error = std::move(*refusal);
      return false;
    }
  }
  if (CPLGetLastErrorType() == CE_Failure) {
    outcome.error = rows.Where() + ", row " + std::to_string(number + 1) + ": " +
                    GdalReason("the row could not be read");
    return false;
  }
  rows.MakeTracks(outcome);
  return true;
}

}  // namespace oru
