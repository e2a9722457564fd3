#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plot/plot_files.h"
#include "track/run_settings.h"
#include "track/selection_record.h"

namespace oru {

// The preview of a run's selection for any value of its criterion, read
// from the run's record without selecting again: the slider's scale, the
// selection and figures a run with a value would give, and its kept
// points as the plot draws them.
class PreviewModel {
 public:
  // Slider positions 0 to kPositions.
  static constexpr int kPositions = 1000;

  // `line_count`: the input file's lines, the count a "Maximum deviation"
  // run may reach at most.
  PreviewModel(std::shared_ptr<const SelectionRecord> record, Criterion criterion,
               std::int64_t line_count);

  Criterion criterion() const { return criterion_; }
  const SelectionRecord& Record() const { return *record_; }

  // The value at a slider position, evenly on a logarithmic scale: points
  // (whole) from 3 to every point, or metres from the smallest deviation
  // above 0 on the curve to the largest.
  double ValueAt(int position) const;
  // The position nearest to a value, clamped to the slider.
  int PositionOf(double value) const;
  // The value as the value field shows it: whole points, or metres to the
  // millimetre.
  std::string ValueText(double value) const;

  // The selection and figures of a run with this value.
  SelectionResult ResultFor(double value) const;

 private:
  std::shared_ptr<const SelectionRecord> record_;
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
