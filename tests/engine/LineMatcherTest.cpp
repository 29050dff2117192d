// The whole-buffer matcher must give exactly what testing every line does.
#include "engine/LineMatcher.h"
#include "engine/KyConvert.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/PlainReading.h"

namespace tansa2 {
namespace {

using testing::TRow;

std::vector<TRow> PlainRows(std::string_view text, const std::string& pattern, bool raw,
                            TBRegExp& regExp) {
  return testing::MatchingRows(raw ? testing::RawLines(text) : testing::ConvertedLines(text), pattern, regExp);
}

std::vector<TRow> FastRows(std::string_view text, const std::string& pattern, bool raw,
                           TLineMatcher& matcher) {
  matcher.SetPattern(pattern);
  std::vector<TRow> rows;
  const std::atomic<bool> cancel = false;
  auto onLine = [&](std::string_view line, int lineNum, int pos, int len) {
    rows.push_back({lineNum, std::string(line), pos, len});
    return true;
  };
  const int count = raw ? matcher.MatchRaw(text, onLine, cancel) : matcher.MatchConverted(text, onLine, cancel);
  EXPECT_EQ(count, static_cast<int>(rows.size()));
  return rows;
}

// Shift-JIS text made of pieces that trip byte-level searches: trail bytes
// that look like "\" and "|" and letters, line breaks of every kind, NUL and EOF.
const std::vector<std::string> kPieces = {
    "a", "b", "A", "B", "ab", "AB", " ", "\t", "\r", "\n", "\r\n", "\n\n", "\x1A", std::string(1, '\0'),
    "\x95\x5C",  // 表
    "\x83\x5C",  // ソ
    "\x94\x5C",  // 能
    "\x83\x7C",  // ポ
    "\x83\x41",  // ア (trail byte "A")
    "\x82\x60",  // Ａ
    "\x82\x81",  // ａ
    "\x93\x8C\x8B\x9E",  // 東京
    "\x93\x73",  // 都
    "\x95\x7B",  // 本
    "\xB1", "\xDE",  // half-width katakana
    "\x89",  // a lead byte alone, which takes the line break after it as its second byte
    "|", "\\", "/", ".",
};

std::string RandomText(std::mt19937& random) {
  std::string text;
  const int pieces = std::uniform_int_distribution<int>(0, 60)(random);
  for (int i = 0; i < pieces; ++i) text += kPieces[random() % kPieces.size()];
  if (random() % 8 == 0) text += std::string(random() % 400, 'x');  // a long line
  return text;
}

std::vector<std::string> Patterns() {
  return {
      "m/a/k", "m/ab/ki", "m/AB/k", "m/b/ki", "m/\x95\x5C/k", "m/\x83\x5C\\//k",
      "m/\x83\x7C/k", "m/\x83\x41/k", "m/A/ki", "m/\x82\x60/ki", "m/\x93\x8C\x8B\x9E/k",
      "m/\x93\x8C.{0,3}[\x93\x73\x95\x7B]/k", "m/a+b/ki", "m/ab*A/k", "m/^a/k", "m/b$/k",
      "m/a|\x95\x5C/k", "m/(ab)+/ki", "m/\\x41/k", "m/\\|/k", "m/[|]a/k", "m/x{2,}a/k",
      "m/x{3}/k", "m/\\\\/k", "m/\\./k", "m/\\w\\d/k", "m/ /k", "m/a\\tb/k",
      // alternations of words, and patterns without any word
      "m/\x83\x5C|\x83\x7C|\\\\/k", "m/(?:ab|\x95\x5C)x?/ki", "m/\x83\x41|a/ki",
      "m/[\x83\x40-\x83\x96]{2,}/k", "m/x*/k", "m/[a-c]+[|.]/ki", "m/[\x88\x9F-\x98\x72]/k", "m/\\h\\d?/k",
      // runs of a class: across lead bytes, of listed characters with trail
      // bytes like "\\", after another item, and before a word boundary
      "m/[\x88\x9F-\x98\x72]{2}/k", "m/[\x83\x41\x83\x5C\x95\x5C]{2}a?/ki", "m/a[\x83\x40-\x83\x96]{2}/k",
      "m/[\x83\x40-\x95\x7B]{2}\\b/k",
      // runs of several classes: from the match's start, and after a look-behind
      "m/[\x83\x40-\x83\x96][\x88\x9F-\x98\x72]{2}/k", "m/(?<=a)[\x83\x40-\x83\x96]\x95\x5C/k",
      "m/[\x88\x9F-\x98\x72]+\x83\x41[\x83\x40-\x83\x96]/k",
  };
}

TEST(LineMatcherTest, AgreesWithTheLineByLineReadingOnRandomText) {
  for (const std::string& pattern : Patterns()) {
    std::mt19937 random(20261208);
    TLineMatcher matcher;
    TBRegExp regExp;
    for (int round = 0; round < 5000; ++round) {
      const std::string text = RandomText(random);
      for (bool raw : {false, true}) {
        ASSERT_EQ(FastRows(text, pattern, raw, matcher), PlainRows(text, pattern, raw, regExp))
            << "pattern " << pattern << (raw ? " raw" : " converted") << " round " << round;
      }
    }
  }
}

// Texts longer than the stretch a pattern runs over at once, so that
// stretches end in every kind of line, and half-way through CR LF.
TEST(LineMatcherTest, AgreesWithTheLineByLineReadingOnLongText) {
  std::mt19937 random(8122026);
  TLineMatcher matcher;
  TBRegExp regExp;
  for (int round = 0; round < 6; ++round) {
    std::string text;
    while (text.size() < 300000) text += RandomText(random);
    for (const char* pattern : {"m/[\x83\x40-\x83\x96]{2,}/k", "m/\\d|x{40}/k", "m/x*/k", "m/(?:ab|A\x95\x5C)/ki",
                                "m/[\x88\x9F-\x98\x72]/k"})
      for (bool raw : {false, true})
        ASSERT_EQ(FastRows(text, pattern, raw, matcher), PlainRows(text, pattern, raw, regExp))
            << "pattern " << pattern << (raw ? " raw" : " converted") << " round " << round;
  }
}

std::vector<TRow> FastRows(std::string_view text, const std::string& pattern, bool raw) {
  TLineMatcher matcher;
  return FastRows(text, pattern, raw, matcher);
}

TEST(LineMatcherTest, LineNumbersCountEveryKindOfBreak) {
  const std::string text = "x\r\ny\rz\n\n\r\nhit\rhit\n";
  EXPECT_EQ(FastRows(text, "m/hit/k", false),
            (std::vector<TRow>{{6, "hit", 1, 3}, {7, "hit", 1, 3}}));
  EXPECT_EQ(FastRows("x\r\ny\n\nhit\r\n", "m/hit/k", true), (std::vector<TRow>{{4, "hit", 1, 3}}));
}

TEST(LineMatcherTest, BrokenPatternFailsOnlyWhenThereIsALine) {
  EXPECT_TRUE(FastRows("", "m/(a/k", false).empty());
  EXPECT_THROW(FastRows("zzz\nzzz", "m/(a/k", false), EBRegExpError);
  // Nothing of a pattern searched before, which found lines by a run, stays.
  TLineMatcher matcher;
  FastRows("\x83\x41\x83\x41", "m/[\x83\x40-\x83\x96]{2}/k", false, matcher);
  EXPECT_THROW(FastRows("zzz\nzzz", "m/[\x83\x40-\x83\x96]{2}(/k", false, matcher), EBRegExpError);
}

TEST(LineMatcherTest, StopsWhenTheCallerSaysSo) {
  TLineMatcher matcher;
  matcher.SetPattern("m/a/k");
  const std::atomic<bool> cancel = false;
  int calls = 0;
  EXPECT_EQ(matcher.MatchConverted("a\na\na\n", [&](auto, int, int, int) { return ++calls < 2; }, cancel), 2);
  EXPECT_EQ(calls, 2);
}

// A cancel is seen after the line it came on, whichever way the lines are
// found: by a word, by running over stretches of lines, or line by line.
TEST(LineMatcherTest, ACancelStopsAfterTheLineItCameOn) {
  std::string text;
  for (int i = 0; i < 50000; ++i) text += "ab 12\n";
  for (const char* pattern : {"m/ab/k", "m/\\d+/k", "m/^a/k"}) {
    TLineMatcher matcher;
    matcher.SetPattern(pattern);
    std::atomic<bool> cancel = false;
    int calls = 0;
    auto onLine = [&](auto, int, int, int) {
      cancel = ++calls == 3;
      return true;
    };
    EXPECT_EQ(matcher.MatchConverted(text, onLine, cancel), 3) << pattern;
    EXPECT_EQ(calls, 3) << pattern;
  }
}

// A file is matched in its own code only where that is sound: what it
// finds, or -1 when the file must be converted whole.
// The room for a converted candidate line grows with a longer line, and its
// bytes may move then: the line is read where the conversion left it.
TEST(LineMatcherTest, AConvertedCandidateLineIsReadWhereItWasConverted) {
  TLineMatcher matcher;
  matcher.SetPattern("m/a/k");
  const std::atomic<bool> cancel = false;
  for (const std::string& line : {std::string("a"), "a" + std::string(40, 'b'), "a" + std::string(4000, 'c')}) {
    std::vector<std::string> found;
    matcher.MatchEncoded(
        "x\n" + line + "\n", kcUtf8,
        [&](std::string_view text, int, int, int) { return found.emplace_back(text), true; }, cancel);
    EXPECT_EQ(found, std::vector<std::string>{line}) << line.size();
  }
}

TEST(LineMatcherTest, FilesAreMatchedInTheirOwnCodeOnlyWhereThatIsSound) {
  TLineMatcher matcher;
  const std::atomic<bool> cancel = false;
  std::vector<int> lines;
  auto outcome = [&](std::string_view raw, int code) {
    lines.clear();
    const std::optional<int> count = matcher.MatchEncoded(
        raw, code, [&](std::string_view, int lineNum, int, int) { return lines.push_back(lineNum), true; },
        cancel);
    return count ? *count : -1;
  };
  matcher.SetPattern("m/\x93\xFA\x96\x7B/k");  // 日本
  // JIS: pairs 46 7C and 4B 5C; lines are counted in the file's own bytes.
  EXPECT_EQ(outcome("a\r\n\x1B$BF|K\\\x1B(B\n", kcJis), 1);
  EXPECT_EQ(lines, std::vector<int>{2});
  EXPECT_EQ(outcome("\x1B$BF|F|\x1B(B\n", kcJis), 0);
  // Two escapes in a row join 日 and 本 in the converted text: converted whole.
  EXPECT_EQ(outcome("\x1B$BF|\x1B(B\x1B$BK\\\x1B(B", kcJis), -1);
  // An odd byte in kanji mode pairs with whatever follows.
  EXPECT_EQ(outcome("\x1B$BF|F\n", kcJis), -1);
  // EUC-JP: C6 FC CB DC; a stray byte makes a file unclean.
  EXPECT_EQ(outcome("x\n\xC6\xFC\xCB\xDC\r\xC6\xFC\xCB\xDC", kcEuc), 2);
  EXPECT_EQ(lines, (std::vector<int>{2, 3}));
  EXPECT_EQ(outcome("\xC6\xFC\xC6\xFC abc", kcEuc), 0);
  EXPECT_EQ(outcome("\xC6\xFC\xCB\x5C", kcEuc), -1);
  // UTF-8 up to its first NUL; UTF-16 by units, up to its first U+0000.
  EXPECT_EQ(outcome("\xE6\x97\xA5\xE6\x9C\xAC", kcUtf8), 1);
  EXPECT_EQ(outcome(std::string("\0\xE6\x97\xA5\xE6\x9C\xAC", 7), kcUtf8), 0);
  EXPECT_EQ(outcome("\xEF\xBB\xBF\xE6\x97\xA5\xE6\x97\xA5", kcUtf8Bom), 0);
  EXPECT_EQ(outcome(std::string("\xFF\xFE\x0A\x00\xE5\x65\x2C\x67", 8), kcUtf16LE), 1);
  EXPECT_EQ(lines, std::vector<int>{2});
  // The literal's bytes half-way into a unit are no match.
  EXPECT_EQ(outcome(std::string("\xFE\xFF\x00\x65\xE5\x67\x2C\x00", 8), kcUtf16BE), 0);
  EXPECT_EQ(outcome(std::string("\xFF\xFE\x00\x00\xE5\x65\x2C\x67", 8), kcUtf16LE), 0);
  EXPECT_EQ(outcome(std::string("\xFF\xFE\xE5\x65\xE5\x65", 6), kcUtf16LE), 0);
  EXPECT_EQ(outcome("", kcSjis), -1);

  // ¬ and ￢ are both 0x81CA: no single UTF-8 form.
  matcher.SetPattern("m/\x81\xCA/k");
  EXPECT_EQ(outcome("abc", kcUtf8), -1);
  // A broken pattern is never matched this way: it fails on the first line.
  matcher.SetPattern("m/(\x93\xFA/k");
  EXPECT_EQ(outcome("abc", kcUtf8), -1);
  EXPECT_EQ(outcome("abc", kcEuc), -1);
}

}  // namespace
}  // namespace tansa2
