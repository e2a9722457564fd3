#include "python/file_thinning.h"

#include <atomic>
#include <cstdint>
#include <string>

#include "python/figures.h"
#include "python/interrupts.h"
#include "python/python_errors.h"
#include "run/file_notes.h"
#include "run/pipeline.h"

namespace py = pybind11;

namespace oru::python {
namespace {

// The run's observer: shows nothing, and stops when a signal's handler
// raised.
class StopFlag final : public RunObserver {
 public:
  explicit StopFlag(const std::atomic<bool>& stop) : stop_(stop) {}
  void ShowMessage(const std::string&) override {}
  void ShowStatistics(const StatisticsTexts&) override {}
  bool StopRequested() override { return stop_.load(); }

 private:
  const std::atomic<bool>& stop_;
};

// The settings of thin_file's arguments: paths and names as bytes or text,
// the choices as the package's numbers, the selection value as text.
struct FileArguments {
  std::string input;
  std::string output;
  std::string output_dir;
  std::string input_format;
  std::string output_format;
  bool optimal = false;
  int calculation = 0;
  int datum = 0;
  bool by_deviation = false;
  std::string value;
  std::int64_t max_points = 0;
  std::string crs;
  bool p190_grid = false;
};

PipelineSettings SettingsOf(const FileArguments& a) {
  PipelineSettings settings;
  settings.inputs = {a.input};
  settings.output = a.output;
  settings.output_dir = a.output_dir;
  settings.input_format = a.input_format;
  settings.output_format = a.output_format;
  settings.method = a.optimal ? SelectionMethod::Optimal : SelectionMethod::DouglasPeucker;
  settings.calculation =
      a.calculation == 0 ? CalculationType::Ellipsoidic : CalculationType::Planar;
  settings.datum = a.datum == 0 ? DatumChoice::Wgs84 : DatumChoice::Ed50;
  settings.criterion = a.by_deviation ? Criterion::MaximumDeviation : Criterion::NumberOfPoints;
  settings.value = a.value;
  settings.max_points = a.max_points;
  settings.crs = a.crs;
  settings.p190_grid = a.p190_grid;
  settings.quality_figures = true;
  return settings;
}

// Each track's place, output, whether the limit on points decided, the NMEA
// lines passed over (-1 for other files) and its figures (FiguresTuple);
// and the notes of what was left aside. Errors are thrown as oru-cli says
// them, naming the input where the message does not.
py::tuple ThinFile(const FileArguments& arguments) {
  const PipelineSettings settings = SettingsOf(arguments);
  std::atomic<bool> stop{false};
  PipelineOutcome outcome;
  RunWatchingSignals(
      [&] {
        StopFlag observer(stop);
        outcome = RunPipeline(settings, observer);
      },
      stop);
  if (outcome.error) throw RunFailure(*outcome.error);
  const FileReport& file = outcome.files.front();
  if (file.error) {
    RunError error = *file.error;
    if (!file.read_format.survey && error.kind != ErrorKind::Usage) {
      error.message = file.input.string() + ": " + error.message;
    }
    throw RunFailure(std::move(error));
  }
  py::list tracks;
  for (const TrackReport& track : file.tracks) {
    const std::string output = (track.own_file.empty() ? file.output : track.own_file).string();
    tracks.append(py::make_tuple(FileSystemText(track.place), FileSystemText(output),
                                 track.capped, file.lines_skipped,
                                 FiguresTuple(track.statistics, track.quality, track.note)));
  }
  py::list notes;
  for (const std::string& note : FileNotes(file)) notes.append(FileSystemText(note));
  return py::make_tuple(tracks, notes);
}

}  // namespace

void AddFileThinning(py::module_& module) {
  module.def(
      "thin_file",
      [](std::string input, std::string output, std::string output_dir, std::string input_format,
         std::string output_format, bool optimal, int calculation, int datum, bool by_deviation,
         std::string value, std::int64_t max_points, std::string crs, bool p190_grid) {
        return ThinFile({std::move(input), std::move(output), std::move(output_dir),
                         std::move(input_format), std::move(output_format), optimal, calculation,
                         datum, by_deviation, std::move(value), max_points, std::move(crs),
                         p190_grid});
      });
}

}  // namespace oru::python
