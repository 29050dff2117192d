// Code detection and conversion of Japanese texts to Shift-JIS lines.
#include "engine/KyConvert.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <sstream>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using namespace std::string_literals;
using platform::Utf8ToCp932;

// An independent encoder for the expected bytes.
std::string Iconv(const char* to, std::string_view utf8) {
  iconv_t cd = iconv_open(to, "UTF-8");
  std::string out(utf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1));
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string Repeat(const std::string& s, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += s;
  return out;
}

const std::string kText = "漢字とかなとカナの混じった文章です。\r\n２行目：「記号」ABC\n";

TEST(KyConvertTest, DetectCodeRules) {
  const struct {
    std::string text;
    int code;
  } cases[] = {
      {"", kcAscii},
      {"plain text\r\n\t", kcAscii},
      {"\x1B(B\x1B" "B", kcAscii},
      {"abc\x1B", kcAscii},
      {"abc\x1B$B", kcJis},
      {"\xB0\xA1\x1B$", kcJis},             // ESC $ ends an undecided text
      {"\x88\x9F\x1B$", kcSjis},
      {"\x1B\x88" "A", kcAscii},            // the byte after ESC is consumed
      {"a\x7F\x08", kcAscii},
      {"\x88\x9F", kcSjis},
      {"\xB0\xA1", kcEucOrSjis},
      {"\xB0\xA1 text \xFD", kcEuc},
      {"\xB0\xA1\x88\x9F", kcSjis},
      {"\x8E\x40", kcSjis},
      {"\x8E\xB1", kcEucOrSjis},
      {"\x8E", kcAscii},
      {"\xB1\xF0", kcEuc},
      {"\xB1\x41", kcSjis},
      {"\xB1", kcSjis},                     // a cut-off second byte reads 0x00
      {"\xB1\xA0", kcAscii},
      {"\xB1\xE0\x81", kcSjis},             // look-ahead
      {"\xB1\xE0\x9F\x9D\x9E", kcEucOrSjis},
      {"\xB1\xE0\xE5\xFD", kcEuc},
      {"\xB1\xE5\xE5", kcEucOrSjis},
      {"\xB1\xE0\x1B$", kcEucOrSjis},       // the stopping byte is stepped over
      {"\xB1\xE0\x30\x88\x9F", kcSjis},
      {"\xFD", kcEuc},
      {"\xFE", kcEuc},
      {"\x80\xA0\xF0\xFC", kcAscii},
      {"\xE0\x40", kcSjis},
      {"\xEF\xA0", kcSjis},
      {"\xE0\xFD", kcEuc},
      {"\xE0\xA1", kcEucOrSjis},
      {"\xE0\x7F\xE0", kcAscii},
      {"ab\x07", kcBinary},
      {"ab\xFF", kcBinary},
      {Utf8ToCp932(kText), kcSjis},
      {Iconv("EUC-JP", kText), kcEuc},
      {Iconv("ISO-2022-JP", kText), kcJis},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectCode(c.text), c.code) << c.text;
}

TEST(KyConvertTest, DetectCodeBinaryBeyondThePreScan) {
  std::string text(700, 'a');
  text[299] = '\x01';
  text[0] = '\x88';
  text[1] = '\x9F';
  EXPECT_EQ(DetectCode(text), kcBinary);
  text[299] = 'a';
  text[599] = '\x01';
  EXPECT_EQ(DetectCode(text), kcSjis);  // decided before it
  text[0] = text[1] = 'a';
  EXPECT_EQ(DetectCode(text), kcBinary);
  text[598] = '\x8E';                   // 0x01 is read as a second byte only
  EXPECT_EQ(DetectCode(text), kcAscii);
}

