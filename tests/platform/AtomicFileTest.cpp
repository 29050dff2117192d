#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileIO.h"
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

}  // namespace
}  // namespace tansa2::platform
