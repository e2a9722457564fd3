// Replacing files: whole or not at all, and the replaced file stays the
// file it was (its links, mode, kind). Devices and other users' files need
// root: cli/tests/probes.sh covers them. Each case works in a folder of its
// own.
#include "trackio/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "trackio/temporary_files.h"

namespace oru {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');  // parameterized: "Name/3"
    dir_ = fs::temp_directory_path() / ("oru-file-io-" + std::to_string(::getpid()) + "-" + name);
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
  {
    const StagingFolder staging(output);
    ASSERT_FALSE(staging.path().empty());
    std::ofstream(staging.path() / "lines.shp") << "new\n";
    std::ofstream(staging.path() / "lines.dbf") << "table\n";
    ASSERT_EQ(CommitStagedFiles(staging.path(), "lines.shp", output), 0);
  }
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

// Two names of one file, existing or new, are one file however spelled; a
// clash between an output and a side file hides behind such spellings.
struct Spelling {
  const char* a;  // relative to the test's folder, which is the working one;
  const char* b;  // "$/" stands for the folder's absolute name
  bool same;
};
void PrintTo(const Spelling& s, std::ostream* os) { *os << s.a << " and " << s.b; }

class SameFileTest : public FileIoTest, public ::testing::WithParamInterface<Spelling> {};

TEST_P(SameFileTest, ComparesIdentitiesAndResolvedNames) {
  fs::create_directory(dir_ / "d");
  Write("old.txt", "x");
  fs::create_hard_link(dir_ / "old.txt", dir_ / "hard.txt");
  fs::create_symlink("old.txt", dir_ / "link.txt");
  fs::create_symlink("made.txt", dir_ / "dangling");
  fs::create_symlink("d", dir_ / "dl");
  auto named = [&](std::string name) {
    return name.starts_with("$/") ? (dir_ / name.substr(2)) : fs::path(name);
  };
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  const bool same = SameFile(named(GetParam().a), named(GetParam().b));
  fs::current_path(before);
  EXPECT_EQ(same, GetParam().same) << GetParam().a << " and " << GetParam().b;
}

INSTANTIATE_TEST_SUITE_P(
    FileIo, SameFileTest,
    ::testing::Values(
        // New names: a relative one against the same made absolute or
        // walked through a folder and back (once taken as two files).
        Spelling{"./new.txt", "new.txt", true}, Spelling{"d/../new.txt", "new.txt", true},
        Spelling{"$/new.txt", "new.txt", true}, Spelling{"dl/new.txt", "d/new.txt", true},
        Spelling{"dangling", "made.txt", true},  // the file the link would create
        Spelling{"new.txt", "New.txt", false}, Spelling{"new.txt", "d/new.txt", false},
        // Existing files: hard and symbolic links; an existing file is never
        // a new one.
        Spelling{"hard.txt", "$/old.txt", true}, Spelling{"link.txt", "./old.txt", true},
        Spelling{"old.txt", "d/old.txt", false}, Spelling{"dangling", "old.txt", false}));

// A process ended by SIGINT, SIGTERM or SIGHUP takes its registered
// temporaries with it and still ends by that signal.
TEST_F(FileIoTest, SignalsRemoveRegisteredTemporaries) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const fs::path temporary = Write("partial", "half a track");
    const fs::path folder = dir_ / "private";
    fs::create_directory(folder);
    // A staging folder with the files a GDAL driver made in it (once left
    // behind with them).
    EXPECT_EXIT(
        {
          InstallTemporaryFileCleanup();
          RegisterTemporaryFile(folder.c_str());
          RegisterTemporaryFile(temporary.c_str());
          const StagingFolder staging(dir_ / "out.shp");
          for (const char* name : {"out.shp", "out.shx", "out.dbf"}) {
            std::ofstream(staging.path() / name) << "part of a layer";
          }
          std::raise(signal_number);
        },
        ::testing::KilledBySignal(signal_number), "");
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(Entries(), 0u) << "the staging folder is gone";
  }
  // A signal sent to the process while one thread holds signals reaches
  // another thread: it waits until the temporary being made is registered,
  // then takes it with it (it used to end the process at once and leave
  // the temporary behind).
  const fs::path making = dir_ / "making";
  EXPECT_EXIT(
      {
        InstallTemporaryFileCleanup();
        std::thread([] { std::this_thread::sleep_for(std::chrono::seconds(20)); }).detach();
        const SignalsHeld held;
        std::ofstream(making) << "half a track";
        ::kill(::getpid(), SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        RegisterTemporaryFile(making.c_str());
      },
      ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_FALSE(fs::exists(making));
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
