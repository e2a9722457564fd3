// The writers of a run: survey text, GIS files through GDAL (the input
// again with only the kept vertices, or line features of the kept points),
// RTZ and GPX routes.
#include <filesystem>
#include <memory>
#include <utility>

#include "gis/geojson_writer.h"
#include "gis/gis_lines_writer.h"
#include "gis/gis_writer.h"
#include "gis/gpx_writer.h"
#include "gis/projected_crs.h"
#include "navformats/gpx_route_writer.h"
#include "navformats/route.h"
#include "navformats/rtz_writer.h"
#include "run/pipeline_job.h"
#include "trackio/track_reader.h"
#include "trackio/track_writer.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// Why the tracks cannot be written; thrown inside this file only.
struct WriteFailure {
  RunError error;
};

[[noreturn]] void Fail(ErrorKind kind, std::string message) {
  throw WriteFailure{RunError{kind, std::move(message)}};
}

void Take(std::optional<RunError> error) {
  if (error) throw WriteFailure{std::move(*error)};
}

std::string Stem(const fs::path& path) { return path.stem().string(); }

// OUTPUT-K with the extension of OUTPUT: the file of track K (1-based) of a
// file whose tracks are written to a file each.
fs::path NumberedFile(const fs::path& output, std::size_t k) {
  fs::path file = output;
  file.replace_filename(Stem(output) + "-" + std::to_string(k) + output.extension().string());
  return file;
}

// The file of track t (0-based) of a file whose tracks are written to a
// file each, checked against the run's other names.
fs::path OwnFile(const FileJob& job, std::size_t t, const RunContext& context) {
  fs::path file = NumberedFile(job.report.output, t + 1);
  Take(CheckOwnFile(job, file, context));
  return file;
}

// The tracks that are written: those with points.
std::vector<std::size_t> TracksWithPoints(const FileJob& job) {
  std::vector<std::size_t> written;
  for (std::size_t t = 0; t < job.tracks.size(); ++t) {
    if (job.tracks[t].points > 0) written.push_back(t);
  }
  return written;
}

// Kept point k (1-based) of `track` as WGS84 latitude and longitude:
// geographic ones shifted from their datum, plane ones through their CRS.
class ToWgs84 {
 public:
  explicit ToWgs84(const RunContext& context) {
    if (context.crs_epsg == 0) return;
    std::string error;
    crs_ = ProjectedCrs::FromText(context.settings.crs, error);
  }
  void operator()(const FileJob& job, const JobTrack& track, std::int64_t k, double& lat,
                  double& lon) const {
    const auto i = static_cast<std::size_t>(k - 1);
    const std::string where = job.report.input.string() + ", " + track.place + ", point " +
                              std::to_string(k) + ": no transformation to WGS84";
    if (track.geographic) {
      lat = track.first[i];
      lon = track.second[i];
      if (!ShiftDatum(track.datum, DatumChoice::Wgs84, lat, lon)) Fail(ErrorKind::BadInput, where);
      return;
    }
    if (!crs_ || !crs_->ToWgs84(track.first[i], track.second[i], lat, lon)) {
      Fail(ErrorKind::BadInput, where);
    }
  }

 private:
  std::unique_ptr<ProjectedCrs> crs_;  // of this writer alone: PROJ's are not shared
};

// The staged output of a GIS format for GDAL's driver to write.
StagedOutput& StageGisOutput(FileJob& job) {
  std::optional<RunError> error;
  StagedOutput* staged = job.pending.AddFolder(job.report.output, *job.report.write_format.gis, error);
  Take(std::move(error));
  return *staged;
}

// A GIS output is whole only when the driver said nothing went wrong and
// no write, sync or close of its files failed; a failed write (a full
// disk) is said with the system's reason, which the driver may not know.
void CheckWritten(const FileJob& job, const StagedOutput& staged, std::string driver_error) {
  if (const int error = staged.WriteError()) {
    throw WriteFailure{
        RunError{ErrorKind::File, OutputNotWrittenMessage(job.report.output), error}};
  }
  if (!driver_error.empty()) Fail(ErrorKind::File, std::move(driver_error));
}

