// The automaton that finds candidate lines must never miss a line the
// library matches, and the search through it must give exactly the rows of
// testing every line, for every construct its byte form is built from.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "engine/KyConvert.h"
#include "engine/LineMatcher.h"
#include "engine/PrefilterFinder.h"
#include "engine/PrefilterPattern.h"
#include "platform/CodePage.h"
#include "tests/support/PlainReading.h"

namespace tansa2 {
namespace {

using testing::TRow;

// Reading modes of Rows besides the codes of KyConvert.
constexpr int kRaw = -1;
constexpr int kConverted = -2;

// Pattern bodies, in UTF-8 (turned into Shift-JIS), each with and without i.
const char* const kBodies[] = {
    "[一-龠]{2}[ぁ-ん]{2}",      // classes of double-byte characters, across lead bytes
    "[ぁ-ん]{2}[一-龠]{2}",      // runs of several classes, which find the lines themselves
    "[α-ωぁ-ん]{2}[一-龠]{2}",   // in UTF-8 of two and three bytes: no run there
    "[〜～ー]{2}[ぁ-ん]{2}",      // characters with more than one UTF-8 source
    "[ア-ン][一-龠]+[ぁ-ん]",
    "日[一-龠]{2,}本",
    "(?<=[ア-ン])[一-龠]{2}[ぁ-ん]",
    "[ぁ-んァ-ヶ]{3}",            // two ranges in one class
    "[^ぁ-ん\\sa-z]{2,}x",        // a negated class
    "\\d+[-/]\\d+",               // digits around a class of ASCII
    "[0-9]{4}[/.][0-9]{1,2}",
    "\\s{2,}\\S",
    "\\w\\W\\w",
    "日.本",                      // a dot between double-byte characters
    "..表",
    "^\\s*$",                     // anchors
    "^[ア-ン]",
    "[ａ-ｚ]{2}$",
    "\\A.|.\\z",
    "ａｂ|ＡＢ",                  // full-width letters, which fold under i
    "[ｂ-ｄ]Ａ",
    "[^Ａ-Ｚ]α",
    "Б[а-я]",
    "(ab|本)+[xX]",              // alternation, repetition, groups
    "(?:ア|イ){2,3}?ウ",
    "([ア-ン])\\1",               // back references
    "(.)\\1",
    "(?=日)..",                   // look-around
    "(?<!a)b",
    "x(?!y)",
    "\\bab\\B",
    "ｱ[ｰ-ﾝ]+",                  // half-width katakana
    "[\\x41-\\x43]\\t",
    "a{2}+|b*+c",                 // possessive and lazy repeats
};

std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8); }

// Lines of Shift-JIS text from pieces that trip byte-level reading: trail
// bytes that look like ASCII, characters of every class above, blanks.
const char* const kPieces[] = {
    "日", "本", "表", "ソ", "能", "ア", "イ", "ウ", "ン", "ー", "あ", "ん", "を", "亜", "龠", "ａ", "ｂ", "Ａ",
    "Ｂ", "ｄ", "α", "Α", "Б", "б", "ｱ", "ﾝ", "ｰ", "a", "b", "x", "X", "y", "1", "2", "/", "-", ".", " ",
    "\t", "\n", "\r\n", "\r", "\\", "|", "@", "\x81", "\x82\x0a", "\xfd",
};

std::string RandomText(std::mt19937& random) {
  std::string text;
  const int n = std::uniform_int_distribution<int>(0, 120)(random);
  for (int i = 0; i < n; ++i) {
    const char* piece = kPieces[random() % std::size(kPieces)];
    // UTF-8 characters, or bytes as they are: a lone lead byte, one before
    // a line break, a byte no character has.
    const auto c = static_cast<unsigned char>(piece[0]);
    text += c >= 0xC2 && c <= 0xEF ? Sjis(piece) : std::string(piece);
  }
  return text;
}

