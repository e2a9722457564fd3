#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/gis_track.h"
#include "run/file_formats.h"
#include "run/pending_outputs.h"
#include "run/processing_run.h"
#include "run/run_error.h"
#include "track/deviation_quality.h"
#include "track/run_settings.h"
#include "track/selection_engine.h"
#include "track/selection_record.h"
#include "track/statistics.h"

namespace oru {

// What a run does, whichever front end asks for it: the files, their
// formats and the thinning. oru-cli's options, the windows' controls and the
// Python module's keywords are turned into these fields and nothing else.
struct PipelineSettings {
  // An output file for a single input, or an output folder that gets one
  // output per input (per track for formats of one track a file).
  std::vector<std::filesystem::path> inputs;  // files; folders too with `recursive`
  std::filesystem::path output;
  std::filesystem::path output_dir;
  bool recursive = false;  // folders give their files whose extension names a format
  // Formats by name (run/file_formats.h). Empty: the format the file's
  // extension names, else the survey text defaults (oru/kvl input; the
  // output as the main window chooses it after the input, oru/kvl for
  // geographic tracks of other formats, X, Y for plane ones).
  std::string input_format;
  std::string output_format;

  SelectionMethod method = SelectionMethod::DouglasPeucker;
  CalculationType calculation = CalculationType::Ellipsoidic;  // plane tracks are planar
  // The datum of survey text files, read or written: geographic tracks of
  // other files are shifted onto it when written as survey text.
  DatumChoice datum = DatumChoice::Wgs84;
  Criterion criterion = Criterion::NumberOfPoints;
  std::string value = "10";  // metres or a number of points, as typed
  std::int64_t max_points = 0;  // at most this many points a track (3 or more); 0: no limit
  bool p190_grid = false;       // P1/90 files: grid eastings and northings, not degrees
  // "EPSG:N": the projected CRS of the X, Y tracks of survey text and P1/90
  // grid coordinates, written with GIS outputs and transformed to WGS84 for
  // routes. Empty: such tracks have no CRS (and cannot be routes).
  std::string crs;
  unsigned jobs = 0;  // threads thinning at once; 0: one per core

  // What comes back beside the figures.
  bool quality_figures = false;  // mean, rms and 95th percentile of all deviations
  bool keep_tracks = false;      // every track's coordinates and kept points (the plot)
  // A single survey track file written as survey text only: the record of
  // the selection (ThinChoices::record), the texts of the input and the
  // output (the plot's hand-off files).
  bool record = false;
  std::int64_t ellipsoidic_record_limit = 0;
  bool keep_texts = false;
  // With an output file: the output is made in full and handed back in
  // PipelineOutcome::pending instead of being put in place, so that the
  // caller can put it in place together with files of its own.
  bool defer_commit = false;
};

// One track thinned and written.
struct TrackReport {
  // Where it is in its file, for messages and statistics: "layer 'a',
  // feature 2, part 1 'Morning walk'", "line 'L1', vessel reference point,
  // vessel 1", or "track K" (survey text files and single NMEA sources).
  std::string place;
  // The file of its own it was written to (RTZ routes and survey text of
  // several tracks: OUTPUT-1.rtz, ...); empty when it shares its file.
  std::filesystem::path own_file;
  SelectionStatistics statistics;
  std::optional<DeviationQuality> quality;
  bool capped = false;  // the limit on points decided (ThinChoices::max_points)
  std::string note;     // the optimal method's (TrackThinning::note)
  // keep_tracks: the track (the engine's coordinates) and its kept points.
  bool geographic = true;
  DatumChoice datum = DatumChoice::Wgs84;
  std::vector<double> first;
  std::vector<double> second;
  std::vector<std::int64_t> kept;
  // record: the record of the selection, or its input.
  std::shared_ptr<const SelectionRecord> record;
  std::shared_ptr<const SelectionInput> input;
};

// One input file and what became of it.
struct FileReport {
  std::filesystem::path input;
  std::filesystem::path output;
  ReadFormat read_format;
  WriteFormat write_format;
  // Why nothing of this file was written; empty when its output was.
  std::optional<RunError> error;
  bool stopped = false;  // a stop was asked for before it was written: nothing was
  std::vector<TrackReport> tracks;  // in file order; lines without vertices are not tracks
  // Features that are no tracks (points, polygons, others): written as they
  // are into GIS outputs; left out of survey text and routes
  // (`features_written` false).
  GisSkipped features;
  bool features_written = true;
  std::vector<std::string> layers_left_out;  // "layer 'x': why", of GIS outputs
  // What the user should know of how the file was read ("layer 'x' has no
  // CRS, ..."), written or not.
  std::vector<std::string> warnings;
  // NMEA logs: lines that were no valid sentence, and the first few of their
  // numbers (-1: not an NMEA log).
  std::int64_t lines_skipped = -1;
  std::vector<std::int64_t> skipped_lines;
  std::int64_t line_count = 0;  // survey text files: lines counted
  std::string input_text;       // keep_texts: the input file and the output as written
  std::string output_text;
};

struct PipelineOutcome {
  // The settings cannot run at all: nothing was read or written.
  std::optional<RunError> error;
  std::vector<FileReport> files;  // in the order of the inputs
  // A stop was asked for: files not yet written were not written at all.
  bool stopped = false;
  // defer_commit: the output, made in full, waiting to be put in place.
  PendingOutputs pending;
};

// Runs every input through its reader, the thinning and its writer: survey
// text, GIS files through GDAL, NMEA and P1/90 in; survey text, GIS files,
// RTZ and GPX routes out. Each track is thinned on its own, on a pool of
// `jobs` threads (a file's tracks before the next file is read), so results
// equal those of one-at-a-time runs. A file is written whole or not at all,
// and a failing file does not stop the others. Nothing is printed.
//
// The observer is asked whether to stop throughout, possibly from several
// threads at once; a run of a single file of a single track also shows its
// figures there as they come (only the end points kept first, then as the
// selection proceeds, then the final ones), from one thread at a time. Its
// ShowMessage is never called: errors are in the outcome.
PipelineOutcome RunPipeline(const PipelineSettings& settings, RunObserver& observer);

// The sums of every track's figures, with the largest deviation of all.
SelectionStatistics TotalStatistics(const PipelineOutcome& outcome);

}  // namespace oru
