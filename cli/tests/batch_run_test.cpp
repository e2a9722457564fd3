#include "cli/batch_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <stdlib.h>

namespace oru {
namespace {

namespace fs = std::filesystem;

// Two GeoJSON lines (WGS84); the batch run as a window asks for it: the
// tracks kept for the plot equal what the command writes, and a stop writes
// nothing.
class BatchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "oru-batch-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    dir_ = name;
    std::ofstream(dir_ / "in.geojson") << R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
 "coordinates": [[4.0, 52.0], [4.01, 52.002], [4.02, 52.0], [4.03, 52.004], [4.04, 52.0]]}},
{"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
 "coordinates": [[5.0, 53.0], [5.0, 53.01], [5.002, 53.02], [5.0, 53.03]]}}]})";
    options_.inputs = {(dir_ / "in.geojson").string()};
    options_.request.input = dir_ / "in.geojson";
    options_.request.output = dir_ / "out.geojson";
    options_.request.selection_value.assign(1, '3');  // (GCC 12 -Wrestrict misfires on = "3")
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  CliOptions options_;
};

TEST_F(BatchRunTest, KeepsEveryTrackForThePlotAndTotalsAsTheCommandPrints) {
  std::ostringstream out, err;
  const BatchOutcome outcome = RunBatch(options_, BatchExtras{true, nullptr}, out, err);
  EXPECT_EQ(outcome.status, 0) << err.str();
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(outcome.tracks, 2);
  EXPECT_EQ(outcome.total.n, 9);
  EXPECT_EQ(outcome.total.count, 6);
  ASSERT_EQ(outcome.plotted.size(), 2u);
  EXPECT_EQ(outcome.plotted[1].first, (std::vector<double>{53.0, 53.01, 53.02, 53.03}));
  EXPECT_EQ(outcome.plotted[0].kept.size(), 3u);
  EXPECT_EQ(outcome.plotted[0].kept.front(), 1);
  EXPECT_EQ(outcome.plotted[0].kept.back(), 5);
  EXPECT_NE(out.str().find("Total of 2 tracks in 1 files:"), std::string::npos);
}

TEST_F(BatchRunTest, AStopWritesNothing) {
  std::ostringstream out, err;
  // The file is read (the first question), then its selections stop.
  std::atomic<int> asked{0};
  const BatchOutcome outcome =
      RunBatch(options_, BatchExtras{false, [&asked] { return ++asked > 1; }}, out, err);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_FALSE(fs::exists(options_.request.output));
  EXPECT_NE(err.str().find("stopped; nothing was written"), std::string::npos);
}

}  // namespace
}  // namespace oru