TEST(KyConvertTest, IsUtf8ByMarkOrByTheWholeText) {
  const struct {
    std::string text;
    bool utf8;
    bool bom;
  } cases[] = {
      {"", false, false},
      {"abc", false, false},
      {"\xEF\xBB\xBF" "a", true, true},
      {"\xEF\xBB\xBF" "\x88\x9F", true, true},  // the mark decides alone
      {"\xEF\xBB\xBF", true, false},              // too short for a mark, but U+FEFF
      {"abc" "あ", true, false},
      {"abc" "あ" "\x88", false, false},
      {"é", true, false},
      {"ab\xE3\x81", false, false},
      {Utf8ToCp932(kText), false, false},
  };
  for (const auto& c : cases) {
    bool bom = true;
    EXPECT_EQ(IsUtf8(c.text, bom), c.utf8) << c.text;
    EXPECT_EQ(bom, c.bom) << c.text;
  }
}

// A UTF-8 text is read as UTF-8 whatever its first character beyond ASCII,
// and a text that breaks the rules anywhere goes to the byte scan.
TEST(KyConvertTest, DecideCodeTakesWellFormedUtf8) {
  const std::string japanese = Repeat("日本語の文章。", 3);
  std::string brokenAt32 = japanese;
  brokenAt32.insert(32, "\x81");
  const struct {
    std::string text;
    int code;
  } cases[] = {
      {"© 2026 株式会社\n" + japanese, kcUtf8},
      {"café\n" + japanese, kcUtf8},
      {"25°C\n" + japanese, kcUtf8},
      {"😀 " + japanese, kcUtf8},
      {"\xF0\xA0\x80\x8B", kcUtf8},  // 𠀋
      {japanese + "\xE8\xAA", kcUtf8},  // cut short at the end
      {"plain text", kcAscii},
      {Iconv("ISO-2022-JP", kText), kcJis},
      {Iconv("EUC-JP", kText), kcEuc},
      {Utf8ToCp932(kText), kcSjis},
      // Shift-JIS beginning with bytes that form a three-byte character
      {Utf8ToCp932("辷らない" + japanese), kcSjis},
      {"\xC0\xAF", kcSjis},          // overlong: undecided, read by default
      {"\xED\xA0\x80", kcSjis},      // a surrogate
      {"\xF4\x90\x80\x80", kcSjis},  // above U+10FFFF
      {japanese + Utf8ToCp932("表"), kcSjis},
      {brokenAt32, kcSjis},
      {"café \xB0\xA1\xFD", kcEuc},
  };
  for (const auto& c : cases) EXPECT_EQ(DecideCode(c.text, kcSjis), c.code) << c.text;
}

TEST(KyConvertTest, ConvertersToShiftJis) {
  EXPECT_EQ(JisToSjis("\x1B$B\x30\x21\x1B(B"), "\x88\x9F");
  EXPECT_EQ(JisToSjis("a\x1B(B\x1B$B\x30\x21\x1B(Jb"), "a\x88\x9F" "b");  // escapes back to back
  EXPECT_EQ(JisToSjis("ab\x1B$"), "ab");
  EXPECT_EQ(EucToSjis("\xB0\xA1"), "\x88\x9F");
  EXPECT_EQ(EucToSjis("\x8E\xB1" "a\x80\xFF"), "\xB1" "a\x80\xFF");
  const std::string sjis = Utf8ToCp932(kText + "ﾊﾝｶｸ");
  EXPECT_EQ(EucToSjis(Iconv("EUC-JP", kText + "ﾊﾝｶｸ")), sjis);
  EXPECT_EQ(JisToSjis(Iconv("ISO-2022-JP", "漢字" + kText)), Utf8ToCp932("漢字" + kText));
}

TEST(KyConvertTest, RoundTripsThroughJisAndEuc) {
  const std::string sjis = Utf8ToCp932(kText + "①～⑩");
  EXPECT_EQ(JisToSjis(SjisToJis(sjis)), sjis);
  EXPECT_EQ(EucToSjis(SjisToEuc(sjis)), sjis);
  EXPECT_EQ(EucToJis(SjisToEuc(sjis)), SjisToJis(sjis));
  EXPECT_EQ(JisToEuc(SjisToJis(sjis)), SjisToEuc(sjis));
  const std::string kana = Utf8ToCp932("ﾃｷｽﾄ ｶﾞｷﾞ");
  EXPECT_EQ(EucToSjis(SjisToEuc(kana)), kana);
  EXPECT_EQ(SjisToEuc(Utf8ToCp932(kText + "ﾃｷｽﾄ")), Iconv("EUC-JP", kText + "ﾃｷｽﾄ"));
}