// Routes are named after the input file, followed by the track's place
// when there are several.
Route RouteOf(const FileJob& job, const JobTrack& track, const ToWgs84& to_wgs84) {
  Route route;
  route.name = Stem(job.report.input);
  if (job.tracks.size() > 1) route.name.append(" ").append(track.place);
  for (const std::int64_t k : track.thinned.selected) {
    double lat = 0.0;
    double lon = 0.0;
    to_wgs84(job, track, k, lat, lon);
    route.lat.push_back(lat);
    route.lon.push_back(lon);
    if (!track.times.empty()) route.times.push_back(track.times[static_cast<std::size_t>(k - 1)]);
  }
  return route;
}

// RTZ: a route a track (legs along great circles for "ellipsoidic", rhumb
// lines for "planar" thinning), OUTPUT for a file of one track, else
// OUTPUT-K, K counting every line of the file.
void WriteRtz(FileJob& job, const RunContext& context) {
  const LegGeometry legs = context.settings.calculation == CalculationType::Ellipsoidic
                               ? LegGeometry::Orthodrome
                               : LegGeometry::Loxodrome;
  const ToWgs84 to_wgs84(context);
  for (const std::size_t t : TracksWithPoints(job)) {
    JobTrack& track = job.tracks[t];
    if (track.thinned.selected.size() < 2) {
      Fail(ErrorKind::BadInput, job.report.input.string() + ", " + track.place +
                                    " has a single position; an RTZ route needs two");
    }
    if (job.tracks.size() > 1) track.own_file = OwnFile(job, t, context);
    Take(job.pending.AddText(track.own_file.empty() ? job.report.output : track.own_file,
                             RtzText(RouteOf(job, track, to_wgs84), legs)));
  }
}

void WriteGpxRoutes(FileJob& job, const RunContext& context) {
  const ToWgs84 to_wgs84(context);
  std::vector<Route> routes;
  for (const std::size_t t : TracksWithPoints(job)) {
    routes.push_back(RouteOf(job, job.tracks[t], to_wgs84));
  }
  Take(job.pending.AddText(job.report.output, GpxRouteText(routes)));
}

// Other GIS formats: one layer, named after the input file, of line
// features named by their places (by the input file when it has one
// track), on WGS84 (EPSG 4326), ED50 (EPSG 4230), the CRS given for plane
// tracks, or none.
void WriteLineFeatures(FileJob& job) {
  std::vector<GisLine> lines;
  for (const JobTrack& track : job.tracks) {
    GisLine& line = lines.emplace_back();
    line.name = job.tracks.size() > 1 ? track.place : Stem(job.report.input);
    for (const std::int64_t k : track.thinned.selected) {
      const auto i = static_cast<std::size_t>(k - 1);
      // GIS order: longitude or easting first.
      line.x.push_back(track.geographic ? track.second[i] : track.first[i]);
      line.y.push_back(track.geographic ? track.first[i] : track.second[i]);
    }
  }
  const GisFormat& format = *job.report.write_format.gis;
  StagedOutput& staged = StageGisOutput(job);
  GisLinesRequest request;
  request.output = staged.GdalPath();
  request.format = &format;
  request.layer = Stem(job.report.input);
  request.geographic = job.tracks.front().geographic;
  request.datum = job.tracks.front().datum;
  request.plane_epsg = job.tracks.front().plane_epsg;
  request.lines = &lines;
  CheckWritten(job, staged, WriteGisLines(request));
}

// GPX to GPX without GDAL, where the streaming reader read the input;
// false when it did not.
bool WriteStreamedGpx(FileJob& job, const std::vector<std::vector<std::int64_t>>& kept) {
  if (!job.gpx_places) return false;
  std::optional<std::string> text = ThinnedGpxText(job.report.input.string(), *job.gpx_places, kept);
  job.gpx_places.reset();
  if (!text) return false;
  Take(job.pending.AddText(job.report.output, std::move(*text)));
  return true;
}

// GeoJSON to GeoJSON without GDAL, where the streaming reader read the
// input; false when it did not, or the writer leaves the file to GDAL.
bool WriteStreamedGeoJson(FileJob& job, const std::vector<std::vector<std::int64_t>>& kept) {
  if (!job.geojson_streamed || job.report.write_format.gis->driver != "GeoJSON") return false;
  std::optional<std::string> text = ThinnedGeoJsonText(job.report.input.string(), job.gis_tracks, kept);
  if (!text) return false;
  Take(job.pending.AddText(job.report.output, std::move(*text)));
  return true;
}

