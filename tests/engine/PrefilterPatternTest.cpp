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

}  // namespace
}  // namespace tansa2
