#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/FileIO.h"
#include "platform/TemporaryFileNames.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFaults.h"

namespace tansa2::platform {
namespace {

std::vector<std::string> Entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The exit code of a child that can't make its file system refuse unnamed
// files.
constexpr int kNoFilter = 77;

// From now on every open with O_TMPFILE fails with EOPNOTSUPP, as on a file
// system without unnamed files. It can't be undone: for child processes.
bool RefuseUnnamedFiles() {
  constexpr unsigned kFlagsWord =
      offsetof(seccomp_data, args[2]) + (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? 4 : 0);
  sock_filter code[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFlagsWord),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_TMPFILE & ~O_DIRECTORY, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(code)), code};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// A child process that runs `body` and ends with the code it returns (1
// when it throws); it writes a byte to the parent when it calls Ready.
class TChild {
 public:
  explicit TChild(const std::function<int(TChild&)>& body) {
    if (pipe2(pipe_, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(pipe_[0]);
      // An error must not unwind into the tests, which would run on in the
      // child.
      int code = 1;
      try {
        code = body(*this);
      } catch (...) {
      }
      _exit(code);
    }
    close(pipe_[1]);
  }
  ~TChild() {
    Kill();
    close(pipe_[0]);
  }
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  void Ready() { (void)!write(pipe_[1], "r", 1); }
  // Waits for Ready; false when the child ended without it.
  bool WaitReady() {
    char byte = 0;
    return read(pipe_[0], &byte, 1) == 1;
  }
  // Ends the child, if it still runs, and returns its exit code (-1 when
  // killed).
  int Kill() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(std::exchange(pid_, -1), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  pid_t Pid() const { return pid_; }

 private:
  int pipe_[2] = {-1, -1};
  pid_t pid_ = -1;
};

// A process id that ran and has ended.
pid_t EndedProcess() {
  TChild child([](TChild&) { return 0; });
  const pid_t pid = child.Pid();
  child.Kill();
  return pid;
}

class AtomicFileTest : public ::testing::Test {
 protected:
  // The old file is whole, and nothing else lies beside it.
  void ExpectOldFileAlone() {
    EXPECT_EQ(ReadWholeFile(path_), "old contents\r\n");
    EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"settings.ini"});
  }

  testing::TTempDir dir_;
  const std::string path_ = dir_.Write("settings.ini", "old contents\r\n");
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndLeavesNothingBeside) {
  const std::string large(300000, 'x');
  for (const std::string& bytes : {std::string("new\r\n"), std::string(), large}) {
    WriteFileAtomically(path_, bytes);
    EXPECT_EQ(ReadWholeFile(path_), bytes);
    EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"settings.ini"});
  }
  chmod(path_.c_str(), 0600);
  WriteFileAtomically(path_, "private");
  struct stat st {};
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u) << "a private file stays private";
  const std::string fresh = dir_.String() + "/fresh.ini";
  WriteFileAtomically(fresh, "a=1");
  EXPECT_EQ(ReadWholeFile(fresh), "a=1");
}

TEST_F(AtomicFileTest, FailureNamesTheFileAndLeavesNoTemporaryFile) {
  // A folder in the file's place: the rename is refused after the write.
  const std::string blocked = dir_.String() + "/blocked";
  dir_.Write("blocked/inside", "kept");
  try {
    WriteFileAtomically(blocked, "new");
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& error) {
    EXPECT_NE(std::string(error.what()).find(blocked), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadWholeFile(blocked + "/inside"), "kept");
  std::filesystem::remove_all(blocked);
  EXPECT_THROW(WriteFileAtomically(dir_.String() + "/missing/settings.ini", "new"), EInOutError);
  ExpectOldFileAlone();
}

// The disk fills in the middle of the write.
TEST_F(AtomicFileTest, DiskFullMidwayKeepsTheOldFile) {
  {
    const testing::TFileSizeLimit full(4096);
    EXPECT_THROW(WriteFileAtomically(path_, std::string(100000, 'y')), EInOutError);
  }
  ExpectOldFileAlone();
}

// Pieces of every size, small ones filling the buffer many times over and
// ones larger than any buffer, make the file they add up to.
TEST_F(AtomicFileTest, PiecesAddUpToTheFile) {
  const std::vector<std::vector<size_t>> orders = {
      {},
      {0, 1, 0},
      std::vector<size_t>(5000, 97),
      {1, 300000, 2, 2000000, 3},
      {2000000, 100000, 100000, 100000, 100000, 1},
  };
  for (const std::vector<size_t>& sizes : orders) {
    SCOPED_TRACE(sizes.size());
    std::string expected;
    {
      TAtomicFileWriter file(path_);
      for (size_t i = 0; i < sizes.size(); ++i) {
        // Each piece its own bytes, so a lost, doubled or moved piece shows.
        std::string piece(sizes[i], static_cast<char>('a' + i % 26));
        if (!piece.empty()) piece.front() = static_cast<char>('0' + i % 10);
        file.Write(piece);
        expected += piece;
      }
      EXPECT_EQ(ReadWholeFile(path_), "old contents\r\n") << "the real file changes only at the commit";
      file.Commit();
    }
    EXPECT_EQ(ReadWholeFile(path_), expected);
    EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"settings.ini"});
    WriteFileAtomically(path_, "old contents\r\n");
  }
}

