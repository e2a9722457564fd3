#include "cli/batch_run.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "run/selection_value.h"
#include "cli/coordinate_outputs.h"
#include "cli/format_choice.h"
#include "cli/task_pool.h"
#include "gis/gis_reader.h"
#include "gis/gis_writer.h"
#include "gis/track_thinning.h"
#include "navformats/nmea_reader.h"
#include "navformats/p190_reader.h"
#include "trackio/file_io.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// One input file on its way through reading, thinning and writing.
struct FileJob {
  std::string input;
  std::string output;
  BatchFormat input_format;
  BatchFormat output_format;
  GisReadOutcome read;  // the tracks thinned: as read from GIS files, copies of the others
  // Tracks written from their coordinates (coordinate_outputs.h): those of
  // navigation files, or copies of GIS tracks before they are thinned.
  std::vector<NavTrack> coordinates;
  std::vector<std::string> places;  // per track, as messages and statistics name it
  std::int64_t lines_skipped = -1;  // NMEA logs: lines that were no valid sentence
  std::vector<TrackThinning> thinned;  // per track of read.tracks
  std::atomic<std::size_t> unthinned{0};
  std::string error;
  std::vector<std::string> notes;
  std::vector<std::string> route_files;  // per track, when each is a file of its own
};

// Whether the job's output is written from the tracks' coordinates rather
// than by GDAL from the input file again.
bool FromCoordinates(const FileJob& job) {
  return job.input_format.nav != nullptr || job.output_format.nav != nullptr;
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      json += "\\u00";
      json += kHex[(c >> 4) & 0xf];
      json += kHex[c & 0xf];
    } else {
      json += c;
    }
  }
  return json + "\"";
}

// The statistics object with `keys` (already JSON, each ending in ", ") first.
std::string JsonLine(const std::string& keys, const StatisticsTexts& texts, SelectionMethod method,
                     const std::optional<QualityTexts>& quality = std::nullopt) {
  return "{" + keys + StatisticsJson(texts, method, quality).substr(1);
}

void Write(FileJob& job, const ThinChoices& choices) {
  std::vector<std::vector<std::int64_t>> kept(job.thinned.size());
  for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = std::move(job.thinned[i].selected);
  if (FromCoordinates(job)) {
    CoordinateWrite request;
    request.input = job.input;
    request.output = job.output;
    request.output_format = job.output_format;
    request.calculation = choices.calculation;
    request.tracks = &job.coordinates;
    request.kept = &kept;
    request.places = &job.places;
    CoordinateWriteOutcome written = WriteFromCoordinates(request);
    job.error = std::move(written.error);
    job.route_files = std::move(written.route_files);
    job.coordinates = {};
    return;
  }
  GisWriteRequest request;
  request.input = job.input;
  request.input_format = job.input_format.gis;
  request.output = job.output;
  request.output_format = job.output_format.gis;
  request.tracks = &job.read.tracks;
  request.kept = &kept;
  GisWriteOutcome written = WriteThinnedGisFile(request);
  job.error = std::move(written.error);
  job.notes = std::move(written.left_out);
}

void Thin(FileJob& job, std::size_t track, const ThinChoices& choices) {
  job.thinned[track] = ThinTrack(job.read.tracks[track], choices);
  if (job.unthinned.fetch_sub(1) == 1) Write(job, choices);
}

// The tracks of an NMEA or P1/90 file, as coordinates to write and as
// copies to thin.
void ReadNavigationFile(FileJob& job, bool p190_grid) {
  std::string text;
  if (const FileStatus loaded = LoadFile(job.input, text); !loaded) {
    job.read.error = WithSystemReason("could not be opened.", loaded.error);
    return;
  }
  NavReadOutcome read = job.input_format.Is(NavFormatKind::Nmea)
                            ? ReadNmeaTracks(text)
                            : ReadP190Tracks(text, P190Choices{p190_grid});
  if (job.input_format.Is(NavFormatKind::Nmea)) job.lines_skipped = read.lines_skipped;
  job.read.error = std::move(read.error);
  job.coordinates = std::move(read.tracks);
  for (const NavTrack& source : job.coordinates) {
    GisTrack track;
    track.geographic = source.geographic;
    track.datum = source.datum;
    track.first = source.first;
    track.second = source.second;
    track.points = static_cast<std::int64_t>(track.first.size());
    job.read.tracks.push_back(std::move(track));
    job.places.push_back(source.label.empty() ? "track " + std::to_string(job.places.size() + 1)
                                              : source.label);
  }
}