// Clean EUC-JP is read 64 bytes at a time; a character-by-character
// reading must agree at every block edge, with and without half-width kana.
TEST(KyConvertTest, CleanEucAgreesWithReadingCharacterByCharacter) {
  auto characterByCharacter = [](std::string_view text) {
    for (size_t i = 0; i < text.size();) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c < 0x80) {
        ++i;
        continue;
      }
      if (i + 1 == text.size()) return false;
      const auto d = static_cast<unsigned char>(text[i + 1]);
      const bool pair = c == 0x8E ? d >= 0xA1 && d <= 0xDF : c >= 0xA1 && c <= 0xFE && d >= 0xA1 && d <= 0xFE;
      if (!pair) return false;
      i += 2;
    }
    return true;
  };
  std::mt19937 random(3);
  for (int round = 0; round < 20000; ++round) {
    // Mostly well-formed runs of pairs, sometimes a stray byte.
    std::string text;
    for (size_t size = random() % 300; text.size() < size;) {
      const unsigned pick = random() % 100;
      if (pick < 40) text += "\xA4\xA2";
      else if (pick < 60) text += 'a';
      else if (pick < 70) text += "\r\n";
      else if (pick < 75) text += "\x8E\xB1";
      else if (pick < 97) text += "\xB0\xFE";
      else text += "\x8E\xA4\x80\xFF\xE0"[random() % 5];
    }
    EXPECT_EQ(IsCleanEuc(text), characterByCharacter(text)) << "round " << round;
  }
}

// Runs between escape sequences: ASCII in ASCII mode, pairs of 0x21-0x7E
// in kanji mode; an escape sequence never directly follows another.
bool CleanJisRunByRun(std::string_view text) {
  bool kanjiMode = false;
  size_t runStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) return false;
    if (c != 0x1B) {
      if (kanjiMode && (c < 0x21 || c > 0x7E)) return false;
      continue;
    }
    if (i + 2 >= text.size() || (i == runStart && i > 0)) return false;
    if (kanjiMode && (i - runStart) % 2 != 0) return false;
    if (text[i + 1] != (kanjiMode ? '(' : '$')) return false;
    if (static_cast<unsigned char>(text[i + 2]) >= 0x80) return false;
    kanjiMode = !kanjiMode;
    runStart = i + 3;
    i += 2;
  }
  return !kanjiMode || (text.size() - runStart) % 2 == 0;
}

TEST(KyConvertTest, CleanJisAgreesWithReadingRunByRun) {
  EXPECT_TRUE(IsCleanJis(SjisToJis(Utf8ToCp932(kText + "\r\n" + kText))));
  EXPECT_FALSE(IsCleanJis("\x1B(I\x43\x1B(B"));  // half-width katakana mode
  // An escape sequence across the edge of a 64-byte block; its last byte,
  // whatever it is, belongs to the sequence.
  for (size_t ascii = 56; ascii < 72; ++ascii)
    for (const char* sequence : {"\x1B$\n", "\x1B$\x1B"}) {
      const std::string text = std::string(ascii, 'a') + sequence + "\x30\x21\x1B(B";
      EXPECT_EQ(IsCleanJis(text), CleanJisRunByRun(text)) << ascii;
      EXPECT_TRUE(IsCleanJis(text)) << ascii;
    }
  std::mt19937 random(5);
  static const std::string kPieces[] = {"\x1B$B", "\x1B(B", "\x30\x21", "\x46\x7C", "a", "\r\n",
                                        "\x30", "\x1B(I", "\x1B", "\x1B$\x1B", "\xA4"};
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (size_t size = random() % 300; text.size() < size;) {
      const unsigned pick = random() % 100;
      text += kPieces[pick < 80 ? pick % 5 : pick < 90 ? 5 : 6 + pick % 5];
    }
    EXPECT_EQ(IsCleanJis(text), CleanJisRunByRun(text)) << "round " << round;
  }
}

