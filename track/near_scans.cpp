#include "track/near_scans.h"

#include <algorithm>
#include <chrono>

namespace oru {
namespace {

constexpr int kOpen = 0;     // not scanned yet
constexpr int kScanned = 1;  // scanned, in the block
constexpr int kFailed = 2;   // the scan threw (out of memory, say): the caller scans it again

}  // namespace

NearScans::NearScans(ShortcutOracle& oracle, std::int64_t end, std::int64_t steps,
                     double tolerance, const std::vector<std::int64_t>* reaches,
                     std::int64_t long_steps)
    : oracle_(oracle),
      end_(end),
      steps_(steps),
      tolerance_(tolerance),
      reaches_(reaches),
      long_steps_(long_steps) {
  // Whether the oracle scans starts at once at all: one start tells.
  NearScan probe;
  supported_ = end_ >= 1 && oracle_.ScanNear(end_ - 1, 1, steps_, tolerance_, &probe);
  if (!supported_) return;
  for (Block& b : blocks_) {
    b.state = std::make_unique<std::atomic<int>[]>(static_cast<std::size_t>(kBlockStarts));
    b.scans.resize(static_cast<std::size_t>(kBlockStarts));
    b.earliest.resize(static_cast<std::size_t>(kBlockStarts));
  }
  Prepare(blocks_[0], std::max<std::int64_t>(0, end_ - kBlockStarts), end_);
  const std::int64_t next_high = blocks_[0].low;
  Prepare(blocks_[1], std::max<std::int64_t>(0, next_high - kBlockStarts), next_high);
  if (std::thread::hardware_concurrency() >= 2 && end_ >= kBlockStarts) {
    posted_ = &blocks_[1];
    helper_ = std::thread([this] { Serve(); });
  }
}

NearScans::~NearScans() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    quit_.store(true);
  }
  wake_.notify_all();
  helper_.join();
}

void NearScans::Prepare(Block& block, std::int64_t low, std::int64_t high) {
  block.low = low;
  block.high = high;
  for (std::int64_t k = 0; k < high - low; ++k) {
    block.state[static_cast<std::size_t>(k)].store(kOpen, std::memory_order_relaxed);
  }
  block.next_claim.store(high, std::memory_order_release);
}

std::int64_t NearScans::StepsOf(std::int64_t first, int count) const {
  if (reaches_ == nullptr) return steps_;
  for (std::int64_t i = first; i < first + count; ++i) {
    if ((*reaches_)[static_cast<std::size_t>(i)] - i > long_steps_) return steps_;
  }
  return long_steps_;
}

bool NearScans::ScanSome(Block& block) {
  constexpr int kClaim = ShortcutOracle::kNearStarts;
  const std::int64_t top = block.next_claim.fetch_sub(kClaim, std::memory_order_acq_rel);
  if (top <= block.low) return false;
  const std::int64_t first = std::max(block.low, top - kClaim);
  const auto count = static_cast<int>(top - first);
  std::atomic<int>* state = block.state.get() + (first - block.low);
  try {
    const auto at = static_cast<std::size_t>(first - block.low);
    oracle_.ScanNear(first, count, StepsOf(first, count), tolerance_, block.scans.data() + at);
    const bool earliest = earliest_wanted_.load(std::memory_order_relaxed);
    for (int l = 0; l < count; ++l) {
      const auto k = at + static_cast<std::size_t>(l);
      block.scans[k].walked = oracle_.WalkOn(first + l, tolerance_, block.scans[k]);
      block.earliest[k] = earliest ? oracle_.EarliestStart(first + l, tolerance_) : kUnknown;
    }
  } catch (...) {
    for (int l = 0; l < count; ++l) state[l].store(kFailed, std::memory_order_release);
    throw;
  }
  for (int l = 0; l < count; ++l) state[l].store(kScanned, std::memory_order_release);
  return true;
}

void NearScans::Serve() {
  for (;;) {
    Block* block = nullptr;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return quit_ || posted_ != nullptr; });
      if (quit_) return;
      block = posted_;
      posted_ = nullptr;
      working_ = block;
    }
    try {
      while (!quit_.load(std::memory_order_relaxed) && ScanSome(*block)) {
      }
    } catch (...) {
      // The starts it failed on are marked; the caller scans them again.
    }
    {
      std::lock_guard lock(mutex_);
      working_ = nullptr;
    }
    wake_.notify_all();
  }
}

const NearScan* NearScans::Of(std::int64_t i) {
  if (!supported_) return nullptr;
  if (i < blocks_[current_].low) {
    // On to the next block, which the helper has been scanning; the one
    // left behind is made ready for the block after it.
    Block& done = blocks_[current_];
    current_ = 1 - current_;
    const std::int64_t next_high = blocks_[current_].low;
    if (next_high > 0) {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return working_ != &done; });
      Prepare(done, std::max<std::int64_t>(0, next_high - kBlockStarts), next_high);
      if (helper_.joinable()) posted_ = &done;
      lock.unlock();
      wake_.notify_all();
    }
  }
  Block& block = blocks_[current_];
  const auto k = static_cast<std::size_t>(i - block.low);
  // Unclaimed starts are scanned here; one the helper has in hand is waited
  // for a few microseconds, then scanned here too: on a busy machine the
  // helper may be off its core for a long while.
  auto waited_since = std::chrono::steady_clock::time_point{};
  while (block.state[k].load(std::memory_order_acquire) == kOpen) {
    if (ScanSome(block)) continue;
    const auto now = std::chrono::steady_clock::now();
    if (waited_since == std::chrono::steady_clock::time_point{}) waited_since = now;
    if (now - waited_since > kPatience) break;
  }
  if (block.state[k].load(std::memory_order_acquire) == kScanned) return &block.scans[k];
  // Failed, or still in the helper's hands: scanned again here, alone.
  oracle_.ScanNear(i, 1, StepsOf(i, 1), tolerance_, &own_);
  own_.walked = false;
  return &own_;
}

std::int64_t NearScans::EarliestStart(std::int64_t j) const {
  if (supported_) {
    const Block& block = blocks_[current_];
    if (j >= block.low && j < block.high) {
      const auto k = static_cast<std::size_t>(j - block.low);
      if (block.state[k].load(std::memory_order_acquire) == kScanned &&
          block.earliest[k] != kUnknown) {
        return block.earliest[k];
      }
    }
  }
  return oracle_.EarliestStart(j, tolerance_);
}

}  // namespace oru
