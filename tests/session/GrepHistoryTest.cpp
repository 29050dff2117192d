#include "session/GrepHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/CodePage.h"
#include "platform/NameForm.h"
#include "results/QuietAbort.h"
#include "results/RowFormats.h"
#include "tests/support/CsvText.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteFaults.h"

namespace tansa2 {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TGrepParam SampleParam() {
  TGrepParam param;
  param.GrepStr = platform::Utf8ToCp932(" 東京, \"都\" ");
  param.GrepDir = "/home/u/my docs";
  param.FileMask = "*.txt,*.c";
  param.SubDir = true;
  param.DirMask = "";
  param.MatchCase = false;
  param.NoRegExp = true;
  param.AutoCode = false;
  return param;
}

void ExpectSameParam(const TGrepParam& a, const TGrepParam& b) {
  EXPECT_EQ(a.GrepStr, b.GrepStr);
  EXPECT_EQ(a.GrepDir, b.GrepDir);
  EXPECT_EQ(a.FileMask, b.FileMask);
  EXPECT_EQ(a.SubDir, b.SubDir);
  EXPECT_EQ(a.DirMask, b.DirMask);
  EXPECT_EQ(a.MatchCase, b.MatchCase);
  EXPECT_EQ(a.NoRegExp, b.NoRegExp);
  EXPECT_EQ(a.AutoCode, b.AutoCode);
}

TEST(GrepHistoryTest, ParameterFileHoldsEightLinesUnprocessed) {
  const TGrepParam param = SampleParam();
  EXPECT_EQ(GrepParamText(param), param.GrepStr + "\r\n/home/u/my docs\r\n*.txt,*.c\r\n1\r\n\r\n0\r\n1\r\n0\r\n");
  const std::optional<TGrepParam> read = ParseGrepParam(GrepParamText(param));
  ASSERT_TRUE(read);
  ExpectSameParam(*read, param);
}

TEST(GrepHistoryTest, SevenLinesMeanAutomaticDetection) {
  for (const char* text : {"s\r\nd\r\nm\r\n0\r\nk\r\n1\r\n0\r\n", "s\nd\nm\n0\nk\n1\n0"}) {
    const std::optional<TGrepParam> param = ParseGrepParam(text);
    ASSERT_TRUE(param) << text;
    EXPECT_TRUE(param->AutoCode);
    EXPECT_TRUE(param->MatchCase);
    EXPECT_FALSE(param->SubDir);
    EXPECT_EQ(param->DirMask, "k");
  }
}

TEST(GrepHistoryTest, DamagedParameterTextsAreNoEntry) {
  for (const char* text : {"", "s\r\nd\r\nm\r\n0\r\nk\r\n1\r\n", "s\r\nd\r\nm\r\nyes\r\nk\r\n1\r\n0\r\n1\r\n",
                           "s\r\nd\r\nm\r\n0\r\nk\r\n\r\n0\r\n1\r\n", "s\r\nd\r\nm\r\n0\r\nk\r\n1\r\n0\r\n1x\r\n",
                           "s\r\nd\r\nm\r\n 1\r\nk\r\n1\r\n0\r\n1\r\n"})
    EXPECT_FALSE(ParseGrepParam(text)) << text;
  // Any number is a flag; only 1 sets it.
  const std::optional<TGrepParam> param = ParseGrepParam("s\r\nd\r\nm\r\n2\r\nk\r\n-1\r\n1\r\n0\r\n");
  ASSERT_TRUE(param);
  EXPECT_FALSE(param->SubDir);
  EXPECT_FALSE(param->MatchCase);
  EXPECT_TRUE(param->NoRegExp);
}

TEST(GrepHistoryTest, AnEntryIsStoredAndReadBack) {
  testing::TTempDir tmp;
  TGrepResultRows rows;
  rows.AddData({"/d/a b.txt", 3, "x, \"y\"\tz", 4, 3});
  rows.AddData({platform::Utf8ToCp932("/d/東京.txt"), 12, platform::Utf8ToCp932("東京タワー"), 1, 4});
  StoreHistoryEntry(tmp.String(), 12, SampleParam(), rows);

  EXPECT_EQ(ReadFile(tmp.Path() / "GrepParam.12"), GrepParamText(SampleParam()));
  EXPECT_EQ(ReadFile(tmp.Path() / "GrepResult.12"), testing::CsvText(rows));
  ExpectSameParam(LoadHistoryParam(tmp.String(), 12), SampleParam());
  TGrepResultRows read;
  read.LoadFromFile(GrepResultFileName(tmp.String(), 12));
  ASSERT_EQ(read.DataCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(read.FileName(i), rows.FileName(i));
    EXPECT_EQ(read.LineNum(i), rows.LineNum(i));
    EXPECT_EQ(read.Line(i), rows.Line(i));
    EXPECT_EQ(read.MatchPos(i), rows.MatchPos(i));
    EXPECT_EQ(read.MatchLen(i), rows.MatchLen(i));
  }
}

// Names CP932 lacks are stored in their form, and an entry read back a week
// later still leads to the very same files.
TEST(GrepHistoryTest, NamesInAnEntryLeadBackToTheSameFiles) {
  testing::TTempDir tmp;
  TGrepParam param = SampleParam();
  param.GrepDir = platform::Cp932FormOfName("/home/u/\xC3\xA9");
  param.FileMask = platform::Cp932FormOfName("*.\xF0\x9F\x98\x80,*.txt");
  param.DirMask = platform::Cp932FormOfName("\x83\x5C*");
  TGrepResultRows rows;
  const std::string natives[] = {"/home/u/\xC3\xA9/a.txt", "/home/u/\xC3\xA8/a.txt", "/old/\xC6\xFC\xCB\xDC.txt"};
  for (const std::string& native : natives) {
    const std::string form = platform::Cp932FormOfName(native);
    rows.AddData({form, 1, "x", 1, 1});
  }
  StoreHistoryEntry(tmp.String(), 3, param, rows);

  const TGrepParam read = LoadHistoryParam(tmp.String(), 3);
  ExpectSameParam(read, param);
  EXPECT_EQ(platform::NativePath(read.GrepDir), "/home/u/\xC3\xA9");
  EXPECT_EQ(platform::NativePath(read.DirMask), "\x83\x5C*");
  TGrepResultRows readRows;
  readRows.LoadFromFile(GrepResultFileName(tmp.String(), 3));
  ASSERT_EQ(readRows.DataCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(platform::NativePath(readRows.FileName(i)), natives[i]);
}

TEST(GrepHistoryTest, FilesLeftUnderTheNumberAreReplaced) {
  testing::TTempDir tmp;
  const std::string oldParam = tmp.Write("GrepParam.1", "old\r\nd\r\nm\r\n0\r\nk\r\n0\r\n0\r\n0\r\n");
  const std::string oldResult = tmp.Write("GrepResult.1", "old,1,x,1,1\r\n");
  fs::permissions(oldParam, fs::perms::owner_read);
  fs::permissions(oldResult, fs::perms::owner_read);
  TGrepResultRows rows;
  rows.AddData({"/new.txt", 1, "new", 1, 3});
  StoreHistoryEntry(tmp.String(), 1, SampleParam(), rows);
  EXPECT_EQ(LoadHistoryParam(tmp.String(), 1).GrepStr, SampleParam().GrepStr);
  EXPECT_EQ(ReadFile(oldResult), testing::CsvText(rows));
}

// Rows of every kind the comma text quotes, and enough of them that the
// file is written in many pieces.
TGrepResultRows ManyAwkwardRows() {
  TGrepResultRows rows;
  const std::string lines[] = {"plain", "a, \"b\"", "cr\rlf\r\nlf\n", "", "  spaced ",
                               platform::Utf8ToCp932("表示\\ソ")};
  for (int i = 0; i < 30000; ++i)
    rows.AddData({"/d/dir " + std::to_string(i % 11) + "/f.txt", i, lines[i % 6] + std::string(i % 70, 'x'),
                 1 + i % 9, i % 4});
  return rows;
}

TEST(GrepHistoryTest, TheResultFileHoldsEachRowsCommaLine) {
  testing::TTempDir tmp;
  const TGrepResultRows rows = ManyAwkwardRows();
  StoreHistoryEntry(tmp.String(), 4, SampleParam(), rows);
  std::string expected;
  for (int i = 0; i < rows.DataCount(); ++i)
    expected += CsvLine({std::string(rows.FileName(i)), rows.LineNum(i), std::string(rows.Line(i)),
                         rows.MatchPos(i), rows.MatchLen(i)});
  EXPECT_EQ(ReadFile(tmp.Path() / "GrepResult.4"), expected);
}

// The disk fills part way through the rows: the entry's old result file
// stays whole and nothing is left beside it.
TEST(GrepHistoryTest, DiskFullPartWayKeepsTheOldResultFile) {
  testing::TTempDir tmp;
  const std::string oldParam = tmp.Write("GrepParam.2", GrepParamText(SampleParam()));
  const std::string oldResult = tmp.Write("GrepResult.2", "old,1,x,1,1\r\n");
  const TGrepResultRows rows = ManyAwkwardRows();
  {
    const testing::TFileSizeLimit full(600000);
    EXPECT_THROW(StoreHistoryEntry(tmp.String(), 2, SampleParam(), rows), EQuietAbort);
  }
  EXPECT_EQ(ReadFile(oldResult), "old,1,x,1,1\r\n");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(tmp.Path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"GrepParam.2", "GrepResult.2"}));
}

