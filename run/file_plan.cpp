// The plan of a run's files: formats by name, else by extension, else the
// survey text defaults; the outputs' names; the usage errors that show
// before anything is read.
#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "run/pipeline_job.h"
#include "trackio/file_io.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

RunError Usage(std::string message, Remedy remedy = Remedy::None) {
  return RunError{ErrorKind::Usage, std::move(message), 0, remedy};
}

// How `input` is read: the format named, else the one its extension names,
// else oru/kvl.
std::optional<ReadFormat> ReadFormatOf(const PipelineSettings& settings, const fs::path& input,
                                       std::optional<RunError>& error) {
  if (!settings.input_format.empty()) return ReadFormatNamed(settings.input_format);
  const ExtensionFormat by_extension = FormatOfExtension(input.string());
  if (by_extension.read) return by_extension.read;
  if (!by_extension.name.empty()) {
    error = Usage(input.string() + ": " + std::string(by_extension.name) +
                  " files are written, not read");
    return std::nullopt;
  }
  return ReadFormat{InputFormat::OruKvl, nullptr, nullptr};
}

// The survey text format written after `read` when no other is named.
WriteFormat SurveyDefault(const ReadFormat& read) {
  return {read.survey ? DefaultSurveyOutput(*read.survey) : OutputFormat::OruKvl, nullptr, nullptr};
}

// How the output of an input read as `read` is written: the format named;
// else the one the output file's extension names, or survey text when it
// names none; in a folder, the input's own format.
std::optional<WriteFormat> WriteFormatOf(const PipelineSettings& settings, const fs::path& input,
                                         const ReadFormat& read, std::optional<RunError>& error) {
  if (!settings.output_format.empty()) return WriteFormatNamed(settings.output_format);
  if (settings.output_dir.empty()) {
    const ExtensionFormat by_extension = FormatOfExtension(settings.output.string());
    if (by_extension.write) return by_extension.write;
    if (by_extension.name.empty()) return SurveyDefault(read);
    error = Usage(settings.output.string() + ": " + std::string(by_extension.name) +
                      " files are read, not written",
                  Remedy::OutputFormat);
    return std::nullopt;
  }
  if (read.survey) return SurveyDefault(read);
  if (read.gis != nullptr && read.gis->writable) return WriteFormat{std::nullopt, read.gis, nullptr};
  error = Usage("no format to write " + input.string() + " in: " +
                    std::string(FormatName(read)) + " files are read, not written",
                Remedy::OutputFormat);
  return std::nullopt;
}

// The output of `input` in the output folder: its name there (its path
// below the folder it was found in), with the extension of the format
// named, or ".txt" for survey text of another format.
fs::path OutputInFolder(const PipelineSettings& settings, const fs::path& relative,
                        const ReadFormat& read, const WriteFormat& write) {
  fs::path output = settings.output_dir / relative;
  if (!settings.output_format.empty() && !write.Extension().empty()) {
    output.replace_extension(write.Extension());
  } else if (write.survey && !read.survey) {
    output.replace_extension(".txt");
  }
  return output;
}

// Whether the tracks of `read` are plane coordinates that come without a
// CRS: survey X, Y text and P1/90 grid coordinates.
bool PlaneWithoutCrs(const PipelineSettings& settings, const ReadFormat& read) {
  return read.survey == InputFormat::AsciiXY ||
         (read.nav != nullptr && read.nav->kind == NavFormatKind::P190 && settings.p190_grid);
}

// What a writer from coordinates writes: routes, or GIS lines of a format
// that holds longitudes and latitudes only.
const char* DegreesOnlyOutput(const ReadFormat& read, const WriteFormat& write) {
  if (write.IsRtz()) return "RTZ routes";
  if (write.gis == nullptr || !write.gis->degrees_only || read.gis != nullptr) return nullptr;
  return write.IsGpx() ? "GPX routes" : write.gis->name == "kml" ? "KML" : "GeoJSON";
}

