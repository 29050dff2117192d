#include "settings/HistoryList.h"

#include <gtest/gtest.h>

namespace tansa2 {
namespace {

using Items = std::vector<std::string>;

TEST(HistoryListTest, NewestFirstWithoutDuplicates) {
  Items items;
  for (const char* text : {"abc", "def", "abc"}) EXPECT_TRUE(AddHistory(items, text, 32));
  EXPECT_EQ(items, (Items{"abc", "def"}));

  // Letter case and surrounding blanks make a different entry.
  EXPECT_TRUE(AddHistory(items, "ABC", 32));
  EXPECT_TRUE(AddHistory(items, " abc", 32));
  EXPECT_EQ(items, (Items{" abc", "ABC", "abc", "def"}));
}

TEST(HistoryListTest, RefusesBlankTabAndLineBreak) {
  Items items{"old"};
  EXPECT_FALSE(AddHistory(items, "", 32));
  EXPECT_FALSE(AddHistory(items, " \t  ", 32));
  EXPECT_FALSE(AddHistory(items, "a\tb", 32));
  EXPECT_FALSE(AddHistory(items, "a\r\nb", 32));
  EXPECT_EQ(items, (Items{"old"}));
  // A lone CR or LF is not a line break pair.
  EXPECT_TRUE(AddHistory(items, "a\nb", 32));
}

TEST(HistoryListTest, LimitKeepsTheNewest) {
  Items items{"5", "4", "3", "2", "1"};
  LimitHistory(items, 3);
  EXPECT_EQ(items, (Items{"5", "4", "3"}));
  EXPECT_TRUE(AddHistory(items, "6", 3));
  EXPECT_EQ(items, (Items{"6", "5", "4"}));
  // With no room the entered text goes too.
  EXPECT_TRUE(AddHistory(items, "7", 0));
  EXPECT_TRUE(items.empty());
  LimitHistory(items, -1);
  EXPECT_TRUE(items.empty());
}

TEST(HistoryListTest, CompletionFindsNewestPrefixIgnoringAsciiCase) {
  const Items items{"C:\\Work\\Tools", "C:\\Windows"};
  EXPECT_EQ(FindCompletion(items, "c:\\w", 0), 0);
  EXPECT_EQ(FindCompletion(items, "c:\\wi", 0), 1);
  EXPECT_EQ(FindCompletion(items, "d:", 0), -1);
  // An empty text matches the newest entry whole.
  EXPECT_EQ(FindCompletion(items, "", 0), 0);
  EXPECT_EQ(FindCompletion(items, "c:", 3), -1);
  EXPECT_EQ(FindCompletion(items, "c:\\", 3), 0);
  EXPECT_EQ(FindCompletion({}, "c", 0), -1);
  // Longer than every entry.
  EXPECT_EQ(FindCompletion(items, "c:\\windows\\system", 0), -1);
}

TEST(HistoryListTest, CompletionLeavesDoubleByteCharactersAlone) {
  // Only a to z change case: the Shift-JIS full-width "ａ" (0x82 0x81) and
  // "Ａ" (0x82 0x60) stay different.
  const Items items{"\x82\x60"};
  EXPECT_EQ(FindCompletion(items, "\x82\x81", 0), -1);
  EXPECT_EQ(FindCompletion(items, "\x82\x60", 0), 0);
}

}  // namespace
}  // namespace tansa2
