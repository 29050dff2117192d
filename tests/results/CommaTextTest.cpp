#include "results/CommaText.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/CodePage.h"

namespace tansa2 {
namespace {

using Items = std::vector<std::string>;

TEST(CommaTextTest, AwkwardCellsAreQuotedAndReadBackUnchanged) {
  const std::string sjis = platform::Utf8ToCp932("表示ソポ");  // trail bytes 0x5C and 0x7C
  ASSERT_NE(sjis.find('\x5C'), std::string::npos);
  ASSERT_NE(sjis.find('\x7C'), std::string::npos);
  const Items cells = {"a,b", "say \"hi\"", "two words", "\ttab", "  lead", "trail  ", "", sjis, "\"", ","};
  const std::string text = ToCommaText(cells);
  EXPECT_EQ(text,
            "\"a,b\",\"say \"\"hi\"\"\",\"two words\",\"\ttab\",\"  lead\",\"trail  \",," + sjis +
                ",\"\"\"\",\",\"");
  EXPECT_EQ(FromCommaText(text), cells);
}

TEST(CommaTextTest, WritingSpecialRows) {
  EXPECT_EQ(ToCommaText({}), "");
  EXPECT_EQ(ToCommaText({""}), "\"\"");
  EXPECT_EQ(FromCommaText("\"\""), Items{""});
  EXPECT_EQ(ToCommaText({"", ""}), ",");
  EXPECT_EQ(FromCommaText(","), (Items{"", ""}));
  EXPECT_EQ(ToCommaText({"/a/b.c", "12", "\tx\"y,z", "7", "8"}), "/a/b.c,12,\"\tx\"\"y,z\",7,8");
}

TEST(CommaTextTest, ReadingRules) {
  EXPECT_EQ(FromCommaText(""), Items{});
  EXPECT_EQ(FromCommaText("   \t "), Items{});
  EXPECT_EQ(FromCommaText("a b"), (Items{"a", "b"}));
  EXPECT_EQ(FromCommaText("a,,b"), (Items{"a", "", "b"}));
  EXPECT_EQ(FromCommaText("a,"), (Items{"a", ""}));
  EXPECT_EQ(FromCommaText(",a"), (Items{"", "a"}));
  EXPECT_EQ(FromCommaText("  *.c ,\t *.h  "), (Items{"*.c", "*.h"}));
  EXPECT_EQ(FromCommaText("\"my docs\",x"), (Items{"my docs", "x"}));
  EXPECT_EQ(FromCommaText("\"ab\"cd"), (Items{"ab", "cd"}));
  EXPECT_EQ(FromCommaText("a\x01" "b"), (Items{"a", "b"}));
}

TEST(CommaTextTest, DamagedTextIsReadSafely) {
  // An unclosed quote takes the rest of the text.
  EXPECT_EQ(FromCommaText("a,\"b,c \"\"d"), (Items{"a", "b,c \"d"}));
  EXPECT_EQ(FromCommaText("\""), Items{""});
  // 0x00 ends the text, wherever it stands.
  EXPECT_EQ(FromCommaText(std::string_view("a\0b,c", 5)), Items{"a"});
  EXPECT_EQ(FromCommaText(std::string_view("a,\0", 3)), (Items{"a", ""}));
  EXPECT_EQ(FromCommaText(std::string_view("\0\0", 2)), Items{});

  std::mt19937 random(7);
  const std::string alphabet("\0\x01 \t,\"a\x83\x5C", 9);
  for (int n = 0; n < 2000; ++n) {
    std::string text;
    for (int i = random() % 12; i > 0; --i) text += alphabet[random() % alphabet.size()];
    EXPECT_LE(FromCommaText(text).size(), text.size() + 1);
  }
}

TEST(CommaTextTest, CellIsWrittenUpToItsFirstNul) {
  // Bytes after 0x00 would stop a later load of the whole file there.
  EXPECT_EQ(ToCommaText({std::string("ab\0 ,c", 6), "d"}), "ab,d");
  EXPECT_EQ(ToCommaText({std::string("\0x", 2)}), "\"\"");
  EXPECT_EQ(ToCommaText({std::string("a b\0", 4)}), "\"a b\"");
}

}  // namespace
}  // namespace tansa2
