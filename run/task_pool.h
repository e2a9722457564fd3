#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace oru {

// A fixed set of worker threads that run tasks from one queue. Tasks may
// submit further tasks. Urgent tasks run before the queued ones: a file's
// tracks are thinned before the next file is read, so few files are held in
// memory at once.
class TaskPool {
 public:
  explicit TaskPool(unsigned workers);
  ~TaskPool();  // waits for every task, then ends the workers
  TaskPool(const TaskPool&) = delete;
  TaskPool& operator=(const TaskPool&) = delete;

  void Submit(std::function<void()> task);
  void SubmitUrgent(std::function<void()> task);
  // Returns when no task is queued or running.
  void Wait();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable task_ready_;
  std::condition_variable all_done_;
  std::deque<std::function<void()>> queue_;
  unsigned running_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace oru
