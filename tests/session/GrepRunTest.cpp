#include "session/GrepRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;

TEST(GrepPatternTest, RegularExpressionModeEscapesOnlyBareSlashes) {
  EXPECT_EQ(EscapeSlash("a/b"), "a\\/b");
  EXPECT_EQ(EscapeSlash("a\\/b"), "a\\/b");
  EXPECT_EQ(EscapeSlash("/"), "\\/");
  // An escaped backslash doesn't escape the slash after it.
  EXPECT_EQ(EscapeSlash("a\\\\/b"), "a\\\\\\/b");
  // 表 and ソ end in the byte 0x5C, which is not a backslash there.
  const std::string hyo = Utf8ToCp932("表");
  ASSERT_EQ(hyo, "\x95\x5C");
  EXPECT_EQ(EscapeSlash(hyo + "/"), hyo + "\\/");
  EXPECT_EQ(EscapeSlash(Utf8ToCp932("ソ/能/")), Utf8ToCp932("ソ\\/能\\/"));
}

TEST(GrepPatternTest, PlainTextModeEscapesTheMetaCharacters) {
  EXPECT_EQ(EscapeMetaChars("1+1=2"), "1\\+1=2");
  // The slash is left to the pattern's reader; braces would make a repeat.
  EXPECT_EQ(EscapeMetaChars("a/b{1}"), "a/b\\{1\\}");
  EXPECT_EQ(EscapeMetaChars("$()*+-.?[\\]^|"), "\\$\\(\\)\\*\\+\\-\\.\\?\\[\\\\\\]\\^\\|");
  // Trail bytes 0x5C, 0x5B-0x5E and 0x7C stay as they are.
  const std::string trails = "\x95\x5C\x83\x5B\x83\x7C\x83\x5D";
  EXPECT_EQ(EscapeMetaChars(trails), trails);
  // A lead byte cut off at the end is copied, not paired with nothing.
  EXPECT_EQ(EscapeMetaChars("a\x95"), "a\x95");
}

TEST(GrepPatternTest, PatternCarriesTheFlags) {
  TGrepParam param;
  param.GrepStr = "a/b";
  EXPECT_EQ(GrepPattern(param), "m/a\\/b/ki");
  param.MatchCase = true;
  EXPECT_EQ(GrepPattern(param), "m/a\\/b/k");
  param.NoRegExp = true;
  EXPECT_EQ(GrepPattern(param), "m/a/b/k");
}

class CheckGrepInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    param_.GrepStr = "x";
    param_.GrepDir = " \t" + dir_.String() + "  ";
    param_.FileMask = " *.txt ";
  }
  testing::TTempDir dir_;
  TGrepParam param_;
};

TEST_F(CheckGrepInputTest, TrimsTheFieldsAndFillsTheDirectoryMask) {
  param_.SubDir = true;
  param_.DirMask = "  ";
  EXPECT_EQ(CheckGrepInput(param_), TGrepField::None);
  EXPECT_EQ(param_.GrepDir, dir_.String());
  EXPECT_EQ(param_.FileMask, "*.txt");
  EXPECT_EQ(param_.DirMask, "*.*");
}

TEST_F(CheckGrepInputTest, NamesTheFirstFieldThatCantBeSearched) {
  param_.GrepStr = " ";  // blanks are a valid search string
  EXPECT_EQ(CheckGrepInput(param_), TGrepField::None);
  param_.GrepStr.clear();
  EXPECT_EQ(CheckGrepInput(param_), TGrepField::GrepStr);
  param_.GrepStr = "x";
  param_.GrepDir = dir_.String() + "/missing";
  EXPECT_EQ(CheckGrepInput(param_), TGrepField::GrepDir);
  param_.GrepDir = " ";
  EXPECT_EQ(CheckGrepInput(param_), TGrepField::GrepDir);
  EXPECT_EQ(param_.GrepDir, "");
  param_.GrepDir = dir_.String();
  param_.FileMask = " \t ";
  EXPECT_EQ(CheckGrepInput(param_), TGrepField::FileMask);
}

TEST(GrepTextsTest, CountsAndSummary) {
  EXPECT_EQ(FormatCount(0), "0");
  EXPECT_EQ(FormatCount(999), "999");
  EXPECT_EQ(FormatCount(1234), "1,234");
  EXPECT_EQ(FormatCount(1234567), "1,234,567");
  EXPECT_EQ(FormatCount(-1234), "-1,234");
  EXPECT_EQ(GrepSummaryText(0, 500), Utf8ToCp932("0個検索しました。(Elapsed time 0:00.500)"));
  EXPECT_EQ(GrepSummaryText(1234, 65040), Utf8ToCp932("1,234個検索しました。(Elapsed time 1:05.040)"));
  // Minutes are not limited to 59.
  EXPECT_EQ(GrepSummaryText(1, 3600000), Utf8ToCp932("1個検索しました。(Elapsed time 60:00.000)"));
}

TEST(NoFileExtListTest, ItemsAreTrimmedAndComparedWithoutCase) {
  TNoFileExtList list;
  list.Assign("exe, TXT ,,\"a b\"");
  EXPECT_TRUE(list.Contains("txt"));
  EXPECT_TRUE(list.Contains("EXE"));
  EXPECT_TRUE(list.Contains("a b"));
  EXPECT_FALSE(list.Contains(""));
  EXPECT_FALSE(list.Contains("ex"));
  EXPECT_EQ(list.CommaText(), "\"a b\",exe,TXT");
  list.Assign(" txt, TXT, bak,Txt");
  EXPECT_EQ(list.CommaText(), "bak,txt");
  list.Assign("");
  EXPECT_FALSE(list.Contains("exe"));
  EXPECT_EQ(list.CommaText(), "");
}

