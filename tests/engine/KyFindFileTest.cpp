#include "engine/KyFindFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

class KyFindFileTest : public ::testing::Test {
 protected:
  KyFindFileTest() {
    finder_.SetBaseDir(dir_.String());
    finder_.OnFind = [this](TKyFindFile& sender, const TFindData& data, const std::string& currentDir,
                            bool& cancel) {
      EXPECT_TRUE(sender.Busy);
      found_.push_back(Relative(currentDir + "/" + data.cFileName));
      if (found_.size() == cancelAt_) cancel = true;
      if (found_.size() == cancelFlagAt_) sender.Canceled = true;
    };
  }

  // The main window's configuration.
  void UseMainWindowConditions() { finder_.Conditions = {fcHidden, fcSystem, fcDirectory}; }

  std::string Relative(const std::string& path) const { return path.substr(dir_.String().size() + 1); }

  void MakeDir(const std::string& name) const { std::filesystem::create_directories(dir_.Path() / name); }

  testing::TTempDir dir_;
  TKyFindFile finder_;
  std::vector<std::string> found_;
  size_t cancelAt_ = 0;
  size_t cancelFlagAt_ = 0;
};

TEST_F(KyFindFileTest, FlatListingWithTheMainWindowConditions) {
  UseMainWindowConditions();
  dir_.Write("b.txt", "");
  dir_.Write("A.txt", "");
  dir_.Write(".hidden.txt", "");
  const std::string locked = dir_.Write("locked.txt", "");
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  ASSERT_EQ(mkfifo((dir_.String() + "/pipe.txt").c_str(), 0644), 0);
  MakeDir("sub.txt");
  dir_.Write("sub.txt/deeper.txt", "");
  finder_.FileMask = "*.txt";
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"A.txt", "b.txt", "locked.txt"}));
  EXPECT_FALSE(finder_.Busy);
}

TEST_F(KyFindFileTest, ConditionsSelectRequiredAndForbiddenAttributes) {
  MakeDir("only");
  finder_.SetBaseDir(dir_.String() + "/only/");
  MakeDir("only/sub");
  MakeDir("only/.git");
  dir_.Write("only/.rc", "");
  dir_.Write("only/file", "");

  finder_.Conditions = {};
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"only/.git", "only/.rc", "only/file", "only/sub"}));

  found_.clear();
  finder_.Conditions = {fcDirectory};
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"only/.rc", "only/file"}));

  found_.clear();
  finder_.Conditions = {fcHidden, fcDirectory};
  finder_.AttrHidden = true;
  finder_.AttrDirectory = true;
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"only/.git"}));
}

TEST_F(KyFindFileTest, TreeReportsFilesBeforeSubDirectoriesLevelByLevel) {
  UseMainWindowConditions();
  finder_.SetSearchSubDir(true);
  dir_.Write("b.txt", "");
  dir_.Write("a.txt", "");
  dir_.Write("d1/x.txt", "");
  dir_.Write("d1/d11/z.txt", "");
  dir_.Write("d2/y.txt", "");
  dir_.Write(".git/config", "");
  dir_.Write(".git/.hidden", "");
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"a.txt", "b.txt", ".git/config", "d1/x.txt", "d2/y.txt",
                                              "d1/d11/z.txt"}));
}

// Directories are read ahead of the walk; a wide and deep tree still comes
// level by level in name order, and a directory changed after it was read
// ahead is listed as it is now.
TEST_F(KyFindFileTest, TreeReadAheadKeepsTheOrderAndSeesChanges) {
  UseMainWindowConditions();
  finder_.SetSearchSubDir(true);
  std::vector<std::string> level = {""};
  std::vector<std::string> expected;
  for (int depth = 0; depth < 4; ++depth) {
    std::vector<std::string> next;
    for (const std::string& parent : level) {
      for (const char* file : {"f1.txt", "f2.txt"}) expected.push_back(parent + file);
      if (depth < 3)
        for (const char* sub : {"a", "b", "c", "d"}) next.push_back(parent + sub + "/");
    }
    level = std::move(next);
  }
  for (const std::string& file : expected) dir_.Write(file, "");
  // While the walk is on a/, b/ and c/ have been read ahead.
  finder_.OnFind = [&](TKyFindFile&, const TFindData& data, const std::string& currentDir, bool&) {
    const std::string path = Relative(currentDir + "/" + data.cFileName);
    found_.push_back(path);
    if (path != "a/f1.txt") return;
    // A later clock tick, so the change shows in the directories' times;
    // and a pause after it, so that a listing read ahead just before the
    // change, on a busy machine, is no longer fresh enough to be used unseen.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    dir_.Write("b/new.txt", "");
    std::filesystem::remove(dir_.Path() / "c" / "f1.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  };
  expected.insert(std::find(expected.begin(), expected.end(), "b/f2.txt") + 1, "b/new.txt");
  expected.erase(std::find(expected.begin(), expected.end(), "c/f1.txt"));
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, expected);
}

TEST_F(KyFindFileTest, DirMaskAppliesAtEveryLevel) {
  finder_.SetSearchSubDir(true);
  finder_.Conditions = {fcDirectory};
  finder_.DirMask = "k*";
  dir_.Write("f", "");
  dir_.Write("k1/f", "");
  dir_.Write("k1/k2/f", "");
  dir_.Write("k1/other/f", "");
  dir_.Write("other/k3/f", "");
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"f", "k1/f", "k1/k2/f"}));
}