// The caller gives up part way (an error of its own) and the writer goes
// without a commit, after much has reached the temporary file.
TEST_F(AtomicFileTest, AWriterLeftWithoutCommitKeepsTheOldFile) {
  {
    TAtomicFileWriter file(path_);
    for (int i = 0; i < 100; ++i) file.Write(std::string(10000, 'n'));
  }
  ExpectOldFileAlone();
}

// The disk fills after some buffers have been written, before the commit.
TEST_F(AtomicFileTest, DiskFullPartWayThroughThePiecesKeepsTheOldFile) {
  std::string failure;
  size_t written = 0;
  {
    const testing::TFileSizeLimit full(600000);
    TAtomicFileWriter file(path_);
    try {
      for (; written < 300; ++written) file.Write(std::string(10000, 'y'));
    } catch (const EInOutError& error) {
      failure = error.what();
    }
  }
  EXPECT_LT(written, 300u) << "no write failed";
  EXPECT_NE(failure.find(path_), std::string::npos) << failure;
  ExpectOldFileAlone();
}

TEST_F(AtomicFileTest, ReadOnlyFolderKeepsTheOldFile) {
  ASSERT_EQ(chmod(dir_.String().c_str(), 0555), 0);
  const bool failed = testing::HoldsWithoutRoot([this] {
    try {
      WriteFileAtomically(path_, "new");
    } catch (const EInOutError&) {
      return true;
    }
    return false;
  });
  chmod(dir_.String().c_str(), 0755);
  EXPECT_TRUE(failed);
  ExpectOldFileAlone();
}

// A child saves two large files in turn, over and over, and is killed at a
// random moment of its first few saves: in a write, a flush, between link
// and rename, or between saves. The file is always one of them whole (or the old one, when no save
// got through), and after the sweep nothing else lies beside it. Half of the
// children save where unnamed files are refused.
TEST(AtomicFileCrashTest, AKilledSaveLeavesAWholeFileAndTheSweepLeavesNothingElse) {
  const std::string old = "old contents\r\n";
  const std::string first(3 << 20, 'a');
  const std::string second((4 << 20) + 1, 'b');
  std::mt19937 random(28);
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "named temporary files" : "unnamed temporary files");
    int leftBehind = 0;
    for (int run = 0; run < 30; ++run) {
      const testing::TTempDir dir;
      const std::string path = dir.Write("settings.ini", old);
      TChild child([&](TChild& self) {
        if (refused && !RefuseUnnamedFiles()) return kNoFilter;
        self.Ready();
        for (int i = 0;; ++i) WriteFileAtomically(path, i % 2 == 0 ? first : second);
      });
      const bool started = child.WaitReady();
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 80000));
      if (child.Kill() == kNoFilter) GTEST_SKIP() << "seccomp filters are not allowed here";
      ASSERT_TRUE(started);

      const std::string now = ReadWholeFile(path);
      EXPECT_TRUE(now == old || now == first || now == second) << "run " << run << ": " << now.size() << " bytes";
      leftBehind += Entries(dir.Path()).size() > 1;
      RemoveStaleTemporaryFiles(dir.String());
      EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"settings.ini"}) << "run " << run;
    }
    // A named temporary file stands for most of a save.
    if (refused) {
      EXPECT_GT(leftBehind, 0) << "no kill left anything to sweep";
    }
  }
}

