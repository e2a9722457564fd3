#include "run/pipeline.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gis/projected_crs.h"
#include "run/pipeline_job.h"
#include "run/selection_value.h"
#include "run/task_pool.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// Hands the engine's figures of the run's single track to the observer as
// texts, and its stop request to the engine.
class FiguresRelay final : public SelectionObserver {
 public:
  FiguresRelay(RunObserver& observer, bool figures) : observer_(observer), figures_(figures) {}
  bool ProgressDue() override { return figures_ && observer_.ProgressDue(); }
  bool StopRequested() override { return observer_.StopRequested(); }
  // The engine shows a selection's last figures without asking; a track of
  // many, thinned beside others on the task pool, must not show them.
  void OnProgress(const SelectionStatistics& figures) override {
    if (figures_) observer_.ShowStatistics(FormatStatistics(figures));
  }
  void OnMeasuringDeviations() override {
    if (figures_) observer_.ShowPhase(RunPhase::MeasuringDeviations);
  }

 private:
  RunObserver& observer_;
  bool figures_;
};

RunError OutOfMemory(const std::string& doing) {
  return RunError{ErrorKind::File, "Not enough memory to " + doing + "."};
}

// A fault that no step expects (an internal consistency check that failed,
// or an exception of the observer's) ends the file's run on the task pool,
// where nothing else would catch it, rather than the whole process: the
// file fails with the reason, nothing is written for it, and the other
// files of a batch go on.
RunError Fault(const std::string& doing, const std::string& reason) {
  return RunError{ErrorKind::BadInput, "Could not " + doing + ": an unexpected fault (" + reason +
                                           "). Nothing was written for it."};
}

// The thinning choices of the settings; the value's conversion error.
ThinChoices ChoicesOf(const PipelineSettings& settings, std::optional<RunError>& error) {
  ThinChoices choices;
  choices.method = settings.method;
  choices.calculation = settings.calculation;
  choices.criterion = settings.criterion;
  choices.quality_figures = settings.quality_figures;
  choices.max_points = settings.max_points;
  choices.record = settings.record;
  choices.keep_selection = settings.keep_selection;
  if (settings.criterion == Criterion::MaximumDeviation) {
    const auto threshold = ParseMaximumDeviation(settings.value);
    if (!threshold) error = RunError{ErrorKind::Usage, NotAFloatMessage(settings.value)};
    choices.threshold = threshold.value_or(0.0);
  } else {
    const auto wanted = ParseNumberOfPoints(settings.value);
    if (!wanted) error = RunError{ErrorKind::Usage, NotAnIntegerMessage(settings.value)};
    choices.wanted_count = wanted.value_or(0);
  }
  return choices;
}

// Usage errors of the settings as a whole, before any file is looked at.
std::optional<RunError> CheckSettings(const PipelineSettings& settings, int& crs_epsg) {
  if (settings.max_points != 0 && !(settings.max_points >= 3)) {
    return RunError{ErrorKind::Usage, "a limit of " + std::to_string(settings.max_points) +
                                          " points a track is below 3, the fewest a route keeps"};
  }
  if (settings.rows.gap && settings.rows.order_by.empty()) {
    return RunError{ErrorKind::Usage,
                    "a gap in time between tracks needs the column of times to order the rows by"};
  }
  if (!settings.crs.empty()) {
    std::string error;
    const auto crs = ProjectedCrs::FromText(settings.crs, error);
    if (!crs) return RunError{ErrorKind::Usage, error};
    crs_epsg = crs->Epsg();
  }
  return std::nullopt;
}

// Whether the settings ask for what only a single survey track file
// written as survey text gives.
std::optional<RunError> CheckSurveyOnly(const PipelineSettings& settings,
                                        const std::vector<FileReport>& files) {
  if (!settings.keep_texts && !settings.record && !settings.keep_selection) return std::nullopt;
  if (files.size() == 1 && files[0].read_format.survey && files[0].write_format.survey &&
      settings.output_dir.empty()) {
    return std::nullopt;
  }
  return RunError{ErrorKind::Usage,
                  "plots and curves are drawn of one survey track file written as survey text"};
}

void Write(FileJob& job, const RunContext& context);