// The rows of the raw or converted reading, or of a code's own bytes
// (converted whole when the matcher doesn't read them).
std::vector<TRow> Rows(TLineMatcher& matcher, std::string_view text, int mode) {
  std::vector<TRow> rows;
  const std::atomic<bool> cancel = false;
  auto onLine = [&](std::string_view line, int lineNum, int pos, int len) {
    rows.push_back({lineNum, std::string(line), pos, len});
    return true;
  };
  if (mode == kRaw) {
    matcher.MatchRaw(text, onLine, cancel);
  } else if (mode == kConverted || !matcher.MatchEncoded(text, mode, onLine, cancel)) {
    rows.clear();
    const std::string converted = mode == kcUtf8 ? platform::Utf8ToCp932(text) : mode == kcEuc ? EucToSjis(text) : std::string(text);
    matcher.MatchConverted(converted, onLine, cancel);
  }
  return rows;
}

// The automaton is built once a pattern has searched enough text to pay
// for it: a long text gets it built.
void Prime(TLineMatcher& matcher) {
  const std::string filler(300 << 10, '\n');
  const std::atomic<bool> cancel = false;
  matcher.MatchConverted(filler, [](std::string_view, int, int, int) { return true; }, cancel);
}

bool HaveAutomaton() { return TPrefilterFinder::Of("a", false, false).has_value(); }

TEST(PrefilterDifferential, FindsEveryLineTheLibraryMatches) {
  if (!HaveAutomaton()) GTEST_SKIP() << "built without the automaton";
  std::mt19937 random(27);
  TBRegExp plain;
  for (const char* body : kBodies)
    for (const bool ignoreCase : {false, true}) {
      const std::string sjis = Sjis(body);
      const std::string pattern = "m/" + sjis + "/k" + (ignoreCase ? "i" : "");
      for (const bool keepAnchors : {false, true}) {
        const std::optional<TPrefilterFinder> finder = TPrefilterFinder::Of(sjis, ignoreCase, keepAnchors);
        // Without anchors, a pattern that may match nothing matches everywhere.
        if (!finder && !keepAnchors) continue;
        ASSERT_TRUE(finder) << body;
        for (int round = 0; round < 200; ++round) {
          std::string text = RandomText(random);
          if (keepAnchors && finder->Anchored()) std::erase(text, '\r');
          const std::vector<std::string> lines = testing::ConvertedLines(text);
          // Every line is one text: the first place found must lie in a
          // line that matches, or before it.
          size_t start = 0;
          for (const std::string& line : lines) {
            const size_t end = text.find_first_of("\r\n", start);
            const size_t lineEnd = end == std::string::npos ? text.size() : end;
            if (plain.Match(pattern, line) > 0) {
              const size_t found = finder->Scanner().Find(text, start);
              EXPECT_LE(found, lineEnd) << body << (ignoreCase ? " i" : "") << " missed line: " << line;
            }
            start = lineEnd + (text.compare(lineEnd, 2, "\r\n") == 0 ? 2 : 1);
          }
        }
      }
    }
}

// A byte and a class after it, found at every place of a long text: the
// scanning library's code for some processors lost such matches past the
// first 64 bytes.
TEST(PrefilterDifferential, FindsAMatchAnywhereInALongText) {
  if (!HaveAutomaton()) GTEST_SKIP() << "built without the automaton";
  const struct {
    const char* body;  // UTF-8
    const char* match;
  } cases[] = {{"[ぁ-ん]", "あ"}, {"a.", "ab"}, {"[a-c]y", "by"}, {"[一-龠]{2}[ぁ-ん]", "日本の"}};
  for (const auto& c : cases) {
    const std::optional<TPrefilterFinder> finder = TPrefilterFinder::Of(Sjis(c.body), false, false);
    ASSERT_TRUE(finder) << c.body;
    for (size_t at = 0; at < 300; ++at) {
      const std::string text = std::string(at, 'x') + Sjis(c.match) + std::string(300 - at, 'x');
      EXPECT_NE(finder->Scanner().Find(text, 0), std::string::npos) << c.body << " at " << at;
    }
  }
}