// Long clean texts, as converters write them, with at most one fault: a
// byte left out or put in, or a sequence repeated.
TEST(KyConvertTest, CleanJisFindsOneFaultInALongText) {
  std::mt19937 random(7);
  static const std::string kEnter[] = {"\x1B$B", "\x1B$@"};
  static const std::string kLeave[] = {"\x1B(B", "\x1B(J"};
  static const char kAscii[] = "a~ $(\r\n\t";
  static const char kStray[] = "\x1B$(\x80\nB\x21";
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (size_t size = 1 + random() % 400; text.size() < size;) {
      for (int n = random() % 12; n > 0; --n) text += kAscii[random() % (sizeof kAscii - 1)];
      text += kEnter[random() % 2];
      for (int n = 1 + random() % 8; n > 0; --n) text += {static_cast<char>(0x21 + random() % 94), '\x30'};
      text += kLeave[random() % 2];
    }
    switch (random() % 4) {
      case 0:
        text.erase(random() % text.size(), 1);
        break;
      case 1:
        text.insert(random() % text.size(), 1, kStray[random() % (sizeof kStray - 1)]);
        break;
      case 2:
        if (const size_t esc = text.find('\x1B', random() % text.size()); esc != std::string::npos)
          text.insert(esc, text.substr(esc, 3));
        break;
    }
    EXPECT_EQ(IsCleanJis(text), CleanJisRunByRun(text)) << "round " << round;
  }
}

TEST(KyConvertTest, ToJisEscapesAndLineBreaks) {
  EXPECT_EQ(SjisToJis("\xB6\xDE"), "\x1B$B\x25\x2C");
  EXPECT_EQ(SjisToJis("a\x88\x9F" "b\r\n\x88\x9F"),
            "a\x1B$B\x30\x21\x1B(Jb\r\n\x1B$B\x30\x21");
  EXPECT_EQ(SjisToJis("\x88\x9F\r\x88\x9F"), "\x1B$B\x30\x21\x1B(J\r\x1B$B\x30\x21");
  EXPECT_EQ(EucToJis("\xB0\xA1\n\x8E\xB6\x8E\xDE"), "\x1B$B\x30\x21\x1B(J\n\x1B$B\x25\x2C");
  // Alternating katakana and letters grow more than twice; nothing is lost.
  EXPECT_EQ(SjisToJis(Repeat("\xB1" "a", 1000)), Repeat("\x1B$B\x25\x22\x1B(Ja", 1000));
  EXPECT_EQ(EucToJis(Repeat("\x8E\xB1" "a", 1000)), Repeat("\x1B$B\x25\x22\x1B(Ja", 1000));
  EXPECT_EQ(SjisToJis(""), "");
}

