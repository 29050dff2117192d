// Names reach the widgets with their true characters and come back from
// them as the same name; text keeps its designed conversion.
#include "platform/ui/QtText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/CodePage.h"
#include "platform/NameForm.h"

namespace tansa2::platform {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(QtTextTest, ANameShowsItsTrueCharactersAndBytesThatArentUtf8AsEscapes) {
  const struct {
    const char* native;
    const char* shown;
  } cases[] = {
      {"/home/é/a.txt", "/home/é/a.txt"},
      {"r\xC3\xA9s.txt", "rés.txt"},
      {"r?s.txt", "r?s.txt"},
      {"😀.txt", "😀.txt"},
      {"日本語/ﾃｽﾄ～.txt", "日本語/ﾃｽﾄ～.txt"},
      {"\xE3\x80\x9C", "\xE3\x80\x9C"},  // U+301C, which CP932 folds into another character
      {"\xEE\x80\x80", "\xEE\x80\x80"},  // U+E000, a user-defined character
      // ソフト in Shift-JIS bytes: the second byte of ソ is a backslash.
      {"\x83\x5C\x83\x74\x83\x67.txt", "\\x83\\\\x83t\\x83g.txt"},
      {"\xC6\xFC\xCB\xDC.txt", "\\xC6\\xFC\\xCB\\xDC.txt"},  // 日本 in EUC-JP bytes
      // A backslash that would read as an escape is one itself.
      {"a\\x83b", "a\\x5Cx83b"},
      {"a\\x41\\\\", "a\\x41\\\\"},
  };
  for (const auto& c : cases) {
    const std::string form = Cp932FormOfName(c.native);
    EXPECT_EQ(NameToQString(form), U(c.shown)) << c.native;
    EXPECT_EQ(NameFromQString(U(c.shown)), form) << c.native;
  }
}

TEST(QtTextTest, TypedNamesTakeTheNameForm) {
  EXPECT_EQ(NativePath(NameFromQString(U("/home/Müller"))), "/home/Müller");
  EXPECT_EQ(NameFromQString(U("/データ/*.txt")), Utf8ToCp932("/データ/*.txt"));
  // Escapes typed by hand, in either case; what isn't one stays as typed.
  EXPECT_EQ(NativePath(NameFromQString(U("\\x83\\x5c\\x83t"))), "\x83\\\x83t");
  EXPECT_EQ(NativePath(NameFromQString(U("\\x41 \\x8 \\xG0 \\x"))), "\\x41 \\x8 \\xG0 \\x");
}

TEST(QtTextTest, EveryNameReadsBackFromWhatAWidgetShows) {
  std::mt19937 random(230023);
  std::uniform_int_distribution<int> length(0, 16);
  // Backslashes, "x" and hex digits often enough to meet the escapes.
  const std::string alphabet = "\\x8CF5a/.";
  std::uniform_int_distribution<int> pick(0, 0x1FF);
  for (int i = 0; i < 20000; ++i) {
    std::string native(static_cast<size_t>(length(random)), '\0');
    for (char& c : native) {
      const int value = pick(random);
      c = value < 0x100 ? static_cast<char>(value | 0x80) : alphabet[static_cast<size_t>(value) % alphabet.size()];
    }
    const std::string form = Cp932FormOfName(native);
    ASSERT_EQ(NameFromQString(NameToQString(form)), form);
  }
}

// A search string handed over in the name form comes back as typed: a
// pattern's own escapes are not a name's.
TEST(QtTextTest, TextInTheNameFormComesBackAsTyped) {
  for (const char* typed : {"\\x83\\x5C", "café 😀", "東京\\d+", ""})
    EXPECT_EQ(TextInNameFormToQString(Cp932FormOfName(typed)), U(typed)) << typed;
}

TEST(QtTextTest, TextKeepsItsConversion) {
  EXPECT_EQ(ToQString(Utf8ToCp932("表示 abc")), U("表示 abc"));
  EXPECT_EQ(FromQString(U("café")), "caf?");
  EXPECT_EQ(FromQString(U("\\x83")), "\\x83");
}

}  // namespace
}  // namespace tansa2::platform