// The run of characters a pattern requires lies in every line the library
// matches, and where the match begins when every match is said to begin with it.
TEST(PrefilterDifferential, RequiredRunLiesInEveryMatchingLine) {
  std::mt19937 random(2712);
  TBRegExp plain;
  for (const char* body : kBodies) {
    const std::string sjis = Sjis(body);
    const TRequiredRun run = RequiredCharRun(sjis, false);
    if (run.places.empty()) continue;
    const TCharRunFinder finder(run.places);
    const std::string pattern = "m/" + sjis + "/k";
    for (int round = 0; round < 300; ++round)
      for (const std::string& line : testing::ConvertedLines(RandomText(random))) {
        if (plain.Match(pattern, line) <= 0) continue;
        const size_t matchStart = static_cast<size_t>(plain.MatchPos() - 1);
        const size_t at = finder.Find(line, run.startsMatch ? matchStart : 0);
        EXPECT_TRUE(at != std::string::npos && (!run.startsMatch || at == matchStart)) << body << ": " << line;
      }
  }
}

TEST(PrefilterDifferential, SameRowsAsEveryLine) {
  std::mt19937 random(2027);
  TBRegExp plain;
  TLineMatcher matcher;
  for (const char* body : kBodies)
    for (const bool ignoreCase : {false, true}) {
      const std::string pattern = "m/" + Sjis(body) + "/k" + (ignoreCase ? "i" : "");
      matcher.SetPattern(pattern);
      Prime(matcher);
      for (int round = 0; round < 100; ++round) {
        std::string text;
        // Several lines with no match between matching ones, so that the
        // automaton's stretches are skipped and line numbers counted.
        for (int piece = 0; piece < 6; ++piece) text += RandomText(random) + "\n";
        for (const bool raw : {false, true}) {
          const std::vector<TRow> expected =
              testing::MatchingRows(raw ? testing::RawLines(text) : testing::ConvertedLines(text), pattern, plain);
          EXPECT_EQ(Rows(matcher, text, raw ? kRaw : kConverted), expected) << body << (ignoreCase ? " i" : "") << (raw ? " raw" : "");
        }
      }
    }
}

// UTF-8 and clean EUC-JP text searched in their own bytes give the rows of
// their conversion: also with characters CP932 lacks (which become "?"),
// ones CP932 writes the same way as another, and broken sequences.
TEST(PrefilterDifferential, OwnBytesOfUtf8AndEucGiveTheRowsOfTheirConversion) {
  const char* const kOthers[] = {"é", "😀", "〜", "～", "−", "－", "¬", "￢", "?", "\xE3\x81", "\xFF"};
  const char* const kMore[] = {"\\?[^a]", "-.", "[〜¬]", "\\W{2}[0-9]"};
  std::mt19937 random(72);
  TBRegExp plain;
  TLineMatcher matcher;
  std::vector<std::string> bodies(std::begin(kBodies), std::end(kBodies));
  bodies.insert(bodies.end(), std::begin(kMore), std::end(kMore));
  for (const std::string& body : bodies)
    for (const bool ignoreCase : {false, true}) {
      const std::string pattern = "m/" + Sjis(body.c_str()) + "/k" + (ignoreCase ? "i" : "");
      matcher.SetPattern(pattern);
      Prime(matcher);
      for (int round = 0; round < 60; ++round) {
        std::string sjis;
        std::string utf8;
        for (int piece = 0; piece < 40; ++piece) {
          if (random() % 4 == 0) {
            utf8 += kOthers[random() % std::size(kOthers)];
            continue;
          }
          const char* one = kPieces[random() % std::size(kPieces)];
          const auto c = static_cast<unsigned char>(one[0]);
          if (c >= 0x80 && !(c >= 0xC2 && c <= 0xEF)) continue;  // bytes that aren't characters
          utf8 += one;
          sjis += c >= 0x80 ? Sjis(one) : std::string(one);
        }
        const std::vector<TRow> fromUtf8 = Rows(matcher, utf8, kcUtf8);
        EXPECT_EQ(fromUtf8, testing::MatchingRows(testing::ConvertedLines(platform::Utf8ToCp932(utf8)), pattern, plain))
            << body << (ignoreCase ? " i" : "") << " UTF-8";
        const std::string euc = SjisToEuc(sjis);
        if (!IsCleanEuc(euc)) continue;
        EXPECT_EQ(Rows(matcher, euc, kcEuc), testing::MatchingRows(testing::ConvertedLines(EucToSjis(euc)), pattern, plain))
            << body << (ignoreCase ? " i" : "") << " EUC-JP";
      }
    }
}