// Usage errors of one file that its formats show.
std::optional<RunError> CheckFormats(const PipelineSettings& settings, const FileReport& file) {
  const ReadFormat& read = file.read_format;
  const WriteFormat& write = file.write_format;
  const std::string input = file.input.string();
  const bool plane = PlaneWithoutCrs(settings, read);
  if (!settings.crs.empty()) {
    if (read.gis != nullptr) {
      return Usage("a CRS is given for X, Y coordinates, and " + input +
                   " is a GIS file with a CRS of its own");
    }
    if (!plane) {
      return Usage("a CRS is given for X, Y coordinates, and " + input +
                   " holds latitudes and longitudes");
    }
    if (write.survey) {
      return Usage("a CRS is given, and survey text files such as " + file.output.string() +
                   " hold none");
    }
  }
  if (const char* degrees = DegreesOnlyOutput(read, write); degrees && plane && settings.crs.empty()) {
    return Usage(input + " holds X, Y coordinates, and " + degrees +
                     " hold latitudes and longitudes",
                 Remedy::Crs);
  }
  if (read.survey && write.survey && (settings.max_points != 0 || settings.p190_grid)) {
    return Usage("the limit on points and P1/90 grid coordinates are for GIS, navigation and "
                 "route files, not for survey text written as survey text");
  }
  return std::nullopt;
}

// Whether a folder met within an input folder is left unread: the output
// folder (a second run would thin the first one's outputs again), and
// staging folders of runs under way (.oru-XXXXXX), which hold their
// outputs half made.
bool LeftUnread(const fs::directory_entry& entry, const PipelineSettings& settings) {
  std::error_code ec;
  if (!entry.is_directory(ec)) return false;
  if (entry.path().filename().string().starts_with(".oru-")) return true;
  return !settings.output_dir.empty() && SameFile(entry.path(), settings.output_dir);
}

// The inputs with the names of their outputs below the output folder;
// folders opened when `recursive`.
std::vector<std::pair<fs::path, fs::path>> InputFiles(const PipelineSettings& settings,
                                                      std::optional<RunError>& error) {
  std::vector<std::pair<fs::path, fs::path>> files;
  for (const fs::path& name : settings.inputs) {
    std::error_code ec;
    if (!fs::is_directory(name, ec)) {
      files.emplace_back(name, name.filename());
      continue;
    }
    if (!settings.recursive) {
      error = Usage(name.string() + " is a folder", Remedy::Recursive);
      return {};
    }
    std::vector<fs::path> found;
    for (auto entry = fs::recursive_directory_iterator(name, ec);
         entry != fs::recursive_directory_iterator(); entry.increment(ec)) {
      if (LeftUnread(*entry, settings)) {
        entry.disable_recursion_pending();
        continue;
      }
      if (!entry->is_regular_file(ec)) continue;
      if (settings.input_format.empty() && !FormatOfExtension(entry->path().string()).read) continue;
      found.push_back(entry->path());
    }
    std::sort(found.begin(), found.end());
    for (const fs::path& file : found) files.emplace_back(file, fs::relative(file, name, ec));
  }
  return files;
}

bool IsShapefile(const GisFormat* format) {
  return format != nullptr && format->driver == "ESRI Shapefile";
}

// Every name decided, before anything is read: an output must not land on
// an input, its own or another's (a file of an input Shapefile's set
// included), nor two outputs on one file (both are refused: which one
// should win is no one's guess). Each error names both files.
void CheckClashes(std::vector<FileReport>& files, RunNames& names) {
  std::vector<Footprint> outputs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const FileReport& file = files[i];
    names.inputs.push_back(file.input);
    names.input_files.Add(FootprintOf(file.input, IsShapefile(file.read_format.gis)), i);
    if (file.error) continue;
    outputs[i] = FootprintOf(file.output, IsShapefile(file.write_format.gis));
    names.output_files.Add(outputs[i], i);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    FileReport& file = files[i];
    if (file.error) continue;
    const std::string output = file.output.string();
    const std::vector<std::size_t> inputs = names.input_files.Overlapping(outputs[i]);
    std::vector<std::size_t> others = names.output_files.Overlapping(outputs[i]);
    std::erase(others, i);
    if (!inputs.empty()) {
      const std::size_t j = inputs.front();
      if (j == i && SameFile(file.input, file.output)) {
        file.error = Usage("The output file " + output + " is the input file.");
      } else if (j == i) {
        file.error = Usage("The output file " + output + " would overwrite a file of the input " +
                           file.input.string() + ".");
      } else {
        file.error = Usage("The output file " + output + " of " + file.input.string() +
                           " would overwrite the input " + files[j].input.string() + ".");
      }
    } else if (!others.empty()) {
      const auto [a, b] = std::minmax(i, others.front());
      file.error = Usage(files[a].input.string() + " and " + files[b].input.string() +
                         " would both be written to " + output + ".");
    }
  }
}

}  // namespace

