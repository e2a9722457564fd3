#pragma once

#include <csignal>

namespace oru {

// Temporary files (and folders) that must not outlive a process ended by a
// signal. The table has a fixed number of slots of fixed size and is kept
// with lock-free atomics only, so that any thread may register and
// unregister paths and a signal handler may walk it at any moment: nothing
// there allocates, locks or calls anything but unlink and rmdir.

// Records `path` (absolute or relative to the working directory, which must
// then not change). False when the table is full or the path is longer than
// a slot; the file is then simply not removed on a signal.
bool RegisterTemporaryFile(const char* path) noexcept;
// Records a folder that is removed with every file in it (a staging folder
// in which GDAL's drivers make files of their own choosing); folders within
// it are not entered. Otherwise as RegisterTemporaryFile.
bool RegisterTemporaryFolder(const char* path) noexcept;
// Forgets `path`, a file or folder (no effect when it was not registered).
void UnregisterTemporaryFile(const char* path) noexcept;
// Removes every registered file, then the files in every folder registered
// with RegisterTemporaryFolder, then every registered folder that is then
// empty. Async-signal-safe: for signal handlers, also for a later handler
// that only asks a run to stop.
void RemoveTemporaryFiles() noexcept;

// Installs the handler for SIGINT, SIGTERM and SIGHUP that removes the
// registered files, restores the signal's default action and raises it
// again, so the process ends as the signal means (exit status 128 + signal
// for a shell). A signal that is ignored (SIGHUP under nohup) stays ignored.
void InstallTemporaryFileCleanup();

// Makes SIGINT ask for a stop instead of ending the process at once: the
// first SIGINT only sets the flag that InterruptRequested() reads, so that a
// run can end in order and remove its own temporaries; a second one removes
// the registered files and ends the process as InstallTemporaryFileCleanup's
// handler does. Call after InstallTemporaryFileCleanup; an ignored SIGINT
// stays ignored.
void InstallStopOnInterrupt();
// Whether SIGINT arrived since InstallStopOnInterrupt. Any thread.
bool InterruptRequested() noexcept;

// Holds SIGINT, SIGTERM and SIGHUP back while it lives, whichever thread
// they reach: for steps that must not be cut short (creating and
// registering a temporary file, rewriting a file in place). Held signals
// take effect when the last one alive in the process ends.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace oru
