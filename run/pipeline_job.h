#pragma once

// The parts of RunPipeline (run/pipeline.h) and what they share: the plan of
// the files, the readers, the writers. Not for the front ends.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gis/gis_track.h"
#include "gis/gpx_reader.h"
#include "run/file_footprint.h"
#include "run/pipeline.h"
#include "run/track_thinning.h"
#include "track/track_store.h"

namespace oru {

// What the run's names stand for: the files of every input and of every
// output planned, so that no output lands on an input or on another output
// (run/file_footprint.h). By file, in the order of the plan.
struct RunNames {
  std::vector<std::filesystem::path> inputs;
  FootprintIndex input_files;
  FootprintIndex output_files;  // of the files the plan did not refuse
};

// What every file of a run shares.
struct RunContext {
  const PipelineSettings& settings;
  const RunNames& names;
  RunObserver& observer;
  ThinChoices choices;
  // The selection value could not be converted: said after the single
  // input was read (as the survey run says it), or for the run as a whole.
  std::optional<RunError> value_error;
  bool single = false;  // one input and an output file, not a folder
  int crs_epsg = 0;     // of settings.crs, checked
  bool StopRequested() const { return observer.StopRequested(); }
};

// One track of an input file on its way through the run.
struct JobTrack {
  std::string place;  // TrackReport::place
  bool geographic = true;
  DatumChoice datum = DatumChoice::Wgs84;
  int plane_epsg = 0;  // a plane track's CRS, given by the run; 0 for none
  // The engine's coordinates: latitude and longitude in degrees (north and
  // east positive), or X and Y in metres. Moved into the engine when
  // neither the writer nor the caller needs them afterwards.
  std::vector<double> first;
  std::vector<double> second;
  std::vector<std::int64_t> times;  // per point UTC ms (navformats/nav_track.h), or empty
  std::int64_t points = 0;
  TrackThinning thinned;
  std::filesystem::path own_file;  // TrackReport::own_file
};

// One input file on its way through reading, thinning and writing.
struct FileJob {
  std::size_t index = 0;  // in the plan
  FileReport report;  // input, output and formats from the plan, the rest as it goes
  std::vector<JobTrack> tracks;
  std::vector<GisTrack> gis_tracks;  // GIS files: where each track is, for GDAL's writer
  // GPX to GPX: where the points lie, for writing without GDAL (gpx_writer.h).
  std::optional<GpxPointPlaces> gpx_places;
  // GeoJSON read without GDAL: its copy in GeoJSON is written likewise
  // (geojson_writer.h).
  bool geojson_streamed = false;
  std::optional<TrackStore> store;   // survey text files: the points as read
  std::atomic<std::size_t> unthinned{0};
  std::atomic<bool> stopped{false};        // a selection was asked to stop
  std::atomic<bool> out_of_memory{false};  // a selection ran out of memory
  // The first fault that ended a selection (an internal consistency check,
  // or an exception of the observer's): the file fails with its reason.
  std::mutex fault_mutex;
  std::string fault;
  bool progress = false;  // the run's single track: its figures are shown
  PendingOutputs pending;
  bool Failed() const { return report.error.has_value() || report.stopped; }
};

// The files of a run: every input (folders opened, the output folder and
// staging folders left out), its formats and its output, with the usage
// errors found before anything is read, clashes of names among them (an
// output that is an input or a file of one, two outputs of one file), and
// in `names` what the names stand for. The run's own usage error instead
// when the settings cannot run at all.
std::vector<FileReport> PlanFiles(const PipelineSettings& settings, RunNames& names,
                                  std::optional<RunError>& error);

// A usage error when `file`, a file of its own for a track of `job`
// (OUTPUT-K), would land on an input or on another file's output.
std::optional<RunError> CheckOwnFile(const FileJob& job, const std::filesystem::path& file,
                                     const RunContext& context);

// Usage errors that show only once the file is read: more tracks than the
// output can hold, plane tracks where routes need latitudes and longitudes.
std::optional<RunError> CheckTracks(const FileJob& job, const RunContext& context);

// Reads the input of `job` into its tracks (and store or GIS tracks); the
// error when it cannot.
std::optional<RunError> ReadInput(FileJob& job, const RunContext& context);

// Whether the writer of `job` writes from the tracks' coordinates (routes,
// line features, survey text from other formats) rather than from the
// input again (GDAL) or from the survey store.
bool WritesFromCoordinates(const FileJob& job);

// Makes every file of the output of `job` in full in job.pending; the
// error when it cannot (job.pending then holds what is to be discarded).
std::optional<RunError> WriteOutputs(FileJob& job, const RunContext& context);

}  // namespace oru
