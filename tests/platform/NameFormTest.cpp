// Every native name has one CP932 form that leads back to its very bytes.
#include "platform/NameForm.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace tansa2::platform {
namespace {

// Names of every kind a home folder holds: plain, CP932-less characters,
// user-defined characters, characters CP932 maps one way only, and bytes of
// legacy encodings that aren't UTF-8.
const std::vector<std::string> kNames = {
    "a.txt", "日本語/ﾃｽﾄ.txt", "é/a.txt", "è/a.txt", "rés.txt", "r?s.txt", "😀.txt", "é.txt",
    "Müller", "한국어", "\xEE\x80\x80",  // U+E000, which CP932 holds as a user-defined character
    "\xE3\x80\x9C",                       // U+301C, which CP932 turns into U+FF5E's code
    "\x83\x5C\x83\x74\x83\x67.txt",        // ソフト in Shift-JIS bytes
    "\xC6\xFC\xCB\xDC.txt",                // 日本 in EUC-JP bytes
    "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xFF\xFE",
};

TEST(NameFormTest, EveryKindOfNameRoundTrips) {
  for (const std::string& name : kNames) EXPECT_EQ(NativePath(Cp932FormOfName(name)), name) << name;
}

TEST(NameFormTest, DifferentNamesNeverShareAForm) {
  std::set<std::string> forms;
  for (const std::string& name : kNames) EXPECT_TRUE(forms.insert(Cp932FormOfName(name)).second) << name;
}

TEST(NameFormTest, NamesCp932HoldsKeepTheirPlainForm) {
  for (const char* utf8 : {"a.txt", "日本語/ﾃｽﾄ.txt", "①髙～.c", "/home/user/表示.txt"})
    EXPECT_EQ(Cp932FormOfName(utf8), Utf8ToCp932(utf8)) << utf8;
}

TEST(NameFormTest, SeparatorsAndAsciiStayWhereTheyAre) {
  const std::string form = Cp932FormOfName("/é/sub/😀/a.txt");
  EXPECT_EQ(form.substr(0, 1), "/");
  EXPECT_NE(form.find("/sub/"), std::string::npos);
  EXPECT_EQ(form.substr(form.size() - 6), "/a.txt");
  EXPECT_EQ(form.find('?'), std::string::npos);
}

TEST(NameFormTest, RandomBytesRoundTrip) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> length(0, 24);
  // Mostly high bytes, so that every kind of sequence and break turns up.
  std::uniform_int_distribution<int> byte(0x60, 0xFF);
  for (int i = 0; i < 20000; ++i) {
    std::string name(static_cast<size_t>(length(random)), '\0');
    for (char& c : name) c = static_cast<char>(byte(random));
    ASSERT_EQ(NativePath(Cp932FormOfName(name)), name);
  }
}

TEST(NameFormTest, TextNoListingMadeConvertsAsText) {
  EXPECT_EQ(NativePath(Utf8ToCp932("東京/メモ.txt")), "東京/メモ.txt");
  EXPECT_EQ(NativePath("\x80"), "?");
  EXPECT_EQ(NativePath("\xF1\x40"), "\xEE\x82\xBC");  // a lone user-defined character is its own
}

TEST(FirstCharacterCp932LacksTest, NamesTheCharacterTypedTextCantKeep) {
  const struct {
    const char* utf8;
    std::optional<char32_t> lacked;
  } cases[] = {
      {"東京 abc ﾃｽﾄ", std::nullopt}, {"caf\xC3\xA9", U'\u00E9'}, {"a😀", U'\U0001F600'},
      {"a?b", std::nullopt},           {"\xFF", U'\uFFFD'},      {"한", U'\uD55C'},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstCharacterCp932Lacks(c.utf8), c.lacked) << c.utf8;
}

}  // namespace
}  // namespace tansa2::platform