class GrepRunTest : public ::testing::Test {
 protected:
  GrepRunTest() {
    run_.OnHit = [this](const TGrepHit& hit) {
      hits_.push_back(hit.FileName.substr(dir_.String().size() + 1) + ":" +
                      std::to_string(hit.LineNum));
    };
  }
  uint32_t Search(const std::string& str, const std::string& masks, bool subDir) {
    TGrepParam param;
    param.GrepStr = str;
    param.GrepDir = dir_.String();
    param.FileMask = masks;
    param.SubDir = subDir;
    EXPECT_EQ(CheckGrepInput(param), TGrepField::None);
    run_.Prepare(param);
    return run_.SearchMasks(param.FileMask);
  }
  testing::TTempDir dir_;
  TGrepRun run_;
  std::vector<std::string> hits_;
};

TEST_F(GrepRunTest, EachMaskWalksTheWholeTree) {
  dir_.Write("b.h", "hit\n");
  dir_.Write("a.c", "hit\n");
  dir_.Write("sub/c.c", "hit\n");
  dir_.Write("sub/d.h", "hit\n");
  dir_.Write(".hidden.c", "hit\n");
  EXPECT_EQ(Search("hit", "*.c *.h", true), 0u);
  EXPECT_EQ(hits_, (std::vector<std::string>{"a.c:1", "sub/c.c:1", "b.h:1", "sub/d.h:1"}));
  EXPECT_EQ(run_.HitCount(), 4);
}

TEST_F(GrepRunTest, ExcludedExtensionsAndLargeFilesAreSkipped) {
  dir_.Write("a.TXT", "hit\n");
  dir_.Write("b.log", "hit\n");
  dir_.Write("noext", "hit\n");
  run_.NoFileExtList.Assign("txt");
  EXPECT_EQ(Search("hit", "*.*", false), 0u);
  EXPECT_EQ(hits_, (std::vector<std::string>{"b.log:1", "noext:1"}));

  hits_.clear();
  run_.NoFileExtList.Assign("");
  run_.MaxFileSize = 1;
  dir_.Write("big.log", std::string(1048576 - 4, 'x') + "\nhit");
  dir_.Write("edge.log", std::string(1048575 - 4, 'x') + "\nhit");
  EXPECT_EQ(Search("hit", "big.log,edge.log", false), 0u);
  EXPECT_EQ(hits_, (std::vector<std::string>{"edge.log:2"}));

  hits_.clear();
  run_.MaxFileSize = 0;  // nothing is small enough
  EXPECT_EQ(Search("hit", "*.*", false), 0u);
  EXPECT_TRUE(hits_.empty());
}

TEST_F(GrepRunTest, CancelEndsTheRunAndSkipsTheRemainingMasks) {
  dir_.Write("a.c", "hit\nhit\n");
  dir_.Write("b.c", "hit\n");
  dir_.Write("c.h", "hit\n");
  run_.OnHit = [this](const TGrepHit&) {
    hits_.push_back("hit");
    run_.Cancel();
  };
  EXPECT_EQ(Search("hit", "*.c,*.h", false), 1223u);
  EXPECT_EQ(hits_.size(), 1u);
  // The next run starts afresh.
  hits_.clear();
  run_.OnHit = [this](const TGrepHit&) { hits_.push_back("hit"); };
  EXPECT_EQ(Search("hit", "*.c,*.h", false), 0u);
  EXPECT_EQ(hits_.size(), 4u);
}

TEST_F(GrepRunTest, OneByteDirectoryIsRelativeToTheCurrentOne) {
  dir_.Write("a.txt", "hit\n");
  dir_.Write("s/b.txt", "hit\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  std::vector<std::string> files;
  run_.OnHit = [&](const TGrepHit& hit) { files.push_back(hit.FileName); };
  for (const char* dir : {".", "s", "./s", "s/"}) {
    TGrepParam param;
    param.GrepStr = "hit";
    param.GrepDir = dir;
    param.FileMask = "*.txt";
    EXPECT_EQ(CheckGrepInput(param), TGrepField::None);
    run_.Prepare(param);
    EXPECT_EQ(run_.SearchMasks(param.FileMask), 0u);
  }
  std::filesystem::current_path(previous);
  // Each path starts as the directory was written, one trailing slash off.
  EXPECT_EQ(files, (std::vector<std::string>{"./a.txt", "s/b.txt", "./s/b.txt", "s/b.txt"}));
}

TEST_F(GrepRunTest, ReportsEverySearchedFileByName) {
  dir_.Write("a.txt", "x\n");
  dir_.Write("sub/b.txt", "x\n");
  std::vector<std::string> names;
  run_.OnFileSearched = [&](std::string_view name) { names.emplace_back(name); };
  EXPECT_EQ(Search("nothing", "*.txt", true), 0u);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(run_.HitCount(), 0);
}

TEST_F(GrepRunTest, SlashAfterADoubleByteBackslashCodeIsFound) {
  dir_.Write("a.txt", Utf8ToCp932("表計算\n表/計算\n"));
  EXPECT_EQ(Search(Utf8ToCp932("表/"), "*.*", false), 0u);
  EXPECT_EQ(hits_, (std::vector<std::string>{"a.txt:2"}));
}


TEST_F(GrepRunTest, StaysBusyUntilTheLastHitIsReported) {
  for (int i = 0; i < 20; ++i) dir_.Write("sub/" + std::to_string(i) + ".txt", std::string(20000, 'x') + "\nhit\n");
  int busyHits = 0;
  run_.OnHit = [&](const TGrepHit&) { busyHits += run_.Busy(); };
  EXPECT_EQ(Search("hit", "*.txt", true), 0u);
  EXPECT_EQ(busyHits, 20);
  EXPECT_FALSE(run_.Busy());
}

}  // namespace
}  // namespace tansa2
