#include "trackio/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

namespace oru {
namespace {

// A run stages a handful of files and folders at once a thread (output,
// picture, two plot files; a staging folder per output folder); 64 slots
// leave room for many threads.
constexpr int kSlots = 64;

// Slot states: free, being filled by Register, holding the path of a file
// or of a folder that is emptied.
enum : int { kFree = 0, kFilling = 1, kFile = 2, kFolder = 3 };

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

std::atomic<int> g_state[kSlots];
char g_path[kSlots][PATH_MAX];

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// SignalsHeld objects alive in any thread, and the signal that came while
// one was (0: none). A process-wide signal goes to any thread that does not
// block it, so a mask of the holding thread's own would not stop another
// thread's handler from ending the process between a temporary's creation
// and its registration: the handler defers instead, and the last holder to
// finish raises the signal again.
std::atomic<int> g_holders{0};
std::atomic<int> g_deferred{0};

extern "C" void RemoveAndReraise(int signal_number) {
  // Deferred first, holders read second: a holder that finishes in between
  // sees the deferred signal (SignalsHeld::~SignalsHeld's order is the
  // reverse), so no signal is lost.
  g_deferred.store(signal_number);
  if (g_holders.load() > 0) return;
  RemoveTemporaryFiles();
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal_number, &default_action, nullptr);
  // The signal is blocked while its handler runs: raised here it stays
  // pending and ends the process as soon as the handler returns.
  raise(signal_number);
}

// Set by the first SIGINT after InstallStopOnInterrupt.
std::atomic<bool> interrupt_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void RequestStopOrEnd(int signal_number) {
  if (interrupt_requested.exchange(true)) RemoveAndReraise(signal_number);
}

bool Register(const char* path, int kind) noexcept {
  const std::size_t length = std::strlen(path);
  if (length >= PATH_MAX) return false;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_state[i].compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_path[i], path, length + 1);
    g_state[i].store(kind);
    return true;
  }
  return false;
}

// Removes every file of the folder `path` (not the folders in it) with
// open, getdents64, unlinkat and close only, which take no lock and
// allocate nothing. Each pass reads the folder from its start, since
// removing names while reading may hide others from the same pass.
void EmptyFolder(const char* path) noexcept {
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  alignas(struct dirent64) char buffer[4096];
  for (int pass = 0; pass < 8; ++pass) {
    bool removed = false;
    ::lseek(fd, 0, SEEK_SET);
    for (;;) {
      const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
      if (got <= 0) break;
      for (ssize_t at = 0; at < got;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
        at += entry->d_reclen;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        removed = ::unlinkat(fd, name, 0) == 0 || removed;
      }
    }
    if (!removed) break;
  }
  ::close(fd);
}

}  // namespace

bool RegisterTemporaryFile(const char* path) noexcept { return Register(path, kFile); }

bool RegisterTemporaryFolder(const char* path) noexcept { return Register(path, kFolder); }

void UnregisterTemporaryFile(const char* path) noexcept {
  for (int i = 0; i < kSlots; ++i) {
    const int state = g_state[i].load();
    if ((state == kFile || state == kFolder) && std::strcmp(g_path[i], path) == 0) {
      g_state[i].store(kFree);
      return;
    }
  }
}

void RemoveTemporaryFiles() noexcept {
  // Files first, then the folders emptied, then the folders themselves
  // (rmdir fails harmlessly on a file, unlink on a folder).
  for (int i = 0; i < kSlots; ++i) {
    if (g_state[i].load() == kFile) ::unlink(g_path[i]);
  }
  for (int i = 0; i < kSlots; ++i) {
    if (g_state[i].load() == kFolder) EmptyFolder(g_path[i]);
  }
  for (int i = 0; i < kSlots; ++i) {
    const int state = g_state[i].load();
    if (state == kFile || state == kFolder) ::rmdir(g_path[i]);
  }
}

void InstallTemporaryFileCleanup() {
  for (const int signal_number : kCleanedSignals) {
    struct sigaction current {};
    if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveAndReraise;
    sigemptyset(&action.sa_mask);
    for (const int other : kCleanedSignals) sigaddset(&action.sa_mask, other);
    sigaction(signal_number, &action, nullptr);
  }
}

void InstallStopOnInterrupt() {
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = RequestStopOrEnd;
  sigemptyset(&action.sa_mask);
  for (const int other : kCleanedSignals) sigaddset(&action.sa_mask, other);
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() noexcept { return interrupt_requested.load(); }

// The holding thread also blocks the signals, so that no handler cuts into
// its system calls (EINTR) while it holds them.
SignalsHeld::SignalsHeld() {
  g_holders.fetch_add(1);
  sigset_t held;
  sigemptyset(&held);
  for (const int signal_number : kCleanedSignals) sigaddset(&held, signal_number);
  pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() {
  // Holders counted down before the mask is restored: a signal held back
  // from this thread then finds no holder left, unless another thread holds.
  const bool last = g_holders.fetch_sub(1) == 1;
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  if (!last) return;
  if (const int signal_number = g_deferred.exchange(0); signal_number != 0) {
    RemoveAndReraise(signal_number);
  }
}

}  // namespace oru
