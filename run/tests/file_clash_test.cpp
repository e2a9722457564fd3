// Names decided before anything is written: no output lands on an input,
// its own or another's (through a link, a second folder, a Shapefile's
// companions, a route a track), nor two outputs on one file; each clash
// names both files, and every input stays as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run/pipeline.h"
#include "run/tests/run_fixture.h"

namespace oru {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::RecordingObserver;
using testing::TempDir;

// A GPX file of one track, a zigzag along a meridian near 54 N 4 E.
std::string GpxTrack() {
  std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\"><trk><trkseg>\n";
  for (int i = 0; i < 40; ++i) {
    gpx += "<trkpt lat=\"" + std::to_string(54.0 + i * 1e-4) + "\" lon=\"" +
           std::to_string(4.0 + (i % 2) * 2e-5) + "\"/>\n";
  }
  return gpx + "</trkseg></trk></gpx>\n";
}

fs::path TwoLinesP190(const TempDir& dir, const std::string& name) {
  const char* source = std::getenv("ORU_SOURCE_DIR");
  const fs::path from = fs::path(source != nullptr ? source : ".") / "cli/tests/nav/two_lines_ed50.p190";
  return dir.Write(name, ReadAll(from));
}

// A Shapefile of the GPX track, every point kept.
fs::path Shapefile(const TempDir& dir, const std::string& name) {
  PipelineSettings settings;
  settings.inputs = {dir.Write("made.gpx", GpxTrack())};
  settings.output = dir.path() / name;
  settings.value = "1000";
  RecordingObserver observer;
  EXPECT_FALSE(RunPipeline(settings, observer).files.at(0).error);
  fs::remove(settings.inputs[0]);
  return settings.output;
}

struct Clash {
  const char* name;
  // Makes the files and the settings (output folder or file, inputs).
  std::function<void(const TempDir&, PipelineSettings&)> make;
  // Per input file (in the order of the plan): part of its error, or ""
  // for a file that is written.
  std::vector<std::string> errors;
};

void PrintTo(const Clash& row, std::ostream* os) { *os << row.name; }

class FileClash : public ::testing::TestWithParam<Clash> {};

TEST_P(FileClash, NamesBothFilesAndLeavesEveryInput) {
  const Clash& row = GetParam();
  TempDir dir;
  PipelineSettings settings;
  settings.value = "5";
  row.make(dir, settings);
  std::map<fs::path, std::string> before;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file() && !entry.is_symlink()) before[entry.path()] = ReadAll(entry.path());
  }
  RecordingObserver observer;
  const PipelineOutcome outcome = RunPipeline(settings, observer);
  ASSERT_FALSE(outcome.error) << outcome.error->message;
  ASSERT_EQ(outcome.files.size(), row.errors.size());
  for (std::size_t i = 0; i < row.errors.size(); ++i) {
    const FileReport& file = outcome.files[i];
    SCOPED_TRACE(file.input);
    if (row.errors[i].empty()) {
      EXPECT_FALSE(file.error) << file.error->message;
      continue;
    }
    ASSERT_TRUE(file.error);
    EXPECT_EQ(file.error->kind, ErrorKind::Usage);
    std::string expected = row.errors[i];
    for (std::size_t at; (at = expected.find("%/")) != std::string::npos;) {
      expected.replace(at, 2, dir.path().string() + "/");
    }
    EXPECT_EQ(file.error->message, expected);
  }
  // Every file stays as it was but the outputs written.
  for (const FileReport& file : outcome.files) {
    if (!file.error) before.erase(file.output);
  }
  for (const auto& [path, content] : before) {
    EXPECT_EQ(ReadAll(path), content) << path << " was changed";
  }
}

