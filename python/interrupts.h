#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include "track/selection_engine.h"

namespace oru::python {

// Ctrl-C during a long run. Python handles a signal only on its main thread,
// holding the GIL, and the module's work runs without the GIL; so the work
// lets Python look for pending signals every tenth of a second, and a
// handler that raises (KeyboardInterrupt) stops the work, whose caller then
// raises that exception.

// For a selection on the calling thread, without the GIL: asked by the
// engine whether to stop, it takes the GIL at most every 100 ms to let
// Python handle pending signals. Once a handler has raised, it asks the
// engine to stop (SelectPoints throws SelectionStopped) and the exception
// waits, set on this thread, for the caller to raise it
// (pybind11::error_already_set) once it holds the GIL again.
class SignalWatch final : public SelectionObserver {
 public:
  SignalWatch();
  bool ProgressDue() override { return false; }
  void OnProgress(const SelectionStatistics&) override {}
  bool StopRequested() override;

 private:
  std::chrono::steady_clock::time_point next_look_;
  bool raised_ = false;
};

// Runs `work` on a thread of its own while the calling thread, which holds
// the GIL on entry, waits without it and lets Python handle pending signals
// every 100 ms. A handler that raises sets `stop`, which the work reads to
// end early; its exception is raised here (pybind11::error_already_set)
// once the work has returned. An exception of `work` is thrown here, unless
// a signal's is raised.
void RunWatchingSignals(const std::function<void()>& work, std::atomic<bool>& stop);

}  // namespace oru::python