TEST_F(KyFindFileTest, LinkBackToAnAncestorEnds) {
  finder_.SetSearchSubDir(true);
  UseMainWindowConditions();
  dir_.Write("top", "");
  dir_.Write("sub/inner", "");
  std::filesystem::create_directory_symlink(dir_.Path(), dir_.Path() / "sub" / "up");
  std::filesystem::create_directory_symlink(dir_.Path() / "sub", dir_.Path() / "sub" / "self");
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_EQ(found_, (std::vector<std::string>{"top", "sub/inner"}));
}

TEST_F(KyFindFileTest, UnreadableDirectoryIsSkippedSilently) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every directory";
  finder_.SetSearchSubDir(true);
  dir_.Write("closed/secret", "");
  dir_.Write("open/visible", "");
  ASSERT_EQ(chmod((dir_.String() + "/closed").c_str(), 0), 0);
  EXPECT_EQ(finder_.Find(), 0u);
  chmod((dir_.String() + "/closed").c_str(), 0755);
  EXPECT_EQ(found_, (std::vector<std::string>{"closed", "open", "open/visible"}));
}

TEST_F(KyFindFileTest, CancelEndsTheWalkAndTheNextFindStartsClean) {
  finder_.SetSearchSubDir(true);
  UseMainWindowConditions();
  for (const char* name : {"1", "2", "3", "0/4"}) dir_.Write(name, "");

  cancelAt_ = 2;  // through the handler's Cancel
  EXPECT_EQ(finder_.Find(), 1223u);
  EXPECT_EQ(found_.size(), 2u);

  found_.clear();
  cancelAt_ = 0;
  cancelFlagAt_ = 1;  // through Canceled, seen at the next entry
  EXPECT_EQ(finder_.Find(), 1223u);
  EXPECT_EQ(found_.size(), 1u);

  found_.clear();
  finder_.SetSearchSubDir(false);
  cancelFlagAt_ = 3;  // on the last entry: none follows, still a cancel
  EXPECT_EQ(finder_.Find(), 1223u);
  EXPECT_EQ(found_.size(), 3u);

  found_.clear();
  finder_.SetSearchSubDir(true);
  cancelFlagAt_ = 0;
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_FALSE(finder_.Canceled);
  EXPECT_EQ(found_, (std::vector<std::string>{"1", "2", "3", "0/4"}));
}

TEST_F(KyFindFileTest, CancelFromProcessMessages) {
  finder_.SetSearchSubDir(true);
  for (const char* name : {"1", "2", "sub/3"}) dir_.Write(name, "");
  int calls = 0;
  finder_.ProcessMessages = [&] {
    if (++calls == 4) finder_.Canceled = true;
  };
  EXPECT_EQ(finder_.Find(), 1223u);
  EXPECT_EQ(calls, 4);
  EXPECT_FALSE(finder_.Busy);
}

TEST_F(KyFindFileTest, BusyIsClearedWhenTheHandlerThrows) {
  dir_.Write("a", "");
  finder_.OnFind = [](TKyFindFile&, const TFindData&, const std::string&, bool&) {
    throw std::runtime_error("handler");
  };
  EXPECT_THROW(finder_.Find(), std::runtime_error);
  EXPECT_FALSE(finder_.Busy);
  finder_.OnFind = nullptr;
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_FALSE(finder_.Busy);
}

TEST_F(KyFindFileTest, EmptyFileMaskListsNothing) {
  dir_.Write("a", "");
  finder_.FileMask = "";
  EXPECT_EQ(finder_.Find(), 0u);
  EXPECT_TRUE(found_.empty());
}

TEST(KyFindFileBaseDirTest, TrailingSeparatorAndShortTexts) {
  TKyFindFile finder;
  EXPECT_EQ(finder.BaseDir(), "/usr");
  finder.SetBaseDir("/work/");
  EXPECT_EQ(finder.BaseDir(), "/work");
  finder.SetBaseDir("/work/src");
  EXPECT_EQ(finder.BaseDir(), "/work/src");
  finder.SetBaseDir("x");
  EXPECT_EQ(finder.BaseDir(), "/work/src");
  finder.SetBaseDir("");
  EXPECT_EQ(finder.BaseDir(), "/work/src");
}

TEST(KyFindFileBaseDirTest, RootListsTheRootDirectory) {
  TKyFindFile finder;
  finder.SetBaseDir("/");
  EXPECT_EQ(finder.BaseDir(), "");
  finder.FileMask = "tmp";
  std::vector<std::string> paths;
  finder.OnFind = [&](TKyFindFile&, const TFindData& data, const std::string& currentDir, bool&) {
    paths.push_back(currentDir + "/" + data.cFileName);
  };
  EXPECT_EQ(finder.Find(), 0u);
  EXPECT_EQ(paths, std::vector<std::string>{"/tmp"});
}

}  // namespace
}  // namespace tansa2
