#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "run/processing_run.h"

namespace oru {

// Runs one job at a time on a thread of its own for a window, and hands what
// the job shows to the GUI thread: the job reports through the RunObserver
// it is given, on its thread; the latest figures and the messages wait in
// this object under a lock, and a queued call tells the GUI thread, which
// emits the signals below. Figures that arrive faster than the GUI thread
// takes them are replaced by newer ones, never queued up. Nothing on the
// job's thread touches a widget; the job owns copies of its inputs.
class RunWorker final : public QObject, private RunObserver {
  Q_OBJECT

 public:
  // The job: runs on the worker thread; it may report through the observer
  // and should ask it StopRequested() in its long loops.
  using Job = std::function<void(RunObserver& observer)>;

  explicit RunWorker(QObject* parent = nullptr);
  // Asks a job still working to stop and waits for its thread.
  ~RunWorker() override;

  // Starts `job`; false (and nothing started) while another job works.
  bool Start(Job job);
  // Asks the job to stop (StopRequested() turns true); it ends in its own
  // order and Ended follows as always.
  void RequestStop() { stop_requested_ = true; }
  // From Start until the job's thread has ended, just before Ended.
  bool Working() const { return thread_.joinable(); }

  // How often the job's figures are wanted. Every showing costs the engine
  // an exact count of the figures and the window a repaint: a few dozen a
  // second are plenty, and five are the least that look alive.
  void SetProgressInterval(std::chrono::milliseconds interval) { interval_ = interval; }

 signals:
  // On the GUI thread: the step the job begins.
  void PhaseShown(oru::RunPhase phase);
  // On the GUI thread: the latest figures of the job.
  void FiguresShown(const oru::StatisticsTexts& texts);
  // On the GUI thread, after the job's thread has ended and its last
  // figures were shown: the messages it reported, in order. An exception
  // that left the job is one more message, its text.
  void Ended(const std::vector<std::string>& messages);

 private:
  // RunObserver, on the job's thread.
  void ShowMessage(const std::string& text) override;
  void ShowPhase(RunPhase phase) override;
  void ShowStatistics(const StatisticsTexts& texts) override;
  bool ProgressDue() override;
  bool StopRequested() override { return stop_requested_; }

  // On the GUI thread.
  void DeliverFigures();
  void Finish();

  std::thread thread_;
  std::atomic<bool> stop_requested_{false};
  std::chrono::milliseconds interval_{40};
  std::chrono::steady_clock::time_point last_due_;  // the job's thread only

  std::mutex mutex_;  // guards the three below
  std::optional<StatisticsTexts> figures_;  // not yet taken by the GUI thread
  bool figures_posted_ = false;             // a DeliverFigures call is queued
  std::vector<std::string> messages_;
};

}  // namespace oru