// Two processes share a folder: one is in the middle of a save, under a
// named temporary file, while the other sweeps and saves there.
TEST(AtomicFileCrashTest, TheSweepKeepsTheTemporaryFileOfARunningSave) {
  const testing::TTempDir dir;
  const std::string path = dir.Write("settings.ini", "old");
  TChild child([&](TChild& self) {
    if (!RefuseUnnamedFiles()) return kNoFilter;
    WriteFileAtomically(path, "saved under a name");
    TAtomicFileWriter file(path);
    file.Write(std::string(1 << 20, 'n'));
    self.Ready();
    pause();
    return 0;
  });
  if (!child.WaitReady()) {
    EXPECT_EQ(child.Kill(), kNoFilter);
    GTEST_SKIP() << "seccomp filters are not allowed here";
  }
  EXPECT_EQ(ReadWholeFile(path), "saved under a name");
  const std::string own = ".settings.ini.tansa2-tmp." + std::to_string(child.Pid()) + ".";
  const std::vector<std::string> during = Entries(dir.Path());
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during[0].substr(0, own.size()), own);

  RemoveStaleTemporaryFiles(dir.String());
  WriteFileAtomically(path, "saved beside it");
  EXPECT_EQ(Entries(dir.Path()), during) << "a running save lost its file";

  child.Kill();
  RemoveStaleTemporaryFiles(dir.String());
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"settings.ini"});
  EXPECT_EQ(ReadWholeFile(path), "saved beside it");
}

TEST(AtomicFileCrashTest, AnUnfinishedSaveHasNoNameWhereTheFileSystemAllows) {
  const testing::TTempDir dir;
  const std::string path = dir.Write("settings.ini", "old");
  const int probe = open(dir.String().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (probe < 0) GTEST_SKIP() << "no unnamed files on the file system of " << dir.String();
  close(probe);
  TAtomicFileWriter file(path);
  file.Write(std::string(1 << 20, 'n'));
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"settings.ini"});
}

// Only our own temporary files of processes that have ended go; the sweep
// never asks about process 0 or a negative id, which name groups.
TEST(TemporaryFileNamesTest, TheSweepRemovesOnlyOurFilesOfEndedProcesses) {
  const std::string ended = std::to_string(EndedProcess());
  const std::string running = std::to_string(getpid());
  const struct {
    std::string name;
    bool removed;
  } cases[] = {
      {".a.csv.tansa2-tmp." + ended + ".0", true},
      {".tansa2.ini.tansa2-tmp." + ended + ".12", true},
      {"..tansa2-tmp." + ended + ".3", true},
      {".a.csv.tansa2-tmp." + running + ".0", false},
      {".a.csv.tansa2-tmp.1.0", false},
      {".a.csv.tansa2-tmp.0.0", false},
      {".a.csv.tansa2-tmp.-1.0", false},
      {".a.csv.tansa2-tmp.99999999999999999999.0", false},
      {"a.csv.tansa2-tmp." + ended + ".0", false},
      {".a.csv.tansa2-tmp." + ended, false},
      {".a.csv.tansa2-tmp." + ended + ".", false},
      {".a.csv.tansa2-tmp." + ended + ".0.bak", false},
      {".a.csv.tansa2-tmp.x" + ended + ".0", false},
      {"a.csv.tmp" + ended + "-0", false},
  };
  const testing::TTempDir dir;
  for (const auto& one : cases) dir.Write(one.name, "x");
  const std::string folder = ".folder.tansa2-tmp." + ended + ".0";
  std::filesystem::create_directory(dir.Path() / folder);
  RemoveStaleTemporaryFiles(dir.String());
  for (const auto& one : cases)
    EXPECT_EQ(std::filesystem::exists(dir.Path() / one.name), !one.removed) << one.name;
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / folder));

  // A save sweeps the folder of its file, and a file of a long name still
  // gets a temporary one.
  dir.Write(cases[0].name, "x");
  const std::string longName = dir.String() + "/" + std::string(250, 'n');
  WriteFileAtomically(longName, "saved");
  EXPECT_EQ(ReadWholeFile(longName), "saved");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / cases[0].name));
}

}  // namespace
}  // namespace tansa2::platform
