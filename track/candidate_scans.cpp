#include "track/candidate_scans.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace oru {
namespace {

constexpr int kOpen = 0;      // not scanned yet
constexpr int kKept = 1;      // scanned, its list held in the block
constexpr int kLeftOver = 2;  // scanned, but its list did not fit

}  // namespace

CandidateScans::CandidateScans(const ShortcutOracle& oracle, std::int64_t n, double tolerance)
    : oracle_(oracle), n_(n), tolerance_(tolerance) {
  for (Block& b : blocks_) {
    b.state = std::make_unique<std::atomic<int>[]>(static_cast<std::size_t>(kBlockStarts));
    b.ends.resize(static_cast<std::size_t>(kBlockStarts));
  }
  Prepare(blocks_[0], std::max<std::int64_t>(0, n_ - 1 - kBlockStarts), n_ - 1);
  const std::int64_t next_high = blocks_[0].low;
  Prepare(blocks_[1], std::max<std::int64_t>(0, next_high - kBlockStarts), next_high);
  if (std::thread::hardware_concurrency() >= 2 && n_ > kBlockStarts) {
    posted_ = &blocks_[1];
    helper_ = std::thread([this] { Serve(); });
  }
}

CandidateScans::~CandidateScans() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    quit_.store(true);
  }
  wake_.notify_all();
  helper_.join();
}

void CandidateScans::Prepare(Block& block, std::int64_t low, std::int64_t high) {
  block.low = low;
  block.high = high;
  for (std::int64_t k = 0; k < high - low; ++k) {
    block.state[static_cast<std::size_t>(k)].store(kOpen, std::memory_order_relaxed);
  }
  block.ends_held.store(0, std::memory_order_relaxed);
  block.next_claim.store(high, std::memory_order_release);
}

bool CandidateScans::ScanSome(Block& block, Scratch& scratch) {
  constexpr int kClaim = ShortcutOracle::kBlockStarts;
  const std::int64_t top = block.next_claim.fetch_sub(kClaim, std::memory_order_acq_rel);
  if (top <= block.low) return false;
  const std::int64_t first = std::max(block.low, top - kClaim);
  const auto count = static_cast<int>(top - first);
  try {
    oracle_.CandidatesOfBlock(first, count, tolerance_, scratch);
  } catch (...) {  // out of memory, say: the caller scans them again and sees
    for (int l = 0; l < count; ++l) {
      block.state[static_cast<std::size_t>(first + l - block.low)].store(kLeftOver);
    }
    throw;
  }
  for (int l = 0; l < count; ++l) {
    const auto k = static_cast<std::size_t>(first + l - block.low);
    const auto size = static_cast<std::int64_t>(scratch[l].size());
    if (block.ends_held.fetch_add(size, std::memory_order_relaxed) + size <= kBlockEnds) {
      std::swap(block.ends[k], scratch[l]);  // the block keeps the list, the scanner a spare
      block.state[k].store(kKept, std::memory_order_release);
    } else {
      block.state[k].store(kLeftOver, std::memory_order_release);
    }
  }
  return true;
}

void CandidateScans::Serve() {
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
      while (!quit_.load(std::memory_order_relaxed) && ScanSome(*block, helper_scratch_)) {
      }
    } catch (...) {
      // The start it failed on is left over; the caller meets the failure.
    }
    {
      std::lock_guard lock(mutex_);
      working_ = nullptr;
    }
    wake_.notify_all();
  }
}

const std::vector<std::int64_t>& CandidateScans::Ends(std::int64_t i) {
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
    if (ScanSome(block, own_)) continue;
    const auto now = std::chrono::steady_clock::now();
    if (waited_since == std::chrono::steady_clock::time_point{}) waited_since = now;
    if (now - waited_since > kPatience) break;
  }
  if (block.state[k].load(std::memory_order_acquire) == kKept) return block.ends[k];
  oracle_.Candidates(i, tolerance_, left_over_);
  return left_over_;
}

}  // namespace oru
