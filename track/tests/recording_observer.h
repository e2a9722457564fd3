#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "track/selection_engine.h"

namespace oru::testing {

// Equal to the last bit; any NaN equals any NaN (a NaN length has no payload
// worth comparing).
inline bool Same(double x, double y) {
  if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
  return x == y && std::signbit(x) == std::signbit(y);
}

inline ::testing::AssertionResult SameFigures(const SelectionStatistics& x, const SelectionStatistics& y) {
  if (Same(x.largest_deviation, y.largest_deviation) && x.n == y.n && x.count == y.count &&
      Same(x.full_length, y.full_length) && Same(x.new_length, y.new_length) &&
      x.last_selected == y.last_selected && Same(x.added_deviation, y.added_deviation)) {
    return ::testing::AssertionSuccess();
  }
  auto text = [](const SelectionStatistics& f) {
    char buffer[200];
    std::snprintf(buffer, sizeof buffer,
                  "{dev %.17g, n %lld, count %lld, full %.17g, new %.17g, point %lld, added %.17g}",
                  f.largest_deviation, static_cast<long long>(f.n), static_cast<long long>(f.count),
                  f.full_length, f.new_length, static_cast<long long>(f.last_selected),
                  f.added_deviation);
    return std::string(buffer);
  };
  return ::testing::AssertionFailure() << text(x) << " vs " << text(y);
}

// Records the figures that a selection shows, due every `every`-th time the
// engine asks (0: never); asks it to stop after `stop_after` questions (-1:
// never). Figures shown again in the middle of an iteration must be those
// of the last completed iteration, to the last bit: `iterations` keeps each
// iteration's figures once, `repeats` counts the others and
// `repeats_differ` notes one that was not the same.
class RecordingObserver : public SelectionObserver {
 public:
  explicit RecordingObserver(int every = 1, std::int64_t stop_after = -1)
      : every_(every), stop_after_(stop_after) {}
  bool ProgressDue() override {
    ++asked;
    return every_ > 0 && asked % every_ == 0;
  }
  void OnProgress(const SelectionStatistics& figures) override {
    if (!iterations.empty() && iterations.back().count == figures.count) {
      ++repeats;
      if (!SameFigures(iterations.back(), figures)) repeats_differ = true;
      return;
    }
    iterations.push_back(figures);
  }
  bool StopRequested() override { return stop_after_ >= 0 && ++stop_asked > stop_after_; }

  int asked = 0;
  std::int64_t stop_asked = 0;
  int repeats = 0;
  bool repeats_differ = false;
  std::vector<SelectionStatistics> iterations;

 private:
  int every_;
  std::int64_t stop_after_;
};

}  // namespace oru::testing