std::vector<FileReport> PlanFiles(const PipelineSettings& settings, RunNames& names,
                                  std::optional<RunError>& error) {
  if (settings.inputs.empty() || settings.inputs.front().empty()) {
    error = Usage("No input file has been chosen.");
    return {};
  }
  if (settings.output.empty() && settings.output_dir.empty()) {
    error = Usage("No output file has been chosen.");
    return {};
  }
  if (!settings.output.empty() && !settings.output_dir.empty()) {
    error = Usage("an output file and an output folder are given; one of them, please");
    return {};
  }
  if (!settings.output.empty() && settings.inputs.size() > 1) {
    error = Usage("an output file takes one input; an output folder takes many");
    return {};
  }
  if (!settings.input_format.empty() && !ReadFormatNamed(settings.input_format)) {
    error = Usage("unknown input format '" + settings.input_format + "'");
    return {};
  }
  if (!settings.output_format.empty() && !WriteFormatNamed(settings.output_format)) {
    error = Usage("unknown output format '" + settings.output_format + "'");
    return {};
  }
  std::vector<FileReport> files;
  for (const auto& [input, relative] : InputFiles(settings, error)) {
    FileReport& file = files.emplace_back();
    file.input = input;
    const auto read = ReadFormatOf(settings, input, file.error);
    if (!read) continue;
    file.read_format = *read;
    const auto write = WriteFormatOf(settings, input, *read, file.error);
    if (!write) continue;
    file.write_format = *write;
    file.output = settings.output_dir.empty() ? settings.output
                                              : OutputInFolder(settings, relative, *read, *write);
    file.error = CheckFormats(settings, file);
  }
  if (error) return {};
  CheckClashes(files, names);
  return files;
}

std::optional<RunError> CheckOwnFile(const FileJob& job, const fs::path& file,
                                     const RunContext& context) {
  const Footprint print = FootprintOf(file, false);
  const RunNames& names = context.names;
  const std::string where = "The output file " + file.string() + " of " + job.report.input.string();
  const std::vector<std::size_t> inputs = names.input_files.Overlapping(print);
  if (!inputs.empty()) {
    return Usage(where + " would overwrite the input " + names.inputs[inputs.front()].string() + ".");
  }
  std::vector<std::size_t> others = names.output_files.Overlapping(print);
  std::erase(others, job.index);
  if (!others.empty()) {
    return Usage(where + " would overwrite the output of " + names.inputs[others.front()].string() +
                 ".");
  }
  return std::nullopt;
}

std::optional<RunError> CheckTracks(const FileJob& job, const RunContext& context) {
  const FileReport& file = job.report;
  std::int64_t tracks = 0;
  for (const JobTrack& track : job.tracks) tracks += track.points > 0 ? 1 : 0;
  // Routes, line features and survey text are made of tracks alone.
  if (tracks == 0 && WritesFromCoordinates(job)) {
    return RunError{ErrorKind::BadInput, file.input.string() + " holds no track to thin"};
  }
  if (file.write_format.survey && !file.read_format.survey && tracks > 1 && context.single) {
    return Usage(file.input.string() + " holds " + std::to_string(tracks) +
                     " tracks, and a survey text file holds one",
                 Remedy::OutputFolder);
  }
  const char* degrees = DegreesOnlyOutput(file.read_format, file.write_format);
  if (degrees == nullptr || !WritesFromCoordinates(job)) return std::nullopt;
  for (const JobTrack& track : job.tracks) {
    if (!track.geographic && track.plane_epsg == 0 && track.points > 0) {
      return Usage(file.input.string() + ", " + track.place + ": plane coordinates, and " +
                   degrees + " hold latitudes and longitudes");
    }
  }
  return std::nullopt;
}

}  // namespace oru
