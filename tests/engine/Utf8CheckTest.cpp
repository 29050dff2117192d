// Whether a text is UTF-8, decided on all of its bytes: every character
// form at every place of the blocks the check reads, and random texts
// against a plain decoder that computes each code point.
#include "engine/Utf8Check.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tansa2 {
namespace {

using namespace std::string_literals;

// A text placed behind `fill` and followed by ASCII, so that it lies across
// every boundary of the sixteen- and thirty-two-byte blocks in turn.
struct TPlacing {
  std::string fill;
  bool fillIsAscii;
};

std::vector<TPlacing> Placings() {
  std::vector<TPlacing> placings;
  for (size_t length = 0; length <= 70; ++length) {
    placings.push_back({std::string(length, 'a'), true});
    std::string kanji;
    while (kanji.size() + 3 <= length) kanji += "日";
    placings.push_back({kanji + std::string(length - kanji.size(), ' '), length < 3});
  }
  return placings;
}

TEST(Utf8CheckTest, EveryFormAtEveryPlace) {
  const struct {
    std::string text;
    bool wellFormed;
  } cases[] = {
      // the first character beyond ASCII of any length
      {"é", true},
      {"café", true},
      {"25°C", true},
      {"© 2026 株式会社", true},
      {"😀 の絵文字", true},
      {"\xF0\xA0\x80\x8B", true},  // 𠀋, four bytes
      // the edges of each length's range
      {"\xC2\x80", true},
      {"\xDF\xBF", true},
      {"\xE0\xA0\x80", true},
      {"\xED\x9F\xBF", true},  // below the surrogates
      {"\xEE\x80\x80", true},  // above them
      {"\xEF\xBF\xBF", true},
      {"\xF0\x90\x80\x80", true},
      {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
      // overlong forms
      {"\xC0\x80", false},
      {"\xC1\xBF", false},
      {"\xE0\x80\x80", false},
      {"\xE0\x9F\xBF", false},
      {"\xF0\x80\x80\x80", false},
      {"\xF0\x8F\xBF\xBF", false},
      // surrogates, and above U+10FFFF
      {"\xED\xA0\x80", false},
      {"\xED\xBF\xBF", false},
      {"\xF4\x90\x80\x80", false},
      {"\xF5\x80\x80\x80", false},
      {"\xF8\x88\x80\x80\x80", false},
      {"\xFF", false},
      // a continuation byte alone or one too many, a character cut short
      {"\x80", false},
      {"\xBF", false},
      {"あ\x80", false},
      {"\xE3\x81" "a", false},
      {"\xE3" "a", false},
      {"\xF0\x9F\x98" "a", false},
      {"\xC2\xC2\x80", false},
      {"\xE3\x81\xE3\x81\x82", false},
      // Shift-JIS whose first bytes read as a UTF-8 character: 辷ら
      {"\xE7\x88\x82\xE7", false},
      {"\x93\xFA\x96\x7B", false},  // 日本 in Shift-JIS
      {"\xC6\xFC\xCB\xDC", false},  // and in EUC-JP
  };
  for (const TPlacing& placing : Placings()) {
    for (const auto& c : cases)
      EXPECT_EQ(IsWellFormedUtf8(placing.fill + c.text + std::string(40, 'z')), c.wellFormed)
          << placing.fill.size() << " " << c.text;
    // ASCII alone is not UTF-8 by this test, whatever it holds.
    for (const std::string& ascii : {""s, "plain"s, "\x1B$B\x30\x21\x1B(B"s, "a\0b"s})
      EXPECT_EQ(IsWellFormedUtf8(placing.fill + ascii), !placing.fillIsAscii) << placing.fill.size();
  }
}

TEST(Utf8CheckTest, CharacterCutOffByTheEndOfTheText) {
  const struct {
    std::string tail;
    bool passes;
  } cases[] = {
      {"\xE8", true},
      {"\xE8\xAA", true},
      {"\xF0\x9F", true},
      {"\xF0\x9F\x98", true},
      {"\xDF", true},
      // what is there already breaks the rules
      {"\xE0\x80", false},
      {"\xED\xA0", false},
      {"\xF4\x90", false},
      {"\xF0\x8F\xBF", false},
      {"\xF5", false},
      {"\xC1", false},
      {"\x80", false},
      {"\xE3\x41", false},
      {"\xF0\x9F\x41", false},
  };
  for (const TPlacing& placing : Placings()) {
    for (const auto& c : cases) {
      const std::string where = std::to_string(placing.fill.size()) + " " + c.tail;
      EXPECT_EQ(IsWellFormedUtf8(placing.fill + "語" + c.tail), c.passes) << where;
      // A cut-off character alone is no character beyond ASCII.
      if (placing.fillIsAscii) {
        EXPECT_FALSE(IsWellFormedUtf8(placing.fill + c.tail)) << where;
      }
    }
  }
}

// The plain reading: each character decoded to its code point, which must
// be in range for its length and not a surrogate.
bool DecodesWhole(const std::string& text) {
  bool beyondAscii = false;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xC0 && lead < 0xE0 ? 2 : 0;
    if (length == 0) return false;
    static constexpr char32_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t point = lead & kLeadBits[length];
    size_t k = 1;
    for (; k < length && i + k < text.size(); ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      point = point << 6 | (c & 0x3F);
    }
    if (k < length) {
      // Cut off by the end: some character of this length must begin so.
      const int missing = static_cast<int>(length - k) * 6;
      const char32_t lowest = point << missing;
      const char32_t highest = lowest | ((char32_t{1} << missing) - 1);
      return beyondAscii && highest >= kLeast[length] && lowest <= 0x10FFFF &&
             !(lowest >= 0xD800 && highest <= 0xDFFF);
    }
    if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
    beyondAscii = beyondAscii || length > 1;
    i += length;
  }
  return beyondAscii;
}

TEST(Utf8CheckTest, AgreesWithDecodingOnRandomTexts) {
  // Pieces that make and break characters, and long ASCII and kanji runs so
  // that the blocks see both.
  const std::vector<std::string> pieces = {
      "a", " ", "\n", std::string(40, 'x'), "日本語の文章です。日本語の文章です。", "é", "😀", "\xF4\x8F\xBF\xBF",
      "\x80", "\xBF", "\xC0", "\xC2", "\xE0", "\xE3", "\xED", "\xA0", "\x9F", "\xF0", "\xF4", "\x90", "\xF5", "\xFF",
  };
  std::mt19937 random(230001);
  int utf8 = 0;
  for (int round = 0; round < 40000; ++round) {
    std::string text;
    const int count = std::uniform_int_distribution<int>(0, 24)(random);
    for (int i = 0; i < count; ++i) {
      // Mostly well-formed pieces, so that a fault is often far in.
      const size_t pick = random() % 4 != 0 ? random() % 8 : random() % pieces.size();
      text += pieces[pick];
    }
    const bool expected = DecodesWhole(text);
    utf8 += expected;
    ASSERT_EQ(IsWellFormedUtf8(text), expected) << round << " " << text;
  }
  EXPECT_GT(utf8, 4000);  // both answers are well represented
  EXPECT_LT(utf8, 36000);
}

}  // namespace
}  // namespace tansa2
