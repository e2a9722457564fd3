#include "python/interrupts.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace oru::python {
namespace {

constexpr std::chrono::milliseconds kLookInterval{100};

// Lets Python run the handlers of pending signals; true when one raised (its
// exception is then set on this thread). Needs the GIL.
bool SignalRaised() { return PyErr_CheckSignals() != 0; }

}  // namespace

SignalWatch::SignalWatch() : next_look_(std::chrono::steady_clock::now() + kLookInterval) {}

bool SignalWatch::StopRequested() {
  if (raised_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_look_) return false;
  next_look_ = now + kLookInterval;
  py::gil_scoped_acquire gil;
  raised_ = SignalRaised();
  return raised_;
}

void RunWatchingSignals(const std::function<void()>& work, std::atomic<bool>& stop) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr failure;
  bool raised = false;
  {
    py::gil_scoped_release release;
    std::thread worker([&] {
      try {
        work();
      } catch (...) {
        failure = std::current_exception();
      }
      std::lock_guard lock(mutex);
      done = true;
      finished.notify_one();
    });
    std::unique_lock lock(mutex);
    while (!finished.wait_for(lock, kLookInterval, [&] { return done; })) {
      if (raised) continue;
      lock.unlock();
      {
        py::gil_scoped_acquire gil;
        raised = SignalRaised();
      }
      if (raised) stop.store(true);
      lock.lock();
    }
    lock.unlock();
    worker.join();
  }
  if (raised) throw py::error_already_set();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace oru::python
