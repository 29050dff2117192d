#include "session/GrepRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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

// Records what the run hands its sink; `onHit` replaces the record of hits.
class TRecordingSink : public TGrepSink {
 public:
  bool FileBegun(std::string_view fileName) override {
    events.push_back("begin " + std::string(fileName));
    return true;
  }
  bool Matched(const TGrepHit& hit) override {
    if (onHit) return onHit(hit);
    hits.push_back(std::string(hit.FileName) + ":" + std::to_string(hit.LineNum));
    return true;
  }
  bool FileEnded(std::string_view fileName, int hitCount) override {
    events.push_back("end " + std::string(fileName) + " " + std::to_string(hitCount));
    return true;
  }
  bool FileFailed(const TGrepFileError& error) override {
    events.push_back("failed " + std::string(error.FileName));
    return goOnAfterFailure;
  }

  std::vector<std::string> hits;
  std::vector<std::string> events;
  std::function<bool(const TGrepHit&)> onHit;
  bool goOnAfterFailure = true;
};

class GrepRunTest : public ::testing::Test {
 protected:
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
  // The sink's hits with paths relative to the tree.
  std::vector<std::string> Hits() const {
    std::vector<std::string> hits;
    for (const std::string& hit : sink_.hits) hits.push_back(hit.substr(dir_.String().size() + 1));
    return hits;
  }
  testing::TTempDir dir_;
  TRecordingSink sink_;
  TGrepRun run_{sink_};
};

TEST_F(GrepRunTest, EachMaskWalksTheWholeTree) {
  dir_.Write("b.h", "hit\n");
  dir_.Write("a.c", "hit\n");
  dir_.Write("sub/c.c", "hit\n");
  dir_.Write("sub/d.h", "hit\n");
  dir_.Write(".hidden.c", "hit\n");
  EXPECT_EQ(Search("hit", "*.c *.h", true), 0u);
  EXPECT_EQ(Hits(), (std::vector<std::string>{"a.c:1", "sub/c.c:1", "b.h:1", "sub/d.h:1"}));
  EXPECT_EQ(run_.HitCount(), 4);
}

TEST_F(GrepRunTest, ExcludedExtensionsAndLargeFilesAreSkipped) {
  dir_.Write("a.TXT", "hit\n");
  dir_.Write("b.log", "hit\n");
  dir_.Write("noext", "hit\n");
  run_.NoFileExtList.Assign("txt");
  EXPECT_EQ(Search("hit", "*.*", false), 0u);
  EXPECT_EQ(Hits(), (std::vector<std::string>{"b.log:1", "noext:1"}));

  sink_.hits.clear();
  run_.NoFileExtList.Assign("");
  run_.MaxFileSize = 1;
  dir_.Write("big.log", std::string(1048576 - 4, 'x') + "\nhit");
  dir_.Write("edge.log", std::string(1048575 - 4, 'x') + "\nhit");
  EXPECT_EQ(Search("hit", "big.log,edge.log", false), 0u);
  EXPECT_EQ(Hits(), (std::vector<std::string>{"edge.log:2"}));

  sink_.hits.clear();
  run_.MaxFileSize = 0;  // nothing is small enough
  EXPECT_EQ(Search("hit", "*.*", false), 0u);
  EXPECT_TRUE(sink_.hits.empty());
}

TEST_F(GrepRunTest, CancelEndsTheRunAndSkipsTheRemainingMasks) {
  dir_.Write("a.c", "hit\nhit\n");
  dir_.Write("b.c", "hit\n");
  dir_.Write("c.h", "hit\n");
  // A cancel, or a sink that says no more, ends the run after that hit.
  int hits = 0;
  for (bool bySink : {false, true}) {
    hits = 0;
    sink_.onHit = [&](const TGrepHit&) {
      ++hits;
      if (bySink) return false;
      run_.Cancel();
      return true;
    };
    EXPECT_EQ(Search("hit", "*.c,*.h", false), 1223u);
    EXPECT_EQ(hits, 1);
  }
  // The next run starts afresh.
  hits = 0;
  sink_.onHit = [&](const TGrepHit&) { return ++hits > 0; };
  EXPECT_EQ(Search("hit", "*.c,*.h", false), 0u);
  EXPECT_EQ(hits, 4);
}