// The tracks of a GIS file; copies of their coordinates too when they are
// written as routes.
void ReadGisFile(FileJob& job) {
  job.read = ReadGisTracks(job.input, *job.input_format.gis);
  for (const GisTrack& track : job.read.tracks) {
    job.places.push_back(TrackPlace(track));
    if (!FromCoordinates(job)) continue;
    NavTrack copy;
    copy.label = job.places.back();
    copy.geographic = track.geographic;
    copy.datum = track.datum;
    copy.first = track.first;
    copy.second = track.second;
    job.coordinates.push_back(std::move(copy));
  }
}

// Reads the file, then hands its tracks to the pool before any other file
// is read; the last track thinned writes the file.
void Read(FileJob& job, const ThinChoices& choices, bool p190_grid, TaskPool& pool) {
  if (job.input_format.nav != nullptr) {
    ReadNavigationFile(job, p190_grid);
  } else {
    ReadGisFile(job);
  }
  if (!job.read.error.empty()) {
    job.error = std::move(job.read.error);
    return;
  }
  const std::size_t n = job.read.tracks.size();
  job.thinned.resize(n);
  std::vector<std::size_t> to_thin;
  for (std::size_t i = 0; i < n; ++i) {
    if (job.read.tracks[i].points > 0) to_thin.push_back(i);
  }
  if (to_thin.empty()) {
    Write(job, choices);
    return;
  }
  job.unthinned = to_thin.size();
  for (const std::size_t i : to_thin) {
    pool.SubmitUrgent([&job, i, &choices] { Thin(job, i, choices); });
  }
}

// The files of the inputs, each with its output; a job's error is set when
// it cannot run.
std::vector<std::unique_ptr<FileJob>> PlanJobs(const CliOptions& options, std::string& usage) {
  std::vector<std::unique_ptr<FileJob>> jobs;
  auto add = [&](const fs::path& input, const fs::path& relative) {
    auto job = std::make_unique<FileJob>();
    job->input = input.string();
    job->input_format = InputBatchFormat(options, job->input);
    job->output_format = OutputBatchFormat(options, job->input_format,
                                           options.output_dir.empty() ? options.request.output.string()
                                                                      : std::string());
    if (options.output_dir.empty()) {
      job->output = options.request.output.string();
    } else {
      fs::path output = fs::path(options.output_dir) / relative;
      if (!options.batch_output_format.empty() && job->output_format) {
        output.replace_extension(job->output_format.Extension());
      }
      job->output = output.string();
    }
    if (!job->input_format) {
      job->error =
          "not a GIS or navigation file (give --input-format, or thin survey tracks one at a "
          "time)";
    } else if (!job->output_format) {
      job->error = "no format to write " + job->output +
                   " in (give --output-format, or an output with the extension of a format "
                   "that is written)";
    }
    jobs.push_back(std::move(job));
  };
  for (const std::string& name : options.inputs) {
    std::error_code ec;
    if (!fs::is_directory(name, ec)) {
      add(name, fs::path(name).filename());
      continue;
    }
    if (!options.recursive) {
      usage = name + " is a folder: add --recursive to thin the files in it";
      return {};
    }
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(name, ec)) {
      if (entry.is_regular_file(ec) && InputBatchFormat(options, entry.path().string())) {
        found.push_back(entry.path());
      }
    }
    std::sort(found.begin(), found.end());
    for (const fs::path& file : found) add(file, fs::relative(file, name, ec));
  }
  std::set<std::string> outputs;
  for (auto& job : jobs) {
    if (!job->error.empty()) continue;
    if (SameFile(job->input, job->output)) {
      job->error = "the output file " + job->output + " is the input file";
    } else if (!outputs.insert(fs::weakly_canonical(job->output).string()).second) {
      job->error = "another input is written to the same output " + job->output;
    }
  }
  return jobs;
}

std::optional<ThinChoices> ChoicesOf(const CliOptions& options, std::string& error) {
  ThinChoices choices;
  choices.method = options.request.method;
  choices.calculation = options.request.choices.calculation;
  choices.criterion = options.request.choices.criterion;
  choices.quality_figures = options.json;
  choices.max_points = options.max_waypoints;
  const std::string& value = options.request.selection_value;
  if (choices.criterion == Criterion::MaximumDeviation) {
    const auto threshold = ParseMaximumDeviation(value);
    if (!threshold) error = NotAFloatMessage(value);
    choices.threshold = threshold.value_or(0.0);
  } else {
    const auto wanted = ParseNumberOfPoints(value);
    if (!wanted) error = NotAnIntegerMessage(value);
    choices.wanted_count = wanted.value_or(0);
  }
  if (!error.empty()) return std::nullopt;
  return choices;
}

