#include "cli/coordinate_outputs.h"

#include <filesystem>
#include <utility>

#include "gis/gis_lines_writer.h"
#include "navformats/gpx_route_writer.h"
#include "navformats/rtz_writer.h"
#include "trackio/file_io.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// Why the tracks cannot be written; thrown inside this file only.
struct RouteFailure {
  std::string message;
};

Route RouteOf(const CoordinateWrite& r, std::size_t t, const std::string& name) {
  const NavTrack& track = (*r.tracks)[t];
  const std::string& place = (*r.places)[t];
  if (!track.geographic) {
    throw RouteFailure{place + " is in plane coordinates; routes hold latitudes and longitudes"};
  }
  Route route;
  route.name = name;
  for (const std::int64_t k : (*r.kept)[t]) {
    const auto i = static_cast<std::size_t>(k - 1);
    double lat = track.first[i];
    double lon = track.second[i];
    if (!ToWgs84(track.datum, lat, lon)) {
      throw RouteFailure{place + ", point " + std::to_string(k) + ": no transformation to WGS84"};
    }
    route.lat.push_back(lat);
    route.lon.push_back(lon);
    if (!track.times.empty()) route.times.push_back(track.times[i]);
  }
  return route;
}

std::string RouteName(const CoordinateWrite& r, std::size_t t) {
  std::string name = fs::path(r.input).stem().string();
  if (r.tracks->size() > 1) name.append(" ").append((*r.places)[t]);
  return name;
}

// Stages every text, then commits them all.
std::string WriteTexts(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<StagedFile> staged(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (const FileStatus done = staged[i].Stage(files[i].first, files[i].second); !done) {
      return WithSystemReason(files[i].first + " could not be written.", done.error);
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (const FileStatus done = staged[i].Commit(); !done) {
      return WithSystemReason(files[i].first + " could not be written.", done.error);
    }
  }
  return {};
}

CoordinateWriteOutcome WriteRtz(const CoordinateWrite& r) {
  CoordinateWriteOutcome outcome;
  const LegGeometry legs = r.calculation == CalculationType::Ellipsoidic ? LegGeometry::Orthodrome
                                                                         : LegGeometry::Loxodrome;
  std::vector<std::pair<std::string, std::string>> files;
  const std::size_t n = r.tracks->size();
  for (std::size_t t = 0; t < n; ++t) {
    if ((*r.kept)[t].empty()) {  // a GIS line without vertices: no route
      outcome.route_files.emplace_back();
      continue;
    }
    if ((*r.kept)[t].size() < 2) {
      throw RouteFailure{(*r.places)[t] + " has a single position; an RTZ route needs two"};
    }
    fs::path file = r.output;
    if (n > 1) {
      file.replace_filename(file.stem().string() + "-" + std::to_string(t + 1) +
                            file.extension().string());
      outcome.route_files.push_back(file.string());
    }
    files.emplace_back(file.string(), RtzText(RouteOf(r, t, RouteName(r, t)), legs));
  }
  outcome.error = WriteTexts(files);
  return outcome;
}

CoordinateWriteOutcome WriteGpx(const CoordinateWrite& r) {
  std::vector<Route> routes;
  for (std::size_t t = 0; t < r.tracks->size(); ++t) {
    if (!(*r.kept)[t].empty()) routes.push_back(RouteOf(r, t, RouteName(r, t)));
  }
  CoordinateWriteOutcome outcome;
  outcome.error = WriteTexts({{r.output, GpxRouteText(routes)}});
  return outcome;
}

CoordinateWriteOutcome WriteLines(const CoordinateWrite& r) {
  std::vector<GisLine> lines;
  for (std::size_t t = 0; t < r.tracks->size(); ++t) {
    const NavTrack& track = (*r.tracks)[t];
    GisLine line;
    line.name = r.tracks->size() > 1 ? (*r.places)[t] : fs::path(r.input).stem().string();
    for (const std::int64_t k : (*r.kept)[t]) {
      const auto i = static_cast<std::size_t>(k - 1);
      // GIS order: longitude or easting first.
      line.x.push_back(track.geographic ? track.second[i] : track.first[i]);
      line.y.push_back(track.geographic ? track.first[i] : track.second[i]);
    }
    lines.push_back(std::move(line));
  }
  GisLinesRequest request;
  request.output = r.output;
  request.format = r.output_format.gis;
  request.layer = fs::path(r.input).stem().string();
  request.geographic = r.tracks->front().geographic;
  request.datum = r.tracks->front().datum;
  request.lines = &lines;
  CoordinateWriteOutcome outcome;
  outcome.error = WriteGisLines(request);
  return outcome;
}

}  // namespace

CoordinateWriteOutcome WriteFromCoordinates(const CoordinateWrite& request) {
  try {
    if (request.output_format.Is(NavFormatKind::Rtz)) return WriteRtz(request);
    if (request.output_format.IsGpx()) return WriteGpx(request);
    return WriteLines(request);
  } catch (const RouteFailure& failure) {
    CoordinateWriteOutcome outcome;
    outcome.error = failure.message;
    return outcome;
  }
}

}  // namespace oru