void Thin(FileJob& job, std::size_t t, const RunContext& context) {
  JobTrack& track = job.tracks[t];
  // The engine takes the coordinates unless someone reads them afterwards.
  const bool keep = context.settings.keep_tracks || WritesFromCoordinates(job);
  FiguresRelay relay(context.observer, job.progress);
  try {
    track.thinned = ThinTrack(keep ? track.first : std::move(track.first),
                              keep ? track.second : std::move(track.second), track.geographic,
                              track.datum, context.choices, &relay);
    if (job.progress) context.observer.ShowStatistics(FormatStatistics(track.thinned.statistics));
  } catch (const SelectionStopped&) {
    job.stopped = true;
  } catch (const std::bad_alloc&) {
    job.out_of_memory = true;
  } catch (const std::exception& fault) {
    const std::lock_guard lock(job.fault_mutex);
    if (job.fault.empty()) job.fault = fault.what();
  }
  if (!keep) {
    track.first = {};
    track.second = {};
  }
  if (job.unthinned.fetch_sub(1) == 1) Write(job, context);
}

// Whether the report hands back the tracks' kept points.
bool KeepsTracks(const PipelineSettings& settings) {
  return settings.keep_tracks || settings.keep_selection;
}

// What the report does not need goes once a file is written or has failed,
// so that a batch holds the points of few files at once.
void Release(FileJob& job, bool keep_tracks) {
  job.store.reset();
  job.gis_tracks = {};
  if (keep_tracks && !job.Failed()) return;
  for (JobTrack& track : job.tracks) {
    track.first = {};
    track.second = {};
    track.times = {};
    track.thinned.selected = {};
  }
}

// "thin the track(s) of <input>", as errors of the selection say it.
std::string ThinWhat(const FileJob& job) {
  return (job.tracks.size() == 1 ? "thin the track of " : "thin the tracks of ") +
         job.report.input.string();
}

void WriteAndCommit(FileJob& job, const RunContext& context) {
  FileReport& file = job.report;
  if (job.out_of_memory) {
    file.error = OutOfMemory(ThinWhat(job));
    return;
  }
  if (!job.fault.empty()) {
    file.error = Fault(ThinWhat(job), job.fault);
    return;
  }
  if (job.stopped || context.StopRequested()) {
    file.stopped = true;
    return;
  }
  try {
    file.error = WriteOutputs(job, context);
  } catch (const std::bad_alloc&) {
    file.error = OutOfMemory("write " + file.output.string());
  } catch (const std::exception& fault) {
    file.error = Fault("write " + file.output.string(), fault.what());
  }
  if (file.error) {
    job.pending = PendingOutputs();
    return;
  }
  if (context.settings.defer_commit && context.single) return;
  if (context.StopRequested()) {
    job.pending = PendingOutputs();
    file.stopped = true;
    return;
  }
  file.error = job.pending.Commit();
  job.pending = PendingOutputs();
}

void Write(FileJob& job, const RunContext& context) {
  if (context.single) context.observer.ShowPhase(RunPhase::Writing);
  WriteAndCommit(job, context);
  Release(job, KeepsTracks(context.settings));
}

// Reads the file, then hands its tracks to the pool before any other file
// is read; the last track thinned writes the file.
void Read(FileJob& job, const RunContext& context, TaskPool& pool) {
  FileReport& file = job.report;
  // A file begun is loaded to its end (it may be a pipe that a writer waits
  // on), though a stop may cut its parsing short; of many files, those not
  // begun are left alone.
  if (!context.single && context.StopRequested()) {
    file.stopped = true;
    return;
  }
  if (context.single) context.observer.ShowPhase(RunPhase::Reading);
  try {
    file.error = ReadInput(job, context);
  } catch (const std::bad_alloc&) {
    file.error = OutOfMemory("read " + file.input.string());
  } catch (const std::exception& fault) {
    file.error = Fault("read " + file.input.string(), fault.what());
  }
  if (!file.error && context.StopRequested()) file.stopped = true;
  if (job.Failed()) {
    Release(job, false);
    return;
  }
  file.error = CheckTracks(job, context);
  if (!file.error) file.error = context.value_error;
  if (file.error) {
    Release(job, false);
    return;
  }
  std::vector<std::size_t> to_thin;
  for (std::size_t t = 0; t < job.tracks.size(); ++t) {
    if (job.tracks[t].points > 0) to_thin.push_back(t);
  }
  job.progress = context.single && to_thin.size() == 1;
  if (context.single && !to_thin.empty()) context.observer.ShowPhase(RunPhase::Selecting);
  if (to_thin.empty()) {
    Write(job, context);
    return;
  }
  job.unthinned = to_thin.size();
  for (const std::size_t t : to_thin) {
    pool.SubmitUrgent([&job, t, &context] { Thin(job, t, context); });
  }
}

