#pragma once

#include <cstddef>

#include "run/processing_run.h"
#include "track/selection_engine.h"

namespace oru {

// "Save" of a previewed selection: the run's input file read again and the
// selection's points (`selection.selected`, 1-based) written to the run's
// output file in its output format, replaced whole only when everything
// succeeded, as a run writes it; the observer is shown the selection's
// figures. `input_digest` is the run's RunOutcome::input_digest. A stop
// (the input can no longer be read, or its text is no longer the one the
// run read, or the output cannot be written) is reported once through
// observer.ShowMessage and leaves the output file as it was.
RunOutcome SaveSelection(const RunRequest& request, const SelectionResult& selection,
                         std::size_t input_digest, RunObserver& observer);

}  // namespace oru
