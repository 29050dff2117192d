// Conversions between CP932 and the Unicode encodings never stop half way.
#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <string>
#include <vector>

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

// CP932 text reads as iconv reads it, with "?" for each character iconv
// refuses (a lead byte before a byte that can't be its trail is one on its
// own): every byte, every pair of bytes, and a lead byte at the very end.
TEST(CodePageTest, EveryCp932CharacterAsIconvHasIt) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  auto iconvRead = [&](const std::string& cp932) {
    std::string out;
    for (size_t i = 0; i < cp932.size();) {
      // The longest piece iconv takes whole at `i`: two bytes, else one.
      size_t taken = 0;
      for (size_t length = std::min<size_t>(2, cp932.size() - i); length > 0 && taken == 0; --length) {
        char converted[8];
        char* inPtr = const_cast<char*>(cp932.data() + i);
        char* outPtr = converted;
        size_t inLeft = length;
        size_t outLeft = sizeof converted;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
          out.append(converted, sizeof converted - outLeft);
          taken = length;
        }
      }
      if (taken == 0) {
        out += '?';
        const auto lead = static_cast<unsigned char>(cp932[i]);
        const auto trail = i + 1 < cp932.size() ? static_cast<unsigned char>(cp932[i + 1]) : 0;
        taken = IsDBCSLeadByte(lead) && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) ? 2 : 1;
      }
      i += taken;
    }
    return out;
  };
  int differences = 0;
  auto check = [&](const std::string& cp932) {
    const std::string expected = iconvRead(cp932);
    if (Cp932ToUtf8(cp932) != expected && ++differences < 10)
      ADD_FAILURE() << "Cp932ToUtf8 of " << testing::PrintToString(cp932);
    // The same code points, in UTF-16.
    if (Utf16LeToCp932(Cp932ToUtf16Le(cp932)) != Utf8ToCp932(expected) && ++differences < 10)
      ADD_FAILURE() << "Cp932ToUtf16Le of " << testing::PrintToString(cp932);
  };
  for (unsigned first = 0; first < 0x100; ++first) {
    check(std::string(1, static_cast<char>(first)));
    for (unsigned second = 0; second < 0x100; ++second)
      check(std::string{static_cast<char>(first), static_cast<char>(second), 'a'});
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

// Converted piece after piece into one buffer, text comes out as converted
// whole, and no piece writes beyond the room it was promised.
TEST(CodePageTest, PiecesConvertIntoOneBufferWithinTheirRoom) {
  const std::vector<std::string> pieces = {
      "", "a", "abcdefgh", "path/to/file.txt(12):",  // ASCII, also eight at a time
      "\x82\xA0\x82\xA2\x82\xA4",                 // a run of double-byte characters
      "\xB1\xB2\xB3",                                 // half-width katakana: three bytes each
      "abc\x93\xFA\x96\x7B" "defghijk\x8C\xEA",    // runs of both kinds
      "\x81\tx",                                       // a lead byte before a non-trail byte
      "\x80\xA0\xFD\xFF\x85\x40",                  // bytes and a pair with no character
      "\x81",                                           // a lead byte at the end
  };
  std::string whole;
  std::string expected;
  std::string buffer(8192, '#');
  char* at = buffer.data();
  for (const std::string& piece : pieces) {
    const size_t room = Cp932ToUtf8Room(piece.size());
    char* end = Cp932ToUtf8(piece, at);
    EXPECT_EQ(std::string(at, end), Cp932ToUtf8(piece)) << testing::PrintToString(piece);
    EXPECT_LE(static_cast<size_t>(end - at), room);
    // The room's last byte may be scratched, nothing after it.
    EXPECT_EQ(at[room], '#') << testing::PrintToString(piece);
    at = end;
    whole += piece;
  }
  EXPECT_EQ(std::string(buffer.data(), at), Cp932ToUtf8(whole));
}

}  // namespace
}  // namespace tansa2::platform
