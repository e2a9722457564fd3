#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run/processing_run.h"

namespace oru::testing {

// A fresh temporary folder per test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("oru-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& content) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records what a run shows; asks it to stop at the `stop_at`-th question
// whether to stop (1-based; 0 never).
class RecordingObserver : public RunObserver {
 public:
  explicit RecordingObserver(bool every_iteration = false) : every_iteration_(every_iteration) {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowPhase(RunPhase phase) override { phases.push_back(phase); }
  void ShowStatistics(const StatisticsTexts& texts) override { shown.push_back(texts); }
  bool ProgressDue() override { return every_iteration_; }
  bool StopRequested() override { return ++stop_questions == stop_at; }

  std::vector<std::string> messages;
  std::vector<RunPhase> phases;
  std::vector<StatisticsTexts> shown;
  int stop_at = 0;
  std::atomic<int> stop_questions = 0;  // asked from the pipeline's threads at once

 private:
  bool every_iteration_;
};

}  // namespace oru::testing