// Statistics of every track, file by file, then the total; failures on err.
int Report(const std::vector<std::unique_ptr<FileJob>>& jobs, bool json, SelectionMethod method,
           std::ostream& out,
           std::ostream& err) {
  SelectionStatistics total;
  std::int64_t tracks = 0;
  std::int64_t lines_skipped = 0;
  std::vector<std::string> failed;
  for (const auto& job : jobs) {
    if (!job->error.empty()) {
      err << job->input << ": " << job->error << '\n';
      failed.push_back(job->input);
      continue;
    }
    for (const std::string& note : job->notes) err << job->input << ": left out " << note << '\n';
    if (job->lines_skipped > 0) {
      err << job->input << ": " << job->lines_skipped
          << (job->lines_skipped == 1 ? " line" : " lines")
          << " passed over: not valid NMEA sentences\n";
    }
    lines_skipped += std::max<std::int64_t>(job->lines_skipped, 0);
    for (std::size_t i = 0; i < job->read.tracks.size(); ++i) {
      const GisTrack& track = job->read.tracks[i];
      if (track.points == 0) continue;
      const TrackThinning& thinned = job->thinned[i];
      const SelectionStatistics& s = thinned.statistics;
      const StatisticsTexts texts = FormatStatistics(s);
      const std::string& place = job->places[i];
      const bool own_file = i < job->route_files.size();
      if (json) {
        std::string keys = "\"file\": " + JsonString(job->input) + ", \"track\": " +
                           JsonString(place) + ", ";
        if (own_file) keys += "\"route_file\": " + JsonString(job->route_files[i]) + ", ";
        if (job->lines_skipped >= 0) {
          keys += "\"lines_skipped\": " + std::to_string(job->lines_skipped) + ", ";
        }
        if (thinned.capped) keys += "\"capped\": true, ";
        out << JsonLine(keys, texts, method,
                        thinned.quality ? std::optional(FormatQuality(*thinned.quality))
                                        : std::nullopt);
      } else {
        out << job->input << ", " << place;
        if (own_file) out << " (" << job->route_files[i] << ")";
        out << ":\n" << StatisticsRows(texts);
        if (thinned.capped) {
          out << "Capped at " << s.count << " points by --max-waypoints: the maximum distance "
              << "reached is " << texts.max_deviation << " m.\n";
        }
        out << '\n';
      }
      ++tracks;
      total.largest_deviation = std::max(total.largest_deviation, s.largest_deviation);
      total.n += s.n;
      total.count += s.count;
      total.full_length += s.full_length;
      total.new_length += s.new_length;
    }
    const GisSkipped& skipped = job->read.skipped;
    if (skipped.points + skipped.polygons + skipped.other > 0) {
      err << job->input << ": not thinned, kept as they are: " << skipped.points
          << " point, " << skipped.polygons << " polygon and " << skipped.other
          << " other features\n";
    }
  }
  const StatisticsTexts texts = FormatStatistics(total);
  const std::size_t written = jobs.size() - failed.size();
  if (json) {
    std::string failures = "[";
    for (const std::string& f : failed) failures += (failures.size() > 1 ? ", " : "") + JsonString(f);
    out << JsonLine("\"file\": null, \"track\": null, \"files\": " + std::to_string(written) +
                        ", \"tracks\": " + std::to_string(tracks) +
                        ", \"failed\": " + failures +
                        "], \"lines_skipped\": " + std::to_string(lines_skipped) + ", ",
                    texts, method);
  } else {
    out << "Total of " << tracks << " tracks in " << written << " files:\n"
        << StatisticsRows(texts);
  }
  if (failed.empty()) return 0;
  err << "oru-cli: " << failed.size() << " of " << jobs.size() << " files failed:";
  for (const std::string& f : failed) err << ' ' << f;
  err << '\n';
  return 1;
}

}  // namespace

int RunGisCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.plot_dir.empty() || !options.plot_image.empty()) {
    err << "oru-cli: plots are drawn of survey tracks only\n";
    return 2;
  }
  std::string usage;
  std::vector<std::unique_ptr<FileJob>> jobs = PlanJobs(options, usage);
  if (!usage.empty()) {
    err << "oru-cli: " << usage << '\n';
    return 2;
  }
  std::string error;
  const std::optional<ThinChoices> choices = ChoicesOf(options, error);
  if (!choices) {
    err << error << '\n';
    return 1;
  }
  if (!options.output_dir.empty()) {
    std::error_code ec;
    fs::create_directories(options.output_dir, ec);
  }
  {
    TaskPool pool(options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency()));
    for (auto& job : jobs) {
      if (!job->error.empty()) continue;
      if (!options.output_dir.empty()) {
        std::error_code ec;
        fs::create_directories(fs::path(job->output).parent_path(), ec);
      }
      pool.Submit([&file = *job, &choices = *choices, grid = options.p190_grid, &pool] {
        Read(file, choices, grid, pool);
      });
    }
    pool.Wait();
  }
  return Report(jobs, options.json, options.request.method, out, err);
}

}  // namespace oru