// "%/" stands for the test's folder.
INSTANTIATE_TEST_SUITE_P(
    Pipeline, FileClash,
    ::testing::Values(
        // Once an input was overwritten by its own output one level down,
        // and a second run thinned the first one's outputs again.
        Clash{"OutputFolderInsideTheInputFolder",
              [](const TempDir& dir, PipelineSettings& s) {
                fs::create_directories(dir.path() / "in" / "out" / ".oru-AbC123");
                dir.Write("in/a.gpx", GpxTrack());
                dir.Write("in/out/a.gpx", GpxTrack());             // an earlier output
                dir.Write("in/out/.oru-AbC123/b.gpx", GpxTrack());  // another run's, half made
                s.inputs = {dir.path() / "in"};
                s.recursive = true;
                s.output_dir = dir.path() / "in" / "out";
              },
              {""}},
        Clash{"TwoInputsOfOneName",
              [](const TempDir& dir, PipelineSettings& s) {
                fs::create_directories(dir.path() / "d1");
                fs::create_directories(dir.path() / "d2");
                s.inputs = {dir.Write("d1/x.gpx", GpxTrack()), dir.Write("d2/x.gpx", GpxTrack())};
                s.output_dir = dir.path() / "out";
              },
              {"%/d1/x.gpx and %/d2/x.gpx would both be written to %/out/x.gpx.",
               "%/d1/x.gpx and %/d2/x.gpx would both be written to %/out/x.gpx."}},
        Clash{"ALinkInTheOutputFolderToAnotherInput",
              [](const TempDir& dir, PipelineSettings& s) {
                fs::create_directories(dir.path() / "out");
                s.inputs = {dir.Write("a.gpx", GpxTrack()), dir.Write("b.gpx", GpxTrack())};
                fs::create_symlink("../b.gpx", dir.path() / "out" / "a.gpx");
                s.output_dir = dir.path() / "out";
              },
              {"The output file %/out/a.gpx of %/a.gpx would overwrite the input %/b.gpx.", ""}},
        Clash{"ARouteATrackOntoAnotherOutput",
              [](const TempDir& dir, PipelineSettings& s) {
                s.inputs = {TwoLinesP190(dir, "two.p190"), TwoLinesP190(dir, "two-2.p190")};
                s.output_dir = dir.path() / "out";
                s.output_format = "rtz";
              },
              {"The output file %/out/two-2.rtz of %/two.p190 would overwrite the output of "
               "%/two-2.p190.",
               ""}},
        Clash{"ARouteATrackOntoTheInput",
              [](const TempDir& dir, PipelineSettings& s) {
                s.inputs = {TwoLinesP190(dir, "two.p190")};
                fs::create_symlink("two.p190", dir.path() / "two-1.rtz");
                s.output = dir.path() / "two.rtz";
              },
              {"The output file %/two-1.rtz of %/two.p190 would overwrite the input "
               "%/two.p190."}},
        Clash{"SurveyTextOntoACompanionOfTheInputShapefile",
              [](const TempDir& dir, PipelineSettings& s) {
                s.inputs = {Shapefile(dir, "good.shp")};
                s.output = dir.path() / "good.dbf";
              },
              {"The output file %/good.dbf would overwrite a file of the input %/good.shp."}},
        Clash{"AShapefileNamedInAnotherCase",
              [](const TempDir& dir, PipelineSettings& s) {
                s.inputs = {Shapefile(dir, "good.shp")};
                s.output = dir.path() / "good.SHP";
              },
              {"The output file %/good.SHP would overwrite a file of the input %/good.shp."}},
        Clash{"AShapefileOverAnotherInput",
              [](const TempDir& dir, PipelineSettings& s) {
                s.inputs = {dir.Write("lines.gpx", GpxTrack()), dir.Write("lines.prj", "x")};
                s.input_format = "gpx";
                s.output_dir = dir.path();
                s.output_format = "shp";
              },
              {"The output file %/lines.shp of %/lines.gpx would overwrite the input "
               "%/lines.prj.",
               "The output file %/lines.shp would overwrite a file of the input %/lines.prj."}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace oru
