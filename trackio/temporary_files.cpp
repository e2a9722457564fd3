#include "trackio/temporary_files.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

namespace oru {
namespace {

// A run stages at most a handful of files at once (output, picture, two
// plot files); 16 slots leave room for several threads.
constexpr int kSlots = 16;

// Slot states: free, being filled by RegisterTemporaryFile, holding a path.
enum : int { kFree = 0, kFilling = 1, kHeld = 2 };

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

std::atomic<int> g_state[kSlots];
char g_path[kSlots][PATH_MAX];

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveAndReraise(int signal_number) {
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

}  // namespace

bool RegisterTemporaryFile(const char* path) noexcept {
  const std::size_t length = std::strlen(path);
  if (length >= PATH_MAX) return false;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_state[i].compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_path[i], path, length + 1);
    g_state[i].store(kHeld);
    return true;
  }
  return false;
}

void UnregisterTemporaryFile(const char* path) noexcept {
  for (int i = 0; i < kSlots; ++i) {
    if (g_state[i].load() == kHeld && std::strcmp(g_path[i], path) == 0) {
      g_state[i].store(kFree);
      return;
    }
  }
}

void RemoveTemporaryFiles() noexcept {
  // Files first, then the folders they emptied (each call fails harmlessly
  // on the other kind).
  for (int i = 0; i < kSlots; ++i) {
    if (g_state[i].load() == kHeld) ::unlink(g_path[i]);
  }
  for (int i = 0; i < kSlots; ++i) {
    if (g_state[i].load() == kHeld) ::rmdir(g_path[i]);
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

SignalsHeld::SignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (const int signal_number : kCleanedSignals) sigaddset(&held, signal_number);
  pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace oru