// A run of characters found in UTF-8 and clean EUC-JP bytes: the rows of
// the conversion, with the run at a line's start and end, across a line
// break, broken by a byte that converts to "?", and in both UTF-8 forms of ～.
TEST(PrefilterDifferential, RunInOwnBytesGivesTheRowsOfTheConversion) {
  const char* const kLines[] = {"漢字かな", "かな漢字", "x漢字かなx漢字", "漢字か", "な漢字かな", "漢\xE3\x81字かな",
                                "〜～かな", "～〜かなと漢字", "ー〜ー", "", "漢字かなかな漢字かな"};
  TBRegExp plain;
  TLineMatcher matcher;
  for (const char* body : {"[一-龠]{2}[ぁ-ん]{2}", "[〜～ー]{2}[ぁ-ん]{2}"}) {
    const std::string pattern = "m/" + Sjis(body) + "/k";
    matcher.SetPattern(pattern);
    for (const char* lineBreak : {"\n", "\r\n", "\r"}) {
      std::string utf8;
      for (const char* line : kLines) utf8 += std::string(line) + lineBreak;
      const std::atomic<bool> cancel = false;
      std::vector<TRow> rows;
      auto onLine = [&](std::string_view line, int lineNum, int pos, int len) {
        rows.push_back({lineNum, std::string(line), pos, len});
        return true;
      };
      ASSERT_TRUE(matcher.MatchEncoded(utf8, kcUtf8, onLine, cancel)) << body;
      const std::vector<TRow> expected =
          testing::MatchingRows(testing::ConvertedLines(platform::Utf8ToCp932(utf8)), pattern, plain);
      EXPECT_FALSE(expected.empty()) << body;
      EXPECT_EQ(rows, expected) << body << " UTF-8";
      const std::string euc = SjisToEuc(platform::Utf8ToCp932(utf8));
      ASSERT_TRUE(IsCleanEuc(euc));
      rows.clear();
      ASSERT_TRUE(matcher.MatchEncoded(euc, kcEuc, onLine, cancel)) << body;
      EXPECT_EQ(rows, testing::MatchingRows(testing::ConvertedLines(EucToSjis(euc)), pattern, plain)) << body << " EUC-JP";
    }
  }
}

// Long texts, whose stretches end before the text does: a match right after
// a stretch's end, and lines far apart.
TEST(PrefilterDifferential, MatchesAcrossStretches) {
  TBRegExp plain;
  TLineMatcher matcher;
  const std::string pattern = "m/" + Sjis("[一-龠]{2}[ぁ-ん]{2}|^\\d{3}$") + "/k";
  matcher.SetPattern(pattern);
  std::string text;
  for (int line = 0; line < 40000; ++line)
    text += (line % 997 == 0 ? Sjis("とても日本語です") : line % 1231 == 0 ? "123" : "text " + std::to_string(line)) + "\n";
  for (const bool raw : {false, true}) {
    const std::vector<TRow> expected =
        testing::MatchingRows(raw ? testing::RawLines(text) : testing::ConvertedLines(text), pattern, plain);
    EXPECT_EQ(Rows(matcher, text, raw ? kRaw : kConverted), expected);
    EXPECT_GT(expected.size(), 40u);
  }
}

}  // namespace
}  // namespace tansa2
