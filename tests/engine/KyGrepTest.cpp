#include "engine/KyGrep.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;

struct THit {
  std::string line;
  int lineNum;
  int pos;
  int len;
  bool operator==(const THit&) const = default;
};

std::ostream& operator<<(std::ostream& out, const THit& hit) {
  return out << hit.lineNum << ":" << hit.line << "@" << hit.pos << "+" << hit.len;
}

class KyGrepTest : public ::testing::Test {
 protected:
  std::vector<THit> Grep(std::string_view bytes, const std::string& pattern, bool autoCode) {
    const std::string file = dir_.Write("f.txt", bytes);
    std::vector<THit> hits;
    grep_.RegExp = pattern;
    grep_.AutoCode = autoCode;
    grep_.OnMatch = [&](TKyGrep& sender, const TGrepHit& hit) {
      EXPECT_EQ(sender.FileName(), file);
      EXPECT_EQ(hit.FileName, file);
      hits.push_back({std::string(hit.Line), hit.LineNum, hit.MatchPos, hit.MatchLen});
    };
    const int count = grep_.GrepFile(file);
    EXPECT_EQ(count, static_cast<int>(hits.size()));
    return hits;
  }
  // Every line of the file, as the mode reads them.
  std::vector<THit> Lines(std::string_view bytes, bool autoCode) {
    return Grep(bytes, "m/^/k", autoCode);
  }

  testing::TTempDir dir_;
  TKyGrep grep_;
};

TEST_F(KyGrepTest, RawLinesEndAtLfOrCrLfAndDropLoneCr) {
  EXPECT_EQ(Lines("a\rb\r\nc", false),
            (std::vector<THit>{{"ab", 1, 1, 0}, {"c", 2, 1, 0}}));
  EXPECT_EQ(Lines("x\n\ny\n", false),
            (std::vector<THit>{{"x", 1, 1, 0}, {"", 2, 1, 0}, {"y", 3, 1, 0}}));
}

TEST_F(KyGrepTest, RawFileEndsWhereALineBeginsWithEof) {
  EXPECT_EQ(Lines("x\n\x1Ay\nz", false), (std::vector<THit>{{"x", 1, 1, 0}}));
  EXPECT_EQ(Lines("a\x1A" "b\n", false), (std::vector<THit>{{"a\x1A" "b", 1, 1, 0}}));
}

TEST_F(KyGrepTest, ConvertedLinesEndAtCrLfOrCrLfAndStopAtNul) {
  EXPECT_EQ(Lines("a\rb\r\nc", true),
            (std::vector<THit>{{"a", 1, 1, 0}, {"b", 2, 1, 0}, {"c", 3, 1, 0}}));
  EXPECT_EQ(Lines("a\n\r\nb\r", true),
            (std::vector<THit>{{"a", 1, 1, 0}, {"", 2, 1, 0}, {"b", 3, 1, 0}}));
  EXPECT_EQ(Lines(std::string("a\0b", 3), true), (std::vector<THit>{{"a", 1, 1, 0}}));
}

TEST_F(KyGrepTest, RawModeSkipsFilesWithNulInTheirHead) {
  EXPECT_TRUE(Lines(std::string(2047, 'a') + '\0' + "\nabc", false).empty());
  // A NUL past the first 2048 bytes doesn't make the file binary.
  EXPECT_EQ(Grep(std::string(2048, 'x') + '\0' + "\nabc", "m/abc/k", false).size(), 1u);
}

TEST_F(KyGrepTest, EmptyFileGivesNothingInBothModes) {
  EXPECT_TRUE(Lines("", false).empty());
  EXPECT_TRUE(Lines("", true).empty());
}

TEST_F(KyGrepTest, OneCallbackPerLineWithTheFirstMatch) {
  EXPECT_EQ(Grep("abcabc\nxyz\nzabc", "m/abc/k", false),
            (std::vector<THit>{{"abcabc", 1, 1, 3}, {"zabc", 3, 2, 3}}));
}

TEST_F(KyGrepTest, JapaneseMatchesDependOnTheMode) {
  const std::string word = Utf8ToCp932("日本語");
  const std::string pattern = "m/" + word + "/k";
  // EUC-JP of "日本語の文" on the second line.
  const std::string euc = "first\n\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xCA\xB8\n";
  EXPECT_TRUE(Grep(euc, pattern, false).empty());
  EXPECT_EQ(Grep(euc, pattern, true),
            (std::vector<THit>{{Utf8ToCp932("日本語の文"), 2, 1, 6}}));
  EXPECT_EQ(Grep(Utf8ToCp932("ああ日本語\n"), pattern, false),
            (std::vector<THit>{{Utf8ToCp932("ああ日本語"), 1, 5, 6}}));
}

TEST_F(KyGrepTest, ConvertedModeRaisesForAMissingFileRawModeSkipsIt) {
  grep_.RegExp = "m/a/k";
  grep_.OnMatch = [](TKyGrep&, const TGrepHit&) {};
  grep_.AutoCode = false;
  EXPECT_EQ(grep_.GrepFile(dir_.String() + "/missing"), 0);
  grep_.AutoCode = true;
  EXPECT_THROW(grep_.GrepFile(dir_.String() + "/missing"), platform::EFOpenError);
}

TEST_F(KyGrepTest, InvalidPatternRaisesAtTheFirstLine) {
  EXPECT_THROW(Grep("abc\n", "m/(/k", false), EBRegExpError);
}