// The input file again in a GIS format, with only the kept vertices.
void WriteGisCopy(FileJob& job, const RunContext& context) {
  std::vector<std::vector<std::int64_t>> kept(job.tracks.size());
  for (std::size_t t = 0; t < kept.size(); ++t) kept[t] = std::move(job.tracks[t].thinned.selected);
  if (WriteStreamedGpx(job, kept) || WriteStreamedGeoJson(job, kept)) {
    for (std::size_t t = 0; t < kept.size(); ++t) job.tracks[t].thinned.selected = std::move(kept[t]);
    return;
  }
  StagedOutput& staged = StageGisOutput(job);
  GisWriteRequest request;
  request.input = job.report.input.string();
  request.input_format = job.report.read_format.gis;
  request.output = staged.GdalPath();
  request.output_format = job.report.write_format.gis;
  request.tracks = &job.gis_tracks;
  request.kept = &kept;
  request.grouped_rows = context.settings.rows.Active();
  GisWriteOutcome written = WriteThinnedGisFile(request);
  job.report.layers_left_out = std::move(written.left_out);
  for (std::size_t t = 0; t < kept.size(); ++t) job.tracks[t].thinned.selected = std::move(kept[t]);
  CheckWritten(job, staged, std::move(written.error));
}

// The survey text of one track: survey input as it was read, other tracks
// from their coordinates (geographic ones shifted onto the run's datum,
// plane ones as X, Y).
std::string SurveyText(const FileJob& job, const JobTrack& track, const RunContext& context) {
  const OutputFormat format = *job.report.write_format.survey;
  std::string text;
  if (job.store) {
    WriteTrack(text, *job.store, track.thinned.selected, *job.report.read_format.survey, format);
    return text;
  }
  const std::vector<std::int64_t>& kept = track.thinned.selected;
  TrackStore store(kept.size());
  std::vector<std::int64_t> all(kept.size());
  for (std::size_t j = 0; j < kept.size(); ++j) {
    const auto i = static_cast<std::size_t>(kept[j] - 1);
    all[j] = static_cast<std::int64_t>(j + 1);
    if (!track.geographic) {
      store.first[j] = track.first[i];
      store.second[j] = track.second[i];
      continue;
    }
    double lat = track.first[i];
    double lon = track.second[i];
    if (!ShiftDatum(track.datum, context.settings.datum, lat, lon)) {
      Fail(ErrorKind::BadInput, job.report.input.string() + ", " + track.place + ", point " +
                                    std::to_string(kept[j]) + ": no datum transformation");
    }
    StoreDegrees(store, j, lat, lon);
  }
  WriteTrack(text, store, all, track.geographic ? InputFormat::OruKvl : InputFormat::AsciiXY,
             format);
  return text;
}

// Survey text: the output file for a file of one track; in an output
// folder, OUTPUT-K for track K of a file of several.
void WriteSurveyText(FileJob& job, const RunContext& context) {
  const std::vector<std::size_t> written = TracksWithPoints(job);
  for (const std::size_t t : written) {
    std::string text = SurveyText(job, job.tracks[t], context);
    if (context.settings.keep_texts) job.report.output_text = text;
    JobTrack& track = job.tracks[t];
    if (written.size() > 1) track.own_file = OwnFile(job, t, context);
    Take(job.pending.AddText(track.own_file.empty() ? job.report.output : track.own_file,
                             std::move(text)));
  }
}

}  // namespace

bool WritesFromCoordinates(const FileJob& job) {
  const ReadFormat& read = job.report.read_format;
  const WriteFormat& write = job.report.write_format;
  if (read.survey && write.survey) return false;
  return !(read.gis != nullptr && write.gis != nullptr);
}

std::optional<RunError> WriteOutputs(FileJob& job, const RunContext& context) {
  const ReadFormat& read = job.report.read_format;
  const WriteFormat& write = job.report.write_format;
  try {
    if (write.survey) {
      WriteSurveyText(job, context);
    } else if (read.gis != nullptr && write.gis != nullptr) {
      WriteGisCopy(job, context);
    } else if (write.IsRtz()) {
      WriteRtz(job, context);
    } else if (write.IsGpx()) {
      WriteGpxRoutes(job, context);
    } else {
      WriteLineFeatures(job);
    }
  } catch (const WriteFailure& failure) {
    return failure.error;
  }
  return std::nullopt;
}

}  // namespace oru
