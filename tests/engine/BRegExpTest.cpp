#include "engine/BRegExp.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace tansa2 {
namespace {

using platform::Utf8ToCp932;

std::string ErrorOf(TBRegExp& re, const std::string& pattern) {
  try {
    re.Match(pattern, "abc");
  } catch (const EBRegExpError& e) {
    return e.what();
  }
  return "";
}

TEST(BRegExpTest, PositionAndLengthAreOneBasedBytes) {
  TBRegExp re;
  const std::string line = Utf8ToCp932("東京都の表/示");
  EXPECT_GT(re.Match("m/" + Utf8ToCp932("表") + "\\//k", line), 0);
  EXPECT_EQ(re.MatchPos(), 9);
  EXPECT_EQ(re.MatchLen(), 3);
  EXPECT_GT(re.Match("m/[" + Utf8ToCp932("都府県") + "].{0,3}" + Utf8ToCp932("示") + "/k", line), 0);
  EXPECT_EQ(re.MatchPos(), 5);
  EXPECT_EQ(re.MatchLen(), 9);
  EXPECT_GT(re.Match("m/c/ki", std::string("a\0\0C", 4)), 0);
  EXPECT_EQ(re.MatchPos(), 4);
}

TEST(BRegExpTest, EmptyLineHoldsNoCharacter) {
  TBRegExp re;
  EXPECT_EQ(re.Match("m/[^a]/k", ""), 0);
  EXPECT_GT(re.Match("m/^$/k", ""), 0);
  EXPECT_EQ(re.MatchPos(), 1);
  EXPECT_EQ(re.MatchLen(), 0);
}

TEST(BRegExpTest, NoMatchLeavesNoPosition) {
  TBRegExp re;
  EXPECT_THROW(re.MatchPos(), EBRegExpError);
  EXPECT_GT(re.Match("m/a/k", "a"), 0);
  EXPECT_EQ(re.Match("m/a/k", "b"), 0);
  try {
    re.MatchPos();
    FAIL();
  } catch (const EBRegExpError& e) {
    EXPECT_STREQ(e.what(), "no match pos");
  }
  try {
    re.MatchLen();
    FAIL();
  } catch (const EBRegExpError& e) {
    EXPECT_STREQ(e.what(), "no match length");
  }
}

TEST(BRegExpTest, InvalidPatternsRaiseTheLibraryText) {
  TBRegExp re;
  for (const char* pattern : {"m/(/k", "m/abc", "abc", "m/a/kz"}) {
    BRegexpCompiled* compiled = nullptr;
    char message[BREGEXP_MESSAGE_SIZE];
    const char text[] = "abc";
    ASSERT_EQ(BMatch(pattern, text, text + 3, &compiled, message), -1) << pattern;
    EXPECT_NE(std::string(message), "") << pattern;
    EXPECT_EQ(ErrorOf(re, pattern), message) << pattern;
  }
  // The object stays usable, with no stale match left behind.
  EXPECT_THROW(re.MatchPos(), EBRegExpError);
  EXPECT_GT(re.Match("m/b/k", "abc"), 0);
  EXPECT_EQ(re.MatchPos(), 2);
}

TEST(BRegExpTest, PatternChangeRecompiles) {
  TBRegExp re;
  EXPECT_EQ(re.Match("m/a/k", "xxA"), 0);
  EXPECT_GT(re.Match("m/a/ki", "xxA"), 0);
  EXPECT_EQ(re.MatchPos(), 3);
  EXPECT_EQ(re.Match("m/a/k", "xxA"), 0);
}

}  // namespace
}  // namespace tansa2