TEST(KyConvertTest, HalfWidthKatakanaBecomeFullWidth) {
  const std::string full = Utf8ToCp932(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
  ASSERT_EQ(full.size(), 63u * 2);
  for (int k = 0xA1; k <= 0xDF; ++k) {
    const std::string half(1, static_cast<char>(k));
    EXPECT_EQ(JisToSjis(SjisToJis(half)), full.substr((k - 0xA1) * 2, 2)) << k;
    EXPECT_EQ(EucToJis(SjisToEuc(half)), SjisToJis(half)) << k;
  }
  const struct {
    const char* half;
    const char* full;
  } marks[] = {
      {"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", "ガギグゲゴザジズゼゾダヂヅデドバビブベボ"},
      {"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞ", "パピプペポヴ"},
      {"ｱﾞｶﾟﾅﾞﾏﾟｳﾟﾞﾞﾟ", "ア゛カ゜ナ゛マ゜ウ゜゛゛゜"},
      {"ｶﾞﾞﾊﾟﾟ", "ガ゛パ゜"},
  };
  for (const auto& m : marks) {
    const std::string half = Utf8ToCp932(m.half);
    const std::string jis = SjisToJis(half);
    EXPECT_EQ(JisToSjis(jis), Utf8ToCp932(m.full)) << m.full;
    EXPECT_EQ(EucToJis(SjisToEuc(half)), jis) << m.full;
  }
}

TEST(KyConvertTest, PairCutOffByTheEndTakesZero) {
  const struct {
    std::string (*convert)(std::string_view);
    std::string text;
  } cases[] = {
      {JisToSjis, "\x1B$B\x30"}, {EucToSjis, "a\xB0"},
      {EucToSjis, "a\x8E"},       {EucToJis, "a\xB0"},       {EucToJis, "a\x8E"},
      {SjisToEuc, "a\x88"},       {SjisToJis, "a\x88"},
  };
  for (const auto& c : cases) {
    const std::string converted = c.convert(c.text);
    EXPECT_EQ(converted, c.convert(c.text + '\0')) << c.text;
  }
  EXPECT_EQ(EucToSjis("a\x8E"), "a\0"s);
}

TEST(KyConvertTest, ConvertCodeDispatch) {
  const std::string sjis = Utf8ToCp932(kText + "ｶﾅ");
  const std::string euc = SjisToEuc(sjis);
  const std::string jis = SjisToJis(sjis);
  EXPECT_EQ(ConvertCode(sjis, kcSjis, kcJis), SjisToJis(sjis));
  EXPECT_EQ(ConvertCode(sjis, kcSjis, kcEuc), euc);
  EXPECT_EQ(ConvertCode(euc, kcEuc, kcSjis), sjis);
  EXPECT_EQ(ConvertCode(euc, kcEuc, kcJis), EucToJis(euc));
  EXPECT_EQ(ConvertCode(jis, kcJis, kcSjis), JisToSjis(jis));
  EXPECT_EQ(ConvertCode(jis, kcJis, kcEuc), JisToEuc(jis));
  for (const int from : {0, 1, 5, 13, 99, -1})
    EXPECT_EQ(ConvertCode(euc, from, kcSjis), euc) << from;
  for (const int to : {4, 0, 13, 99}) EXPECT_EQ(ConvertCode(sjis, kcSjis, to), sjis);
}

TStrings Load(const std::string& bytes, int& code, int defaultCode = kcSjis,
              const TAskSjisOrEuc& ask = {}) {
  TStrings lines{"stale"};
  std::istringstream stream(bytes);
  LoadTextStream(lines, stream, code, defaultCode, ask);
  return lines;
}

TEST(KyConvertTest, LoadDecidesByByteOrderMarkAndShape) {
  const TStrings expected = {Utf8ToCp932("日本語の"), Utf8ToCp932("ﾃｷｽﾄ😀")};
  const std::string utf8 = "日本語の\r\nﾃｷｽﾄ😀\n";
  const std::string le = Iconv("UTF-16LE", utf8);
  const std::string be = Iconv("UTF-16BE", utf8);
  const struct {
    std::string bytes;
    int code;
  } cases[] = {
      {"\xFF\xFE" + le, kcUtf16LE},
      {"\xFE\xFF" + be, kcUtf16BE},
      {"\xEF\xBB\xBF" + utf8, kcUtf8Bom},
      {utf8, kcUtf8},
      {Iconv("EUC-JP", "日本語の\r\nﾃｷｽﾄ?\n"), kcEuc},
      {Utf8ToCp932(utf8), kcSjis},
  };
  for (const auto& c : cases) {
    int code = kcAuto;
    EXPECT_EQ(Load(c.bytes, code), expected) << c.code;
    EXPECT_EQ(code, c.code);
  }
  int code = kcAuto;
  EXPECT_EQ(Load(Iconv("ISO-2022-JP", "日本語の\r\nテキスト\n"), code),
            (TStrings{Utf8ToCp932("日本語の"), Utf8ToCp932("テキスト")}));
  EXPECT_EQ(code, kcJis);
}

TEST(KyConvertTest, LoadUtf16Limits) {
  int code = kcAuto;
  EXPECT_EQ(Load("\xFF\xFE" "a\0b\0\0\0c\0"s, code), TStrings{"ab"});  // U+0000 ends it
  code = kcAuto;
  EXPECT_EQ(Load("\xFE\xFF\0a\0b\0\0\0c"s, code), TStrings{"ab"});
  code = kcAuto;
  EXPECT_EQ(Load("\xFF\xFE" "a\0b"s, code), TStrings{"a"});  // a lone last byte is dropped
  EXPECT_EQ(code, kcUtf16LE);
  code = kcAuto;
  EXPECT_EQ(Load("\xFE\xFF\0a\0"s, code), TStrings{"a"});
  code = kcAuto;
  EXPECT_EQ(Load("\xFF\xFE", code), TStrings{"\xFF\xFE"});  // too short for a mark
  EXPECT_EQ(code, kcSjis);
  // A code given by the caller is applied to texts too short for it.
  for (const int given : {10, 11, 12}) {
    code = given;
    EXPECT_TRUE(Load("a", code).empty()) << given;
    EXPECT_EQ(code, given);
  }
}

TEST(KyConvertTest, LoadEndsAtZeroAndSplitsLines) {
  int code = kcAuto;
  EXPECT_TRUE(Load("", code).empty());
  EXPECT_EQ(code, kcSjis);
  code = kcAuto;
  EXPECT_EQ(Load("a\0b"s, code), TStrings{"a"});
  code = kcEuc;
  EXPECT_EQ(Load("\xB0\xA1\0\xB0\xA1"s, code), TStrings{"\x88\x9F"});
  code = kcAuto;
  EXPECT_EQ(Load("\xEF\xBB\xBF" "a\0b"s, code), TStrings{"a"});
  code = 7;
  EXPECT_EQ(Load("\xB0\xA1", code), TStrings{"\xB0\xA1"});
  EXPECT_EQ(code, kcSjis);

  const struct {
    std::string text;
    TStrings lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n\r", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r", {""}},
  };
  for (const auto& c : cases) {
    TStrings lines{"stale"};
    SplitTextLines(c.text, lines);
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

TEST(KyConvertTest, UndecidedTextUsesDefaultOrAsks) {
  const std::string text = "\xB0\xA1\xB0\xA1";
  int asked = 0;
  const auto answer = [&asked](bool sjis) {
    return [&asked, sjis] {
      ++asked;
      return sjis;
    };
  };
  int code = kcAuto;
  EXPECT_EQ(ConvertToSjis(text, code, kcSjis, answer(false)), text);
  EXPECT_EQ(code, kcSjis);
  code = kcAuto;
  EXPECT_EQ(ConvertToSjis(text, code, kcEuc, answer(true)), "\x88\x9F\x88\x9F");
  EXPECT_EQ(code, kcEuc);
  EXPECT_EQ(asked, 0);
  code = kcAuto;
  EXPECT_EQ(ConvertToSjis(text, code, kcAuto, answer(false)), "\x88\x9F\x88\x9F");
  EXPECT_EQ(code, kcEuc);
  code = kcAuto;
  EXPECT_EQ(ConvertToSjis(text, code, kcAuto, answer(true)), text);
  EXPECT_EQ(code, kcSjis);
  EXPECT_EQ(asked, 2);
  code = kcAuto;
  EXPECT_EQ(ConvertToSjis(text, code, kcAuto), text);
  EXPECT_EQ(code, kcSjis);
  code = kcAuto;
  ConvertToSjis("\x88\x9F", code, kcAuto, answer(false));
  EXPECT_EQ(asked, 2);
}

TEST(KyConvertTest, LoadFromStreamPositionAndFile) {
  std::istringstream stream("skip\xB0\xA1\r\nb");
  stream.ignore(4);
  TStrings lines;
  int code = kcAuto;
  LoadTextStream(lines, stream, code, kcEuc);
  EXPECT_EQ(lines, (TStrings{"\x88\x9F", "b"}));

  const testing::TTempDir dir;
  const std::string file = dir.Write("euc.txt", Iconv("EUC-JP", kText));
  code = kcAuto;
  LoadTextFile(lines, file, code, kcSjis);
  EXPECT_EQ(code, kcEuc);
  EXPECT_EQ(lines, (TStrings{Utf8ToCp932("漢字とかなとカナの混じった文章です。"),
                             Utf8ToCp932("２行目：「記号」ABC")}));
  code = kcAuto;
  EXPECT_THROW(LoadTextFile(lines, dir.String() + "/missing.txt", code, kcSjis),
               platform::EFOpenError);
}

}  // namespace
}  // namespace tansa2
