#include "run/task_pool.h"

#include <utility>

namespace oru {

TaskPool::TaskPool(unsigned workers) {
  for (unsigned i = 0; i < (workers == 0 ? 1 : workers); ++i) {
    workers_.emplace_back([this] { Work(); });
  }
}

TaskPool::~TaskPool() {
  Wait();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  task_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void TaskPool::Submit(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
  }
  task_ready_.notify_one();
}

void TaskPool::SubmitUrgent(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_front(std::move(task));
  }
  task_ready_.notify_one();
}

void TaskPool::Wait() {
  std::unique_lock lock(mutex_);
  all_done_.wait(lock, [this] { return queue_.empty() && running_ == 0; });
}

void TaskPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    task_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and nothing left
    std::function<void()> task = std::move(queue_.front());
    queue_.pop_front();
    ++running_;
    lock.unlock();
    task();
    lock.lock();
    --running_;
    if (queue_.empty() && running_ == 0) all_done_.notify_all();
  }
}

}  // namespace oru
