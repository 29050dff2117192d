// What the byte form of a pattern is made of, and what isn't read at all
// (the search then finds its lines the other ways).
#include "engine/PrefilterPattern.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace tansa2 {
namespace {

std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8); }

TEST(PrefilterPattern, ByteForms) {
  struct TCase {
    const char* body;  // UTF-8
    bool ignoreCase;
    bool keepAnchors;
    const char* expression;
  };
  const TCase cases[] = {
      // A double-byte character as its two bytes; ASCII letters both ways under i.
      {"日a", false, false, "\\x93\\xfa\\x61"},
      {"日a", true, false, "\\x93\\xfa[\\x41\\x61]"},
      // A range across lead bytes: the first and last lead bytes with their
      // part of the second bytes, the ones between with any; a line break
      // may stand for the second byte of a lead byte cut off by it.
      {"[亜-院]", false, false,
       "(?:\\x89[\\x00-\\x40]|\\x88[\\x0a\\x0d\\x9f-\\xff])"},
      // Anchors kept or dropped; look-around and word boundaries dropped.
      {"^a$", false, true, "^\\x61$"},
      {"^a$", false, false, "\\x61"},
      {"(?=a)b\\b", false, false, "\\x62"},
      // Repeats, with lazy and possessive marks read as one more repeat.
      {"a{2,}?", false, false, "(?:(?:\\x61){2,})?"},
      {"a{,3}", false, false, "(?:\\x61){0,3}"},
      // A back reference as any run of bytes inside a line.
      {"(a)\\1", false, false, "(?:\\x61)[\\x00-\\x09\\x0b\\x0c\\x0e-\\xff]*"},
  };
  for (const TCase& c : cases) {
    const std::optional<TPrefilterPattern> pattern = TranslatePrefilter(Sjis(c.body), c.ignoreCase, c.keepAnchors);
    ASSERT_TRUE(pattern) << c.body;
    EXPECT_EQ(pattern->expression, c.expression) << c.body;
    EXPECT_EQ(pattern->anchored, std::string(c.expression).find('^') != std::string::npos) << c.body;
  }
}

TEST(PrefilterPattern, FullWidthLettersFoldWithinTheirLeadByte) {
  // Ａ is 82 60, ａ is 82 81: under i every character of lead 82.
  EXPECT_EQ(TranslatePrefilter(Sjis("Ａ"), false, false)->expression, "\\x82\\x60");
  EXPECT_EQ(TranslatePrefilter(Sjis("Ａ"), true, false)->expression, "\\x82[\\x00-\\xff]");
  // A negated class of them under i still lets every character of that lead byte through.
  const std::string any = TranslatePrefilter(".", false, false)->expression;
  EXPECT_EQ(TranslatePrefilter(Sjis("[^Ａ]"), true, false)->expression, any);
  EXPECT_NE(TranslatePrefilter(Sjis("[^Ａ]"), false, false)->expression, any);
}

TEST(PrefilterPattern, WhatIsNotReadGivesNothing) {
  for (const char* body : {"(?i)a", "(?#c)a", "[[:alpha:]]", "[a&&b]", "\\p{Hiragana}", "a{x}", "\\x{3042}",
                           "\\xe0", "a\\n", "\\Qa\\E", "*a", "(a", "^*", "\\10"})
    EXPECT_FALSE(TranslatePrefilter(Sjis(body), false, true)) << body;
}

