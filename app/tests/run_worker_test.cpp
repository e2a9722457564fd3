#include "app/run_worker.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <vector>

namespace oru {
namespace {

using std::chrono::seconds;

// What the GUI thread saw of one job.
struct Seen {
  std::vector<std::string> kept;  // points_after of each figure shown
  bool working_at_figures = true;
  std::vector<std::string> messages;
  bool ended = false;
};

StatisticsTexts Kept(int count) {
  StatisticsTexts texts;
  texts.points_after = std::to_string(count);
  return texts;
}

struct WorkerCase {
  const char* name;
  // The job, given a future that turns ready once the GUI thread has shown
  // the first figures.
  std::function<void(RunObserver&, std::shared_future<void>)> job;
  bool stop_at_first_figures;
  std::vector<std::string> kept;
  std::vector<std::string> messages;
};

class RunWorkerTest : public ::testing::TestWithParam<WorkerCase> {};

// Figures reach the GUI thread while the job still works (it waits for
// them), a stop asked for there reaches the job, and messages and an
// escaping exception arrive with the end.
TEST_P(RunWorkerTest, HandsFiguresAndMessagesToTheGuiThread) {
  RunWorker worker;
  worker.SetProgressInterval(std::chrono::milliseconds(0));
  std::promise<void> shown;
  std::shared_future<void> first_shown = shown.get_future().share();
  Seen seen;
  QObject::connect(&worker, &RunWorker::FiguresShown, [&](const StatisticsTexts& texts) {
    seen.working_at_figures = seen.working_at_figures && worker.Working();
    if (seen.kept.empty()) {
      shown.set_value();
      if (GetParam().stop_at_first_figures) worker.RequestStop();
    }
    seen.kept.push_back(texts.points_after);
  });
  QObject::connect(&worker, &RunWorker::Ended, [&](const std::vector<std::string>& messages) {
    seen.messages = messages;
    seen.ended = true;
  });
  ASSERT_TRUE(worker.Start([&](RunObserver& observer) { GetParam().job(observer, first_shown); }));
  EXPECT_FALSE(worker.Start([](RunObserver&) {})) << "one job at a time";
  const QDeadlineTimer deadline(60000);
  while (!seen.ended && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  ASSERT_TRUE(seen.ended);
  EXPECT_FALSE(worker.Working());
  EXPECT_TRUE(seen.working_at_figures);
  EXPECT_EQ(seen.kept, GetParam().kept);
  EXPECT_EQ(seen.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Worker, RunWorkerTest,
    ::testing::Values(
        // Within one long step: shown, and the job still inside it.
        WorkerCase{"FiguresWhileTheJobWorks",
                   [](RunObserver& o, std::shared_future<void> shown) {
                     o.ShowStatistics(Kept(2));
                     if (shown.wait_for(seconds(60)) != std::future_status::ready) return;
                     o.ShowStatistics(Kept(3));
                   },
                   false,
                   {"2", "3"},
                   {}},
        WorkerCase{"StopReachesTheJob",
                   [](RunObserver& o, std::shared_future<void>) {
                     o.ShowStatistics(Kept(2));
                     const auto end = std::chrono::steady_clock::now() + seconds(60);
                     while (!o.StopRequested() && std::chrono::steady_clock::now() < end) {
                     }
                     o.ShowMessage(o.StopRequested() ? "stopped" : "never asked to stop");
                   },
                   true,
                   {"2"},
                   {"stopped"}},
        WorkerCase{"MessagesAndAnEscapingException",
                   [](RunObserver& o, std::shared_future<void>) {
                     o.ShowMessage("first");
                     throw std::runtime_error("second");
                   },
                   false,
                   {},
                   {"first", "second"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace oru
