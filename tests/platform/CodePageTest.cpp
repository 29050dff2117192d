// Conversions between CP932 and the Unicode encodings never stop half way.
#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tansa2::platform {
namespace {

using namespace std::string_literals;

std::string Repeat(const std::string& s, size_t count) {
  std::string out;
  out.reserve(s.size() * count);
  for (size_t i = 0; i < count; ++i) out += s;
  return out;
}

TEST(CodePageTest, JapaneseRoundTrips) {
  const std::string utf8 = "日本語ﾃｷｽﾄ、①髙 ABC\r\n";
  const std::string sjis = Utf8ToCp932(utf8);
  EXPECT_EQ(sjis.substr(0, 6), "\x93\xFA\x96\x7B\x8C\xEA");
  EXPECT_EQ(sjis.substr(6, 4), "\xC3\xB7\xBD\xC4");  // half-width stays one byte
  EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
  EXPECT_EQ(Utf16LeToCp932(Cp932ToUtf16Le(sjis)), sjis);
  EXPECT_EQ(Cp932ToUtf16Le("A\x82\xA0"), "A\0\x42\x30"s);
  EXPECT_EQ(Utf8ToCp932(""), "");
  EXPECT_EQ(Utf16LeToCp932(""), "");
}

// Every code point of the Basic Multilingual Plane converts as iconv
// converts it on its own.
TEST(CodePageTest, EveryCodePointAsIconvHasIt) {
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int differences = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    char out[4];
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
    const std::string expected = converted ? std::string(out, sizeof out - outLeft) : "?";
    if (Utf16LeToCp932(std::string_view(in, sizeof in)) != expected && ++differences < 10)
      ADD_FAILURE() << std::hex << "U+" << u;
  }
  iconv_close(cd);
  EXPECT_EQ(differences, 0);
}

TEST(CodePageTest, UnconvertibleCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a한b€cä"), "a?b?c?");
  EXPECT_EQ(Utf16LeToCp932("a\0\x5C\xD5"s "b\0"s), "a?b");  // U+D55C
  EXPECT_EQ(Cp932ToUtf8("a\x80" "b\xFF" "c\x85\x40" "d"), "a?b?c?d");
  EXPECT_EQ(Cp932ToUtf16Le("a\xA0"), "a\0?\0"s);
}

TEST(CodePageTest, MalformedInputBecomesQuestionMarksAndGoesOn) {
  EXPECT_EQ(Utf8ToCp932("a\xFF" "b\x80" "c"), "a?b?c");
  EXPECT_EQ(Utf8ToCp932("a\xE3\x81"), "a??");          // cut off at the end
  EXPECT_EQ(Utf8ToCp932("\xE3\x81" "b\xC0\xAF" "c"), "??b??c");
  // Lone surrogates, high and low.
  EXPECT_EQ(Utf16LeToCp932("a\0\x00\xD8" "b\0"s), "a?b");
  EXPECT_EQ(Utf16LeToCp932("a\0\x00\xDC" "b\0"s), "a?b");
  EXPECT_EQ(Utf16LeToCp932("a\0\x00\xD8"s), "a?");
  // An odd last byte.
  EXPECT_EQ(Utf16LeToCp932("a\0b"s), "a?");
  // A stray lead byte keeps the line break or letter after it.
  EXPECT_EQ(Cp932ToUtf8("a\x81\n" "b\x82"), "a?\nb?");
  EXPECT_EQ(Cp932ToUtf16Le("\x81\t"), "?\0\t\0"s);
}

TEST(CodePageTest, CharactersBeyondTheBasicPlaneAreOneQuestionMark) {
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b"), "a?b");  // U+1F600
  EXPECT_EQ(Utf16LeToCp932("a\0\x3D\xD8\x00\xDE" "b\0"s), "a?b");
}

TEST(CodePageTest, LargeInputIsNotTruncated) {
  const size_t count = 200000;
  EXPECT_EQ(Utf8ToCp932(Repeat("日本", count)), Repeat("\x93\xFA\x96\x7B", count));
  // Each half-width katakana grows to three bytes of UTF-8, more than the
  // first guess of the output size.
  EXPECT_EQ(Cp932ToUtf8(Repeat("\xB1", count)), Repeat("ｱ", count));
  EXPECT_EQ(Cp932ToUtf16Le(Repeat("a", count)), Repeat("a\0"s, count));
  // Replacements all the way through.
  EXPECT_EQ(Utf8ToCp932(Repeat("\xFF", count)), Repeat("?", count));
  EXPECT_EQ(Cp932ToUtf16Le(Repeat("\xFF", count)), Repeat("?\0"s, count));
  const std::string mixed = Repeat("a한\xFF日\r\n", count);
  EXPECT_EQ(Utf8ToCp932(mixed), Repeat("a??\x93\xFA\r\n", count));
}

}  // namespace
}  // namespace tansa2::platform
