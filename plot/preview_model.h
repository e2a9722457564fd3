#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plot/plot_files.h"
#include "track/deviation_quality.h"
#include "track/resumable_selection.h"
#include "track/run_settings.h"
#include "track/selection_record.h"

namespace oru {

// The preview of a run's selection for any value of its criterion: the
// slider's scale, the selection and figures a run with a value would give,
// and their quality figures. A Douglas-Peucker run's kept selection reads
// the values that stop before it at once from its record and is taken
// further for the others, which costs only the iterations beyond; with the
// optimal method each value is selected again from the run's input, which
// takes as long as a run (the window does both off its thread).
//
// Copies share the kept selection: ResultFor, Quality and RecordFurther,
// which may select or measure with it, are for one thread at a time, and
// never beside the constructor, Curve, CurveEnd or Known, which read it.
class PreviewModel {
 public:
  // Slider positions 0 to kPositions.
  static constexpr int kPositions = 1000;

  // `line_count`: the input file's lines, the count a "Maximum deviation"
  // run may reach at most.
  PreviewModel(std::shared_ptr<ResumableSelection> selection, Criterion criterion,
               std::int64_t line_count);
  // The optimal method's preview: metres from 1 mm to 10 km; `run` is the
  // run's own selection, known for `run_value`.
  PreviewModel(std::shared_ptr<const SelectionInput> input, Criterion criterion,
               std::int64_t line_count, std::shared_ptr<const SelectionResult> run = nullptr,
               double run_value = 0.0);

  Criterion criterion() const { return criterion_; }
  // The curve of deviation against points as far as the selection has
  // gone; empty with the optimal method.
  std::vector<CurvePoint> Curve() const;
  // How far the curve reaches: the points of the selection's last
  // iteration so far (0 with the optimal method).
  std::int64_t CurveEnd() const;
  // Takes the Douglas-Peucker selection further, up to `count` points or
  // every point, so that the curve and the values before that are known;
  // `observer` as ResultFor's. False when there is nothing further to take.
  bool RecordFurther(std::int64_t count, SelectionObserver* observer) const;

  // The value at a slider position, evenly on a logarithmic scale: points
  // (whole) from 3 to every point, or metres from the smallest tolerance
  // that changes the record's selection to the largest.
  double ValueAt(int position) const;
  // The position nearest to a value, clamped to the slider.
  int PositionOf(double value) const;
  // The value as the value field shows it: whole points, or metres to the
  // millimetre.
  std::string ValueText(double value) const;

  // The selection and figures of a run with this value when they are
  // known without selecting (read from the record), else nothing.
  std::optional<SelectionResult> Known(double value) const;
  // The selection and figures of a run with this value; `observer` (may be
  // null) may stop a selection made further or again (SelectionStopped).
  SelectionResult ResultFor(double value, SelectionObserver* observer = nullptr) const;
  // The quality figures of a selection of this model (as ResultFor gives
  // it), measured as the run measures them; `observer` as ResultFor's.
  DeviationQuality Quality(const SelectionResult& result, SelectionObserver* observer) const;

  // The run whose selection this previews, to tell two models apart.
  const void* Source() const;

 private:
  double Threshold(double value) const;
  std::int64_t Wanted(double value) const;

  std::shared_ptr<ResumableSelection> selection_;
  std::shared_ptr<const SelectionInput> input_;
  std::shared_ptr<const SelectionResult> run_;  // of the optimal run, for run_value_
  double run_value_ = 0.0;
  Criterion criterion_;
  std::int64_t line_count_;
  double low_ = 1.0;   // slider's first value
  double high_ = 1.0;  // slider's last value
};

// The kept points of `result` as a selection file draws them: the lines of
// the all-points file at the kept point numbers, in the selection's colour,
// into `kept` (made when null, else filled again, which spares a preview of
// a million points a fresh allocation at every step). False, with `kept`
// reset, when the file's lines are not the record's points one to one
// (lines the hand-off could not convert).
bool KeptLine(const PlotFileData& all, const SelectionResult& result, std::int64_t n,
              std::shared_ptr<PlotFileData>& kept);

}  // namespace oru
