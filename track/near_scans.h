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

// The near scans (ShortcutOracle::ScanNear) of the starts of a label pass
// below a given one, which it asks for from there down to the first: a second
// thread (where the machine has one) scans the starts ahead, block by
// block, while the caller works on the current block, and the caller scans
// what is not ready yet itself. With each scan goes the rest of the
// start's walk (ShortcutOracle::WalkOn, where the oracle walks ahead) and,
// once asked (FindEarliest), the start's earliest start as an end
// (ShortcutOracle::EarliestStart): walks by blocks that the caller would
// otherwise take in turn, and which depend on the tolerance and the track
// alone, never on the labels.
class NearScans {
 public:
  // Scans the next `steps` points of each start below `end` (at most the
  // oracle's last point) for `tolerance`. Where `reaches` tells the last
  // point of each start's walk for the tolerance, the starts whose walks all
  // end within `long_steps` points are scanned over those: their walks end
  // in the scan rather than beyond it, block by block, which costs more
  // where the walk is short.
  NearScans(ShortcutOracle& oracle, std::int64_t end, std::int64_t steps, double tolerance,
            const std::vector<std::int64_t>* reaches = nullptr, std::int64_t long_steps = 0);
  ~NearScans();
  NearScans(const NearScans&) = delete;
  NearScans& operator=(const NearScans&) = delete;

  // The near scan of start i, valid until the next call; null when the
  // oracle scans no starts at once. Starts must be asked for in descending
  // order, from end - 1.
  const NearScan* Of(std::int64_t i);

  // From now on the earliest starts too.
  void FindEarliest() { earliest_wanted_.store(true, std::memory_order_relaxed); }
  // ShortcutOracle::EarliestStart(j, tolerance): as found ahead when j is a
  // start of the current block, else found now.
  std::int64_t EarliestStart(std::int64_t j) const;

 private:
  static constexpr std::int64_t kBlockStarts = 512;
  // How long the caller waits for a start that the helper is scanning.
  static constexpr std::chrono::microseconds kPatience{20};

  // One block of starts [low, high), claimed from the top down.
  struct Block {
    std::int64_t low = 0, high = 0;
    std::atomic<std::int64_t> next_claim{0};    // the next start to claim is next_claim - 1
    std::unique_ptr<std::atomic<int>[]> state;  // per start: 0 open, 1 scanned, 2 failed
    std::vector<NearScan> scans;
    std::vector<std::int64_t> earliest;  // per start: kUnknown unless found with its scan
  };
  static constexpr std::int64_t kUnknown = -2;

  void Prepare(Block& block, std::int64_t low, std::int64_t high);
  // The points to scan from starts first, ..., first + count - 1.
  std::int64_t StepsOf(std::int64_t first, int count) const;
  // Claims and scans the next starts of the block (kNearStarts at most);
  // false when none is left.
  bool ScanSome(Block& block);
  void Serve();

  ShortcutOracle& oracle_;
  std::int64_t end_;
  std::int64_t steps_;
  double tolerance_;
  const std::vector<std::int64_t>* reaches_ = nullptr;
  std::int64_t long_steps_ = 0;
  bool supported_;
  Block blocks_[2];
  int current_ = 0;  // the block that holds the start asked for last
  NearScan own_;     // the caller's scan of a start the helper failed on

  // The helper thread, which scans the block after the current one.
  std::mutex mutex_;
  std::condition_variable wake_;
  Block* posted_ = nullptr;   // the block for the helper to take next
  Block* working_ = nullptr;  // the block the helper scans
  std::atomic<bool> quit_{false};
  std::atomic<bool> earliest_wanted_{false};
  std::thread helper_;  // last: started once the members it uses exist
};

}  // namespace oru