TEST(GrepHistoryTest, FailuresAreQuietAborts) {
  testing::TTempDir tmp;
  const std::string notAFolder = tmp.Write("file", "x");
  EXPECT_THROW(StoreHistoryEntry(notAFolder, 1, SampleParam(), TGrepResultRows()), EQuietAbort);
  EXPECT_THROW(LoadHistoryParam(tmp.String(), 1), EQuietAbort);
  tmp.Write("GrepParam.2", "s\r\nd\r\nm\r\n0\r\n");
  EXPECT_THROW(LoadHistoryParam(tmp.String(), 2), EQuietAbort);
  fs::create_directory(tmp.Path() / "GrepParam.3");
  EXPECT_THROW(LoadHistoryParam(tmp.String(), 3), EQuietAbort);
}

TEST(GrepHistoryTest, ClearingEmptiesTheFolderAndNeverFollowsALink) {
  testing::TTempDir tmp;
  testing::TTempDir outside;
  const std::string kept = outside.Write("precious/keep.txt", "keep");
  const std::string keptFile = outside.Write("file.txt", "keep too");
  tmp.Write("GrepParam.1", "x");
  tmp.Write(".hidden", "x");
  tmp.Write("sub/deeper/f.txt", "x");
  tmp.Write("locked/f.txt", "x");
  fs::permissions(tmp.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  fs::create_directory_symlink(outside.Path() / "precious", tmp.Path() / "link");
  fs::create_directory_symlink(outside.Path() / "precious", tmp.Path() / "sub" / "link");
  fs::create_symlink(keptFile, tmp.Path() / "filelink");
  fs::create_symlink(tmp.Path() / "missing", tmp.Path() / "dangling");

  ClearHistoryFolder(tmp.String());
  EXPECT_TRUE(fs::is_directory(tmp.Path()));
  EXPECT_TRUE(fs::is_empty(tmp.Path()));
  EXPECT_EQ(ReadFile(kept), "keep");
  EXPECT_EQ(ReadFile(keptFile), "keep too");
  // A missing folder is nothing to clear.
  ClearHistoryFolder(tmp.String() + "/absent");
}

// A writer killed at any moment leaves the entry's file as it was before or
// as it was meant to be, never a part of it.
TEST(GrepHistoryTest, AKilledWriterLeavesNoHalfFile) {
  testing::TTempDir tmp;
  TGrepResultRows big[2];
  for (int i = 0; i < 60000; ++i) {
    big[0].AddData({"/d/first.txt", i, "a line of the first entry, long enough to take time", 1, 4});
    big[1].AddData({"/d/second.txt", i, "another line, of the second entry", 1, 7});
  }
  const std::string texts[2] = {testing::CsvText(big[0]), testing::CsvText(big[1])};
  const fs::path result = tmp.Path() / "GrepResult.1";
  for (int delayUs : {0, 3000, 20000, 60000}) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      for (int round = 0;; ++round) {
        try {
          StoreHistoryEntry(tmp.String(), 1, SampleParam(), big[round % 2]);
        } catch (...) {
          _exit(2);
        }
      }
    }
    usleep(static_cast<useconds_t>(delayUs));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    if (fs::exists(result)) {
      const std::string text = ReadFile(result);
      EXPECT_TRUE(text == texts[0] || text == texts[1]) << "half file of " << text.size() << " bytes";
    }
  }
}

}  // namespace
}  // namespace tansa2