TEST_F(GrepRunTest, OneByteDirectoryIsRelativeToTheCurrentOne) {
  dir_.Write("a.txt", "hit\n");
  dir_.Write("s/b.txt", "hit\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  std::vector<std::string> files;
  sink_.onHit = [&](const TGrepHit& hit) {
    files.emplace_back(hit.FileName);
    return true;
  };
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

TEST_F(GrepRunTest, EverySearchedFileBeginsAndEndsWithItsHitCount) {
  const std::string a = dir_.Write("a.txt", "x\nhit\nhit\n");
  const std::string b = dir_.Write("sub/b.txt", "x\n");
  EXPECT_EQ(Search("hit", "*.txt", true), 0u);
  EXPECT_EQ(sink_.events, (std::vector<std::string>{"begin " + a, "end " + a + " 2", "begin " + b, "end " + b + " 0"}));
  EXPECT_EQ(run_.HitCount(), 2);
}

// A file that goes between its listing and its reading.
class TVanishingFileRun : public TGrepRun {
 public:
  using TGrepRun::TGrepRun;
  std::string vanishing;

 protected:
  void KyFindFileFind(const TFindData& data, const std::string& currentDir) override {
    if (data.cFileName == vanishing) std::filesystem::remove(currentDir + "/" + vanishing);
    TGrepRun::KyFindFileFind(data, currentDir);
  }
};

TEST_F(GrepRunTest, FilesThatCantBeReadGoToTheSinkWhichDecidesWhetherTheRunGoesOn) {
  const std::string a = dir_.Write("a.txt", "hit\n");
  const std::string b = dir_.String() + "/b.txt";
  const std::string c = dir_.Write("c.txt", "hit\n");
  TVanishingFileRun run_(sink_);
  run_.vanishing = "b.txt";
  for (bool autoCode : {false, true})
    for (bool goOn : {true, false}) {
      sink_.events.clear();
      sink_.hits.clear();
      sink_.goOnAfterFailure = goOn;
      dir_.Write("b.txt", "hit\n");
      TGrepParam param;
      param.GrepStr = "hit";
      param.GrepDir = dir_.String();
      param.FileMask = "*.txt";
      param.AutoCode = autoCode;
      ASSERT_EQ(CheckGrepInput(param), TGrepField::None);
      run_.Prepare(param);
      EXPECT_EQ(run_.SearchMasks(param.FileMask), goOn ? 0u : 1223u);
      std::vector<std::string> expected{"begin " + a, "end " + a + " 1", "failed " + b};
      if (goOn) expected.insert(expected.end(), {"begin " + c, "end " + c + " 1"});
      EXPECT_EQ(sink_.events, expected) << autoCode;
    }
}

TEST_F(GrepRunTest, SlashAfterADoubleByteBackslashCodeIsFound) {
  dir_.Write("a.txt", Utf8ToCp932("表計算\n表/計算\n"));
  EXPECT_EQ(Search(Utf8ToCp932("表/"), "*.*", false), 0u);
  EXPECT_EQ(Hits(), (std::vector<std::string>{"a.txt:2"}));
}


TEST_F(GrepRunTest, StaysBusyUntilTheLastHitIsReported) {
  for (int i = 0; i < 20; ++i) dir_.Write("sub/" + std::to_string(i) + ".txt", std::string(20000, 'x') + "\nhit\n");
  int busyHits = 0;
  sink_.onHit = [&](const TGrepHit&) {
    busyHits += run_.Busy();
    return true;
  };
  EXPECT_EQ(Search("hit", "*.txt", true), 0u);
  EXPECT_EQ(busyHits, 20);
  EXPECT_FALSE(run_.Busy());
}

}  // namespace
}  // namespace tansa2
