// The file layer that GDAL's drivers write through: a write whose result a
// driver drops is still seen.
#include "gis/checked_files.h"

#include <gtest/gtest.h>

#include <cpl_vsi.h>

#include <cerrno>
#include <string>

#include "gis/tests/gis_test_files.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

// Writes `text` as GDAL's GPX and GeoJSON drivers do: every result dropped.
void WriteAsADriverDoes(const std::string& path, const std::string& text) {
  VSILFILE* file = VSIFOpenL(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  for (int i = 0; i < 100; ++i) (void)VSIFWriteL(text.data(), 1, text.size(), file);
  (void)VSIFCloseL(file);
}

TEST(CheckedWrites, KeepsTheFirstFailureOfItsFolder) {
  testing::TempFolder temp;
  const fs::path folder = (temp / "x").parent_path();
  // A file of the folder on a full device, as a full disk shows itself.
  fs::create_symlink("/dev/full", folder / "full.gpx");
  const CheckedWrites checked(folder);

  WriteAsADriverDoes(checked.CheckedPath("whole.gpx"), "<trkpt lat=\"54\" lon=\"4\"/>\n");
  EXPECT_EQ(checked.FirstError(), 0);
  EXPECT_EQ(fs::file_size(folder / "whole.gpx"), 2600u);
  // Reading back and looking for files that are not there is no failure.
  EXPECT_EQ(VSIFOpenL(checked.CheckedPath("whole.cpg").c_str(), "rb"), nullptr);
  EXPECT_EQ(VSIFOpenL(checked.CheckedPath("whole.SHX").c_str(), "r+b"), nullptr);
  EXPECT_EQ(checked.FirstError(), 0);

  WriteAsADriverDoes(checked.CheckedPath("full.gpx"), "<trkpt lat=\"54\" lon=\"4\"/>\n");
  EXPECT_EQ(checked.FirstError(), ENOSPC);
  // A file that cannot be made is a failure too; the first one stays.
  EXPECT_EQ(VSIFOpenL(checked.CheckedPath("no/such/folder.gpx").c_str(), "wb"), nullptr);
  EXPECT_EQ(checked.FirstError(), ENOSPC);

  // Files outside the folders of live objects are not reached through the
  // layer, not even beside the folder under a longer name.
  const std::string beside = folder.string() + "-beside";
  EXPECT_EQ(VSIFOpenL(("/vsioru/" + beside).c_str(), "wb"), nullptr);
  EXPECT_FALSE(fs::exists(beside));
}

}  // namespace
}  // namespace oru
