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

#include "app/selection_value.h"
#include "cli/format_choice.h"
#include "cli/task_pool.h"
#include "gis/gis_reader.h"
#include "gis/gis_writer.h"
#include "gis/track_thinning.h"
#include "trackio/file_io.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// One input file on its way through reading, thinning and writing.
struct FileJob {
  std::string input;
  std::string output;
  const GisFormat* input_format = nullptr;
  const GisFormat* output_format = nullptr;
  GisReadOutcome read;
  std::vector<TrackThinning> thinned;  // per track of read.tracks
  std::atomic<std::size_t> unthinned{0};
  std::string error;
  std::vector<std::string> notes;
};

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
std::string JsonLine(const std::string& keys, const StatisticsTexts& texts,
                     const std::optional<QualityTexts>& quality = std::nullopt) {
  return "{" + keys + StatisticsJson(texts, quality).substr(1);
}

void Write(FileJob& job) {
  std::vector<std::vector<std::int64_t>> kept(job.thinned.size());
  for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = std::move(job.thinned[i].selected);
  GisWriteRequest request;
  request.input = job.input;
  request.input_format = job.input_format;
  request.output = job.output;
  request.output_format = job.output_format;
  request.tracks = &job.read.tracks;
  request.kept = &kept;
  GisWriteOutcome written = WriteThinnedGisFile(request);
  job.error = std::move(written.error);
  job.notes = std::move(written.left_out);
}

void Thin(FileJob& job, std::size_t track, const ThinChoices& choices) {
  job.thinned[track] = ThinTrack(job.read.tracks[track], choices);
  if (job.unthinned.fetch_sub(1) == 1) Write(job);
}

// Reads the file, then hands its tracks to the pool before any other file
// is read; the last track thinned writes the file.
void Read(FileJob& job, const ThinChoices& choices, TaskPool& pool) {
  job.read = ReadGisTracks(job.input, *job.input_format);
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
    Write(job);
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
    job->input_format = InputGisFormat(options, job->input);
    if (options.output_dir.empty()) {
      job->output = options.request.output.string();
    } else {
      fs::path output = fs::path(options.output_dir) / relative;
      if (!options.gis_output_format.empty()) {
        output.replace_extension(
            WrittenExtension(*GisFormatByName(options.gis_output_format)));
      }
      job->output = output.string();
    }
    job->output_format = OutputGisFormat(
        options, job->input_format, options.output_dir.empty() ? job->output : std::string());
    if (job->input_format == nullptr) {
      job->error = "not a GIS file (give --input-format, or thin survey tracks one at a time)";
    } else if (job->output_format == nullptr) {
      job->error = "no GIS format to write " + job->output +
                   " in (give --output-format, or an output with a GIS extension)";
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
      if (entry.is_regular_file(ec) && InputGisFormat(options, entry.path().string()) != nullptr) {
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
  choices.calculation = options.request.choices.calculation;
  choices.criterion = options.request.choices.criterion;
  choices.quality_figures = options.json;
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
int Report(const std::vector<std::unique_ptr<FileJob>>& jobs, bool json, std::ostream& out,
           std::ostream& err) {
  SelectionStatistics total;
  std::int64_t tracks = 0;
  std::vector<std::string> failed;
  for (const auto& job : jobs) {
    if (!job->error.empty()) {
      err << job->input << ": " << job->error << '\n';
      failed.push_back(job->input);
      continue;
    }
    for (const std::string& note : job->notes) err << job->input << ": left out " << note << '\n';
    for (std::size_t i = 0; i < job->read.tracks.size(); ++i) {
      const GisTrack& track = job->read.tracks[i];
      if (track.points == 0) continue;
      const SelectionStatistics& s = job->thinned[i].statistics;
      const StatisticsTexts texts = FormatStatistics(s);
      if (json) {
        const auto& quality = job->thinned[i].quality;
        out << JsonLine("\"file\": " + JsonString(job->input) + ", \"track\": " +
                            JsonString(TrackPlace(track)) + ", ",
                        texts, quality ? std::optional(FormatQuality(*quality)) : std::nullopt);
      } else {
        out << job->input << ", " << TrackPlace(track) << ":\n" << StatisticsRows(texts) << '\n';
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
                        ", \"failed\": " + failures + "], ",
                    texts);
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
      pool.Submit([&file = *job, &choices = *choices, &pool] { Read(file, choices, pool); });
    }
    pool.Wait();
  }
  return Report(jobs, options.json, out, err);
}

}  // namespace oru
