#include "app/run_worker.h"

#include <exception>
#include <utility>

#include "track/vector_state.h"

namespace oru {

RunWorker::RunWorker(QObject* parent) : QObject(parent) {}

RunWorker::~RunWorker() {
  if (!thread_.joinable()) return;
  RequestStop();
  // The calls the job queued for this object are dropped with it.
  thread_.join();
}

bool RunWorker::Start(Job job) {
  if (thread_.joinable()) return false;
  stop_requested_ = false;
  figures_.reset();
  figures_posted_ = false;
  messages_.clear();
  // The first figures are due at once.
  last_due_ = std::chrono::steady_clock::now() - interval_;
  thread_ = std::thread([this, job = std::move(job)] {
    ClearUpperVectorState();
    try {
      job(*this);
    } catch (const std::exception& error) {
      ShowMessage(error.what());
    }
    // Queued behind the job's last figures, so those are shown first.
    QMetaObject::invokeMethod(this, &RunWorker::Finish, Qt::QueuedConnection);
  });
  return true;
}

void RunWorker::ShowMessage(const std::string& text) {
  const std::lock_guard lock(mutex_);
  messages_.push_back(text);
}

void RunWorker::ShowPhase(RunPhase phase) {
  // Queued behind the figures already posted, ahead of the job's end.
  QMetaObject::invokeMethod(this, [this, phase] { emit PhaseShown(phase); }, Qt::QueuedConnection);
  ClearUpperVectorState();  // after the toolkit's code, before the job's
}

void RunWorker::ShowStatistics(const StatisticsTexts& texts) {
  const std::lock_guard lock(mutex_);
  figures_ = texts;
  if (figures_posted_) return;
  figures_posted_ = true;
  QMetaObject::invokeMethod(this, &RunWorker::DeliverFigures, Qt::QueuedConnection);
  ClearUpperVectorState();  // after the toolkit's code, before the job's
}

bool RunWorker::ProgressDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_due_ < interval_) return false;
  last_due_ = now;
  return true;
}

void RunWorker::DeliverFigures() {
  std::optional<StatisticsTexts> figures;
  {
    const std::lock_guard lock(mutex_);
    figures.swap(figures_);
    figures_posted_ = false;
  }
  if (figures) emit FiguresShown(*figures);
}

void RunWorker::Finish() {
  thread_.join();
  // The job's thread has ended: nothing else touches the fields now.
  DeliverFigures();
  std::vector<std::string> messages = std::move(messages_);
  messages_.clear();
  emit Ended(messages);
}

}  // namespace oru
