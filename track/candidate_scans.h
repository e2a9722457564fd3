#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "track/shortcut_oracle.h"

namespace oru {

// The candidate ends of every start of a label pass, which asks for them
// from the last start down to the first: a second thread (where the machine
// has one) scans the starts ahead, block by block, while the caller works on
// the current block, and the caller scans what is not ready yet itself.
//
// Blocks hold at most kBlockEnds ends in all: a start whose list would not
// fit is left for the caller to scan when it comes to it, so memory stays
// linear in the track (one list of the longest scan per thread besides).
class CandidateScans {
 public:
  CandidateScans(const ShortcutOracle& oracle, std::int64_t n, double tolerance);
  ~CandidateScans();
  CandidateScans(const CandidateScans&) = delete;
  CandidateScans& operator=(const CandidateScans&) = delete;

  // The candidate ends of start i (the oracle's Candidates), valid until the
  // next call. Starts must be asked for in descending order, from n - 2.
  const std::vector<std::int64_t>& Ends(std::int64_t i);

 private:
  static constexpr std::int64_t kBlockStarts = 512;
  static constexpr std::int64_t kBlockEnds = std::int64_t{1} << 20;
  // How long the caller waits for a start that the helper is scanning.
  static constexpr std::chrono::microseconds kPatience{20};

  // One block of starts [low, high), claimed from the top down.
  struct Block {
    std::int64_t low = 0, high = 0;
    std::atomic<std::int64_t> next_claim{0};  // the next start to claim is next_claim - 1
    std::atomic<std::int64_t> ends_held{0};
    std::unique_ptr<std::atomic<int>[]> state;  // per start: 0 open, 1 kept, 2 left over
    std::vector<std::vector<std::int64_t>> ends;
  };

  void Prepare(Block& block, std::int64_t low, std::int64_t high);
  // Lists for the scanners, one per start of a claim.
  using Scratch = std::vector<std::int64_t>[ShortcutOracle::kBlockStarts];
  // Claims and scans the next few starts of the block (as one block of the
  // oracle's); false when none is left.
  bool ScanSome(Block& block, Scratch& scratch);
  void Serve();

  const ShortcutOracle& oracle_;
  std::int64_t n_;
  double tolerance_;
  Block blocks_[2];
  int current_ = 0;                      // the block that holds the start asked for last
  Scratch own_;                          // the caller's
  std::vector<std::int64_t> left_over_;  // the caller's list of a start left over

  // The helper thread, which scans the block after the current one.
  std::mutex mutex_;
  std::condition_variable wake_;
  Block* posted_ = nullptr;   // the block for the helper to take next
  Block* working_ = nullptr;  // the block the helper scans
  std::atomic<bool> quit_{false};
  Scratch helper_scratch_;
  std::thread helper_;  // last: started once the members it uses exist
};

}  // namespace oru
