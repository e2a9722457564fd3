// Replacing files: whole or not at all, and the replaced file stays the
// file it was (its links, mode, kind). Devices and other users' files need
// root: cli/tests/probes.sh covers them. Each case works in a folder of its
// own.
#include "trackio/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "trackio/temporary_files.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("oru-file-io-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return dir_ / name;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Names in the folder: a temporary left behind shows here.
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
};

TEST_F(FileIoTest, ReplacesThroughLinksAndKeepsModeAndHardLinks) {
  // A symbolic link (relative, via a second link) is written through to its
  // target; a file with two hard links is rewritten for both names; a
  // private file stays private; a dangling link creates its target.
  const fs::path target = Write("target.txt", "old\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("target.txt", dir_ / "link1");
  fs::create_symlink("link1", dir_ / "link2");
  ASSERT_TRUE(WriteFileAtomically(dir_ / "link2", "new\n"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link2"));
  EXPECT_EQ(Read(target), "new\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  fs::create_hard_link(target, dir_ / "second-name.txt");
  ASSERT_TRUE(WriteFileAtomically(target, "newer, and longer than before\n"));
  EXPECT_EQ(Read(dir_ / "second-name.txt"), "newer, and longer than before\n");
  ASSERT_TRUE(WriteFileAtomically(dir_ / "second-name.txt", "short\n"));
  EXPECT_EQ(Read(target), "short\n");
  EXPECT_EQ(fs::hard_link_count(target), 2u);

  fs::create_symlink("created.txt", dir_ / "dangling");
  ASSERT_TRUE(WriteFileAtomically(dir_ / "dangling", "made\n"));
  EXPECT_EQ(Read(dir_ / "created.txt"), "made\n");
  EXPECT_EQ(Entries(), 6u) << "no temporary may be left behind";
}

// Files staged in a folder (GIS drivers write several) and put in place
// together: through a link to its target, the replaced file's mode kept.
TEST_F(FileIoTest, StagedFilesGoThroughLinksAndKeepTheMode) {
  const fs::path target = Write("lines.shp", "old\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("lines.shp", dir_ / "link.shp");
  const fs::path output = LinkTarget(dir_ / "link.shp");
  EXPECT_EQ(output, target);
  const fs::path staging = MakeStagingDirectory(output);
  ASSERT_FALSE(staging.empty());
  std::ofstream(staging / "lines.shp") << "new\n";
  std::ofstream(staging / "lines.dbf") << "table\n";
  ASSERT_TRUE(CommitStagedFiles(staging, output));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.shp"));
  EXPECT_EQ(Read(dir_ / "link.shp"), "new\n");
  EXPECT_EQ(Read(dir_ / "lines.dbf"), "table\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Entries(), 3u) << "the staging folder is gone";
}

TEST_F(FileIoTest, NewFilesGetTheUmaskModeAndLongNamesFit) {
  const mode_t old_mask = ::umask(027);
  // 255 bytes is the longest name; the temporary's name must not grow it.
  const fs::path longest = dir_ / std::string(255, 'n');
  const FileStatus written = WriteFileAtomically(longest, "x\n");
  ::umask(old_mask);
  ASSERT_TRUE(written) << SystemReason(written.error);
  struct stat st {};
  ASSERT_EQ(::stat(longest.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileIoTest, AFailureLeavesTheFileAndSaysWhy) {
  const fs::path kept = Write("kept.txt", "earlier\n");
  {
    StagedFile staged;
    ASSERT_TRUE(staged.Stage(kept, "never committed\n"));
    EXPECT_EQ(Entries(), 2u) << "the temporary is beside the target";
  }
  EXPECT_EQ(Read(kept), "earlier\n");
  EXPECT_EQ(Entries(), 1u);

  std::string content;
  EXPECT_EQ(LoadFile(dir_ / "missing", content).error, ENOENT);
  EXPECT_EQ(LoadFile(dir_, content).error, EISDIR);
  EXPECT_EQ(WriteFileAtomically(dir_ / "no-folder" / "out", "x").error, ENOENT);
  EXPECT_EQ(WriteFileAtomically(dir_, "x").error, EISDIR);
  EXPECT_EQ(WithSystemReason("Input file a could not be opened.", ENOENT),
            "Input file a could not be opened. No such file or directory.");
  EXPECT_EQ(WithSystemReason("Line 3 could not be read.", 0), "Line 3 could not be read.");
}

TEST_F(FileIoTest, AFifoIsWrittenNotReplaced) {
  const fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Our own reader, so that opening the FIFO for writing does not wait.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(WriteFileAtomically(fifo, "through the pipe\n"));
  char buffer[64] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 17);
  ::close(reader);
  EXPECT_EQ(std::string(buffer), "through the pipe\n");
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// A process ended by SIGINT, SIGTERM or SIGHUP takes its registered
// temporaries with it and still ends by that signal.
TEST_F(FileIoTest, SignalsRemoveRegisteredTemporaries) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const fs::path temporary = Write("partial", "half a track");
    const fs::path folder = dir_ / "private";
    fs::create_directory(folder);
    EXPECT_EXIT(
        {
          InstallTemporaryFileCleanup();
          RegisterTemporaryFile(folder.c_str());
          RegisterTemporaryFile(temporary.c_str());
          std::raise(signal_number);
        },
        ::testing::KilledBySignal(signal_number), "");
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(folder));
  }
  // Unregistered paths are left alone.
  const fs::path kept = Write("kept", "x");
  EXPECT_EXIT(
      {
        InstallTemporaryFileCleanup();
        RegisterTemporaryFile(kept.c_str());
        UnregisterTemporaryFile(kept.c_str());
        std::raise(SIGTERM);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_TRUE(fs::exists(kept));
}

}  // namespace
}  // namespace oru