// The report of a file that went through the run, with its tracks.
FileReport Report(FileJob& job, bool keep_tracks, bool keep_selection) {
  FileReport file = std::move(job.report);
  if (file.error || file.stopped) return file;
  file.features_written = !WritesFromCoordinates(job);
  for (JobTrack& track : job.tracks) {
    if (track.points == 0) continue;
    TrackReport& report = file.tracks.emplace_back();
    report.place = std::move(track.place);
    report.own_file = std::move(track.own_file);
    report.statistics = track.thinned.statistics;
    report.quality = track.thinned.quality;
    report.capped = track.thinned.capped;
    report.note = std::move(track.thinned.note);
    report.record = std::move(track.thinned.record);
    report.selection = std::move(track.thinned.selection);
    report.input = std::move(track.thinned.input);
    report.geographic = track.geographic;
    report.datum = track.datum;
    if (keep_tracks) {
      report.first = std::move(track.first);
      report.second = std::move(track.second);
    }
    if (keep_tracks || keep_selection) report.kept = std::move(track.thinned.selected);
  }
  return file;
}

}  // namespace

PipelineOutcome RunPipeline(const PipelineSettings& settings, RunObserver& observer) {
  PipelineOutcome outcome;
  int crs_epsg = 0;
  if ((outcome.error = CheckSettings(settings, crs_epsg))) return outcome;
  RunNames names;
  std::vector<FileReport> planned = PlanFiles(settings, names, outcome.error);
  if (outcome.error) return outcome;
  if ((outcome.error = CheckSurveyOnly(settings, planned))) return outcome;

  std::optional<RunError> value_error;
  const ThinChoices choices = ChoicesOf(settings, value_error);
  const bool single = settings.output_dir.empty();
  // A single file says a value it cannot use once it is read, as the
  // survey run does; many files say it at once.
  if (value_error && !single) {
    outcome.error = std::move(value_error);
    return outcome;
  }
  const RunContext context{settings, names, observer, choices, std::move(value_error), single,
                           crs_epsg};

  std::vector<std::unique_ptr<FileJob>> jobs;
  for (FileReport& file : planned) {
    jobs.push_back(std::make_unique<FileJob>());
    jobs.back()->index = jobs.size() - 1;
    jobs.back()->report = std::move(file);
  }
  {
    const unsigned workers =
        settings.jobs != 0 ? settings.jobs : std::max(1u, std::thread::hardware_concurrency());
    TaskPool pool(workers);
    std::error_code ec;
    for (auto& job : jobs) {
      if (job->Failed()) continue;
      if (!settings.output_dir.empty()) {
        fs::create_directories(job->report.output.parent_path(), ec);
      }
      pool.Submit([&job = *job, &context, &pool] { Read(job, context, pool); });
    }
    pool.Wait();
  }
  for (auto& job : jobs) {
    outcome.stopped = outcome.stopped || job->report.stopped;
    if (settings.defer_commit && context.single) outcome.pending = std::move(job->pending);
    outcome.files.push_back(Report(*job, settings.keep_tracks, settings.keep_selection));
  }
  return outcome;
}

SelectionStatistics TotalStatistics(const PipelineOutcome& outcome) {
  SelectionStatistics total;
  for (const FileReport& file : outcome.files) {
    for (const TrackReport& track : file.tracks) {
      const SelectionStatistics& s = track.statistics;
      total.largest_deviation = std::max(total.largest_deviation, s.largest_deviation);
      total.n += s.n;
      total.count += s.count;
      total.full_length += s.full_length;
      total.new_length += s.new_length;
    }
  }
  return total;
}

}  // namespace oru