TEST_F(KyGrepTest, CancelStopsAfterTheCurrentLine) {
  const std::string file = dir_.Write("f.txt", "a1\na2\na3\n");
  int calls = 0;
  grep_.RegExp = "m/a/k";
  for (bool autoCode : {false, true}) {
    calls = 0;
    grep_.AutoCode = autoCode;
    grep_.OnMatch = [&](TKyGrep& sender, const TGrepHit&) {
      ++calls;
      sender.Cancel();
    };
    EXPECT_EQ(grep_.GrepFile(file), 1);
    EXPECT_EQ(calls, 1);
  }
}

TEST_F(KyGrepTest, MessagesArePumpedAfterEveryMatch) {
  int pumps = 0;
  grep_.ProcessMessages = [&] { ++pumps; };
  EXPECT_EQ(Grep("a\nb\na\n", "m/a/k", true).size(), 2u);
  EXPECT_EQ(pumps, 2);
}

TEST_F(KyGrepTest, NoHandlerMeansNoSearch) {
  const std::string file = dir_.Write("f.txt", "a\n");
  grep_.RegExp = "m/a/k";
  EXPECT_EQ(grep_.GrepFile(file), 0);
}


TEST_F(KyGrepTest, QueuedFilesReportInQueueOrderAndFailInTurn) {
  std::vector<std::string> files;
  for (int i = 0; i < 40; ++i)
    files.push_back(dir_.Write(std::to_string(i) + ".txt", std::string(i * 5000, 'x') + "\nhit " + std::to_string(i) + "\n"));
  std::vector<std::string> reported;
  std::vector<std::string> done;
  grep_.RegExp = "m/hit/k";
  grep_.AutoCode = true;
  grep_.OnMatch = [&](TKyGrep& sender, const TGrepHit& hit) {
    EXPECT_EQ(hit.LineNum, 2);
    reported.push_back(sender.FileName() + ":" + std::string(hit.Line));
  };
  grep_.OnFileDone = [&](const std::string& name) { done.push_back(name); };
  for (const std::string& file : files) grep_.QueueFile(file);
  grep_.FinishQueue();
  ASSERT_EQ(reported.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(reported[i], files[i] + ":hit " + std::to_string(i));
  EXPECT_EQ(done, files);

  // A file that can't be opened fails when its turn comes; nothing after it is reported.
  reported.clear();
  grep_.QueueFile(files[0]);
  grep_.QueueFile(dir_.String() + "/missing.txt");
  grep_.QueueFile(files[1]);
  EXPECT_THROW(grep_.FinishQueue(), platform::EFOpenError);
  EXPECT_EQ(reported, std::vector<std::string>{files[0] + ":hit 0"});
  // The queue is empty afterwards, and a later search starts afresh.
  reported.clear();
  grep_.QueueFile(files[2]);
  grep_.FinishQueue();
  EXPECT_EQ(reported, std::vector<std::string>{files[2] + ":hit 2"});

  // With a handler, a file that can't be opened, raw or converted, is
  // reported with its reason and the run goes on.
  const std::string missing = dir_.String() + "/missing.txt";
  for (bool autoCode : {false, true}) {
    grep_.AutoCode = autoCode;
    reported.clear();
    done.clear();
    std::vector<std::string> failed;
    grep_.OnFileError = [&](const TGrepFileError& error) {
      EXPECT_EQ(error.Stage, TGrepFileError::feOpen);
      EXPECT_EQ(error.SystemError, ENOENT);
      failed.push_back(std::string(error.FileName));
    };
    grep_.QueueFile(missing);
    grep_.QueueFile(files[2]);
    grep_.FinishQueue();
    EXPECT_EQ(failed, std::vector<std::string>{missing});
    EXPECT_EQ(reported, std::vector<std::string>{files[2] + ":hit 2"});
    EXPECT_EQ(done, std::vector<std::string>{files[2]});
  }
}

// Files hit on every line, more found text than the workers may hold before
// the owner reports it (an owner that searches too holds less than a
// window): while the owner lags over the first file they wait for it, and
// every line still comes, file after file.
TEST_F(KyGrepTest, DenseHitsArriveWholeAndInOrderWhileTheOwnerLags) {
  constexpr int kFiles = 12;
  constexpr int kLines = 16384;
  std::string text;
  for (int line = 0; line < kLines; ++line) text += "hit " + std::string(59, 'x') + "\n";  // 1 MiB
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) files.push_back(dir_.Write(std::to_string(i) + ".txt", text));
  for (const bool window : {false, true}) {
    SCOPED_TRACE(window ? "an owner with a window" : "an owner that searches too");
    TKyGrep grep;
    std::vector<std::pair<std::string, int>> counts;
    grep.RegExp = "m/hit/k";
    grep.AutoCode = true;
    if (window) grep.ProcessMessages = [] {};
    grep.OnMatch = [&](TKyGrep& sender, const TGrepHit& hit) {
      if (counts.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (counts.empty() || counts.back().first != sender.FileName()) counts.emplace_back(sender.FileName(), 0);
      EXPECT_EQ(hit.LineNum, ++counts.back().second);
    };
    for (const std::string& file : files) grep.QueueFile(file);
    grep.FinishQueue();
    ASSERT_EQ(counts.size(), files.size());
    for (int i = 0; i < kFiles; ++i) EXPECT_EQ(counts[i], std::make_pair(files[i], kLines));
  }
}

}  // namespace
}  // namespace tansa2