// The run of double-byte characters every match holds: the pattern's own
// sequence of classes and characters, each place as many times as its
// repeat takes at least, broken by anything else; and whether it is all
// the pattern is.
TEST(PrefilterPattern, RequiredCharRuns) {
  struct TCase {
    const char* body;  // UTF-8
    bool ignoreCase;
    size_t places;
    bool startsMatch;
    bool wholePattern;
  };
  const TCase cases[] = {
      {"[一-龠]{2}[ぁ-ん]{2}", false, 4, true, true},
      {"日本[ア-ン]", false, 3, true, true},
      {"[ア-ン]{20}", false, 8, true, false},
      // a repeat without an upper bound ends a run and begins the next
      {"[ぁ-ん]+[一-龠]{2}", false, 3, false, true},
      {"日[ア-ン]{2,}本語", false, 4, false, false},
      {"[ア-ン]{2,3}", false, 2, false, true},
      // what breaks it: single-byte characters, dots, groups, optional items
      {"a[ア-ン]{2}日", false, 3, false, false},
      {"[ア-ンa]日本", false, 2, false, false},
      {"[^ア]日本", false, 2, false, false},
      {"日.本語", false, 2, false, false},
      {"(日本)語[ア-ン]", false, 2, false, false},
      {"日[ア-ン]?本語", false, 2, false, false},
      {"[ア-ン]{2}(?<=ア)", false, 2, false, false},
      {"^[ア-ン]{2}", false, 2, false, false},
      // none: a single character, an alternation, case ignored, what isn't read
      {"日a", false, 0, false, false},
      {"[ア-ン]{2}|日本", false, 0, false, false},
      {"[ア-ン]{2}", true, 0, false, false},
      {"(?i)[ア-ン]{2}", false, 0, false, false},
  };
  for (const TCase& c : cases) {
    const TRequiredRun run = RequiredCharRun(Sjis(c.body), c.ignoreCase);
    EXPECT_EQ(run.places.size(), c.places) << c.body;
    EXPECT_EQ(run.startsMatch, c.startsMatch) << c.body;
    EXPECT_EQ(run.wholePattern, c.wholePattern) << c.body;
  }
}

// Each place takes the bytes of its characters, in each code read in its
// own bytes: ぁ-ん are 82 9F-F1 in Shift-JIS, A4 A1-F3 in EUC-JP, E3 81 81
// to E3 82 93 in UTF-8; kanji take any second byte of their lead bytes.
TEST(PrefilterPattern, RequiredCharRunsInEachCode) {
  auto values = [](const std::bitset<256>& set) {
    std::string out;
    for (unsigned byte = 0; byte < 256; ++byte)
      if (set[byte]) out += static_cast<char>(byte);
    return out;
  };
  auto range = [](unsigned first, unsigned last) {
    std::string out;
    for (unsigned byte = first; byte <= last; ++byte) out += static_cast<char>(byte);
    return out;
  };
  const std::string body = Sjis("[一-龠][ぁ-ん]");
  const TRequiredRun sjis = RequiredCharRun(body, false);
  ASSERT_EQ(sjis.places.size(), 2u);
  ASSERT_EQ(sjis.places[1].bytes.size(), 2u);
  EXPECT_EQ(values(sjis.places[1].bytes[0]), "\x82");
  EXPECT_EQ(values(sjis.places[1].bytes[1]), range(0x9F, 0xF1));
  EXPECT_EQ(values(sjis.places[0].bytes[0]), range(0x88, 0x9F) + range(0xE0, 0xEA));
  EXPECT_TRUE(sjis.places[0].bytes[1].all());
  const TRequiredRun euc = RequiredCharRun(body, false, TPrefilterCode::Euc);
  ASSERT_EQ(euc.places.size(), 2u);
  EXPECT_EQ(values(euc.places[1].bytes[0]), "\xA4");
  EXPECT_EQ(values(euc.places[1].bytes[1]), range(0xA1, 0xF3));
  EXPECT_EQ(values(euc.places[0].bytes[0]), range(0xB0, 0xF3));  // rows 16 (一) to 83 (龠)
  const TRequiredRun utf8 = RequiredCharRun(body, false, TPrefilterCode::Utf8);
  ASSERT_EQ(utf8.places.size(), 2u);
  ASSERT_EQ(utf8.places[1].bytes.size(), 3u);
  EXPECT_EQ(values(utf8.places[1].bytes[0]), "\xE3");
  EXPECT_EQ(values(utf8.places[1].bytes[1]), "\x81\x82");
  EXPECT_EQ(values(utf8.places[1].bytes[2]), range(0x80, 0xBF));
  // Greek letters are two bytes in UTF-8, kanji three: no run there.
  EXPECT_EQ(RequiredCharRun(Sjis("[α-ω亜]日"), false).places.size(), 2u);
  EXPECT_TRUE(RequiredCharRun(Sjis("[α-ω亜]日"), false, TPrefilterCode::Utf8).places.empty());
  // Codes beyond JIS X 0208 (IBM's kanji here) have no clean EUC-JP form.
  EXPECT_EQ(RequiredCharRun(Sjis("纊日"), false).places.size(), 2u);
  EXPECT_TRUE(RequiredCharRun(Sjis("纊日"), false, TPrefilterCode::Euc).places.empty());
}

}  // namespace
}  // namespace tansa2
