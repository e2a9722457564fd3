// The readers of a run: survey text, GIS files through GDAL, NMEA logs and
// P1/90 files, each giving the tracks in the engine's coordinates.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "gis/geojson_reader.h"
#include "gis/gis_reader.h"
#include "gis/gpx_reader.h"
#include "navformats/nmea_reader.h"
#include "navformats/p190_reader.h"
#include "run/pipeline_job.h"
#include "track/huge_pages.h"
#include "trackio/file_io.h"
#include "trackio/track_reader.h"

namespace oru {
namespace {

RunError NotOpened(const std::filesystem::path& input, int system_error) {
  return RunError{ErrorKind::File, "Input file " + input.string() + " could not be opened.",
                  system_error};
}

RunError BadInput(std::string message) { return RunError{ErrorKind::BadInput, std::move(message)}; }

// The geodesy library measures and projects only latitudes within +-90 and
// longitudes within +-180 degrees; outside them it leaves its results unset,
// and plane coordinates beyond PlaneCoordinateInRange give infinite figures,
// so such a track is refused before any figure is computed from it. Point i
// comes from line i + 1. The checks fail on NaN too.
std::optional<std::string> OutOfRangeLine(const TrackStore& store, std::int64_t points,
                                          bool geographic) {
  for (std::int64_t i = 0; i < points; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const std::string line = "Line " + std::to_string(i + 1);
    if (!geographic) {
      if (!PlaneCoordinateInRange(store.first[k]) || !PlaneCoordinateInRange(store.second[k])) {
        return line + ": coordinate out of range.";
      }
    } else if (!(store.first[k] >= -90.0 && store.first[k] <= 90.0)) {
      return line + ": latitude out of range.";
    } else if (!(store.second[k] >= -180.0 && store.second[k] <= 180.0)) {
      return line + ": longitude out of range.";
    }
  }
  return std::nullopt;
}

std::optional<RunError> ReadSurveyFile(FileJob& job, InputFormat format,
                                       const RunContext& context) {
  FileReport& file = job.report;
  std::string text;
  if (const FileStatus loaded = LoadFile(file.input, text); !loaded) {
    return NotOpened(file.input, loaded.error);
  }
  if (context.settings.keep_selection) file.input_digest = InputDigest(text);
  file.line_count = CountTrackLines(text);
  TrackStore& store = job.store.emplace(static_cast<std::size_t>(file.line_count));
  const ReadOutcome read =
      ReadTrack(text, format, store, [&context] { return context.StopRequested(); });
  if (context.settings.keep_texts) file.input_text = std::move(text);
  text = std::string();
  if (read.stopped) {
    file.stopped = true;
    return std::nullopt;
  }
  if (read.bad_line != 0) {
    return BadInput("Line " + std::to_string(read.bad_line) + " could not be read.");
  }
  if (read.points == 0) return BadInput("Input file empty.");
  if (auto refusal = OutOfRangeLine(store, read.points, IsGeographic(format))) {
    return BadInput(*refusal);
  }
  JobTrack& track = job.tracks.emplace_back();
  track.place = "track 1";
  track.geographic = IsGeographic(format);
  track.datum = context.settings.datum;
  track.plane_epsg = track.geographic ? 0 : context.crs_epsg;
  track.points = read.points;
  // The engine's copies, in pages of 2 MiB where the system gives them.
  const auto n = static_cast<std::size_t>(read.points);
  ReserveInHugePages(track.first, n);
  ReserveInHugePages(track.second, n);
  track.first.assign(store.first.begin(), store.first.begin() + read.points);
  track.second.assign(store.second.begin(), store.second.begin() + read.points);
  return std::nullopt;
}

std::optional<RunError> ReadGisFile(FileJob& job, const RunContext& context) {
  FileReport& file = job.report;
  // GDAL says little about a file it cannot open at all; the system says why.
  const int fd = ::open(file.input.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return NotOpened(file.input, errno);
  ::close(fd);
  // GPX and GeoJSON files that the streaming readers take give what GDAL
  // would give them, without loading GDAL (rows grouped into tracks are
  // GDAL's); they leave every other file to GDAL. Into GPX, where their
  // points lie is kept for the writer.
  const GisFormat& format = *file.read_format.gis;
  std::optional<GisReadOutcome> fast;
  const RowGrouping& rows = context.settings.rows;
  if (format.driver == "GPX" && !rows.Active()) {
    const bool to_gpx = file.write_format.gis != nullptr && file.write_format.gis->driver == "GPX";
    if (to_gpx) job.gpx_places.emplace();
    fast = ReadGpxTracks(file.input.string(), to_gpx ? &*job.gpx_places : nullptr);
    if (!fast) job.gpx_places.reset();
  } else if (format.driver == "GeoJSON" && !rows.Active()) {
    fast = ReadGeoJsonTracks(file.input.string());
    job.geojson_streamed = fast.has_value();
  }
  GisReadOutcome read = fast ? std::move(*fast) : ReadGisTracks(file.input.string(), format, rows);
  if (!read.error.empty()) return BadInput(std::move(read.error));
  file.features = read.skipped;
  file.warnings = std::move(read.warnings);
  if (rows.Active()) {
    file.rows_dropped = read.rows_dropped;
    file.duplicates_dropped = read.duplicates;
  }
  file.identity_columns = std::move(read.identity_columns);
  for (GisTrack& source : read.tracks) {
    JobTrack& track = job.tracks.emplace_back();
    track.place = TrackPlace(source);
    track.geographic = source.geographic;
    track.datum = source.datum;
    track.points = source.points;
    track.first = std::move(source.first);
    track.second = std::move(source.second);
    source.first = {};
    source.second = {};
  }
  job.gis_tracks = std::move(read.tracks);
  return std::nullopt;
}

std::optional<RunError> ReadNavigationFile(FileJob& job, const RunContext& context) {
  FileReport& file = job.report;
  std::string text;
  if (const FileStatus loaded = LoadFile(file.input, text); !loaded) {
    return NotOpened(file.input, loaded.error);
  }
  const bool nmea = file.read_format.nav->kind == NavFormatKind::Nmea;
  NavReadOutcome read = nmea ? ReadNmeaTracks(text)
                             : ReadP190Tracks(text, P190Choices{context.settings.p190_grid});
  text = std::string();
  if (nmea) {
    file.lines_skipped = read.lines_skipped;
    file.skipped_lines = std::move(read.skipped_lines);
  }
  if (!read.error.empty()) return BadInput(std::move(read.error));
  for (NavTrack& source : read.tracks) {
    JobTrack& track = job.tracks.emplace_back();
    track.place = source.label.empty() ? "track " + std::to_string(job.tracks.size())
                                       : std::move(source.label);
    track.geographic = source.geographic;
    track.datum = source.datum;
    track.plane_epsg = source.geographic ? 0 : context.crs_epsg;
    track.points = static_cast<std::int64_t>(source.first.size());
    track.first = std::move(source.first);
    track.second = std::move(source.second);
    track.times = std::move(source.times);
  }
  return std::nullopt;
}

}  // namespace

std::optional<RunError> ReadInput(FileJob& job, const RunContext& context) {
  const ReadFormat& format = job.report.read_format;
  if (format.survey) return ReadSurveyFile(job, *format.survey, context);
  if (format.gis != nullptr) return ReadGisFile(job, context);
  return ReadNavigationFile(job, context);
}

}  // namespace oru
