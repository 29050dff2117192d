// Searching a file must give exactly what the plain reading gives: load the
// whole file, convert it character by character through iconv, split it into
// lines and test every line. Inputs are random text in every code the
// detection knows, with the bytes and characters that trip shortcuts.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "engine/KyConvert.h"
#include "engine/KyGrep.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "tests/support/PlainReading.h"
#include "tests/support/TempDir.h"

namespace tansa2 {
namespace {

using testing::TRow;

// iconv over the whole text; each character it refuses becomes one "?".
std::string IconvToCp932(std::string_view text, const char* from, size_t unit) {
  iconv_t cd = iconv_open("CP932", from);
  std::string out;
  char* in = const_cast<char*>(text.data());
  size_t left = text.size();
  while (left > 0) {
    char buffer[4096];
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(cd, &in, &left, &outPtr, &outLeft);
    out.append(buffer, outPtr - buffer);
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // Step over the refused character: a whole well-formed one, else one unit.
    size_t skip = unit;
    const auto* p = reinterpret_cast<const unsigned char*>(in);
    if (unit == 1) {
      const size_t n = p[0] >= 0xC2 && p[0] < 0xE0 ? 2 : p[0] >= 0xE0 && p[0] < 0xF0 ? 3
                       : p[0] >= 0xF0 && p[0] < 0xF5 ? 4 : 1;
      bool whole = n <= left;
      for (size_t i = 1; whole && i < n; ++i) whole = (p[i] & 0xC0) == 0x80;
      skip = whole ? n : 1;
    } else if (left >= 4) {
      const bool le = std::string_view(from) == "UTF-16LE";
      auto at = [&](size_t i) { return le ? p[i] | p[i + 1] << 8 : p[i] << 8 | p[i + 1]; };
      if (at(0) >= 0xD800 && at(0) <= 0xDBFF && at(2) >= 0xDC00 && at(2) <= 0xDFFF) skip = 4;
    }
    skip = std::min(skip, left);
    in += skip;
    left -= skip;
    out += '?';
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

std::string PlainSjis(const std::string& raw, int code) {
  switch (code) {
    case kcJis:
    case kcEuc:
      return ConvertCode(raw, code, kcSjis);
    case kcUtf16LE:
    case kcUtf16BE: {
      std::string body = raw.substr(2);
      body.resize(body.size() & ~size_t{1});
      return IconvToCp932(body, code == kcUtf16LE ? "UTF-16LE" : "UTF-16BE", 2);
    }
    case kcUtf8Bom:
      return IconvToCp932(raw.substr(3), "UTF-8", 1);
    case kcUtf8:
      return IconvToCp932(raw, "UTF-8", 1);
    default:
      return raw;
  }
}

std::vector<std::string> PlainLines(const std::string& raw, bool autoCode) {
  if (autoCode) {
    const std::string text = PlainSjis(raw, DecideCode(raw, kcSjis));
    return testing::ConvertedLines(text.substr(0, text.find('\0')));
  }
  if (raw.substr(0, 2048).find('\0') != std::string::npos) return {};
  return testing::RawLines(raw);
}

// Characters to build text from, in UTF-8: ASCII, kana and kanji, ones
// CP932 lacks, ones CP932 writes the same way as another (¬ ￢, ‖ ∥, − －,
// 〜 ～), half-width katakana, and letters that fold case.
const std::vector<std::string> kChars = {
    "a", "b", "A", "B", "x", "1", "2", "-", " ", "\t", "\r", "\n", "\r\n", "/", "\\", "|", "?",
    "日", "本", "東", "京", "都", "表", "ソ", "能", "ポ", "ア", "の", "ん", "を",
    "é", "😀", "¬", "￢", "‖", "∥", "−", "－", "〜", "～", "ｱ", "ﾞ", "Ａ", "ａ", "α", "Α",
};

std::string RandomUtf8(std::mt19937& random) {
  std::string text;
  const int n = std::uniform_int_distribution<int>(0, 80)(random);
  for (int i = 0; i < n; ++i) text += kChars[random() % kChars.size()];
  return text;
}

std::string Iconv(const std::string& utf8, const char* to) {
  iconv_t cd = iconv_open((std::string(to) + "//TRANSLIT").c_str(), "UTF-8");
  std::string out(utf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t left = utf8.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (left > 0 && iconv(cd, &in, &left, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
    ++in;  // what the code can't hold is left out
    --left;
  }
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// One file in a random code, now and then damaged by a stray byte.
std::string RandomFile(std::mt19937& random) {
  const std::string utf8 = RandomUtf8(random);
  std::string bytes;
  switch (random() % 8) {
    case 0: bytes = Iconv(utf8, "CP932"); break;
    case 1: bytes = Iconv(utf8, "EUC-JP"); break;
    case 2: bytes = Iconv(utf8, "ISO-2022-JP"); break;
    case 3: bytes = utf8; break;
    case 4: bytes = "\xEF\xBB\xBF" + utf8; break;
    case 5: bytes = "\xFF\xFE" + Iconv(utf8, "UTF-16LE"); break;
    case 6: bytes = "\xFE\xFF" + Iconv(utf8, "UTF-16BE"); break;
    default: bytes = utf8.substr(0, utf8.size() / 2); break;  // cut mid-character
  }
  if (!bytes.empty() && random() % 5 == 0)
    bytes.insert(random() % bytes.size(), 1, "\x00\x1A\x80\xFF\x95\xED\x8E\x8F"[random() % 8]);
  // Escape sequences that switch nothing, or come back to back.
  if (!bytes.empty() && random() % 5 == 0) {
    static const char* const escapes[] = {"\x1B$B", "\x1B(B", "\x1B(J", "\x1B$@", "\x1B"};
    bytes.insert(random() % bytes.size(), escapes[random() % 5]);
  }
  if (!bytes.empty() && random() % 7 == 0) bytes.pop_back();
  return bytes;
}

std::vector<std::string> Patterns() {
  std::vector<std::string> patterns;
  for (const char* body : {"日本", "東京", "表", "ソ\\/", "ポ", "ab", "a", "¬", "￢", "‖", "−", "〜",
                           "ｱﾞ", "Ａ", "α", "\\?", "é", "(日", "東.{0,3}[都京]", "日|本", "^a", "a$", "\\|",
                           "ア", "の.ん", "a日", "日a", "本 ", "ｱ", "表/",
                           // plain text as a plain-text search writes it: ASCII marks and
                           // letters that are also trail bytes, words ending in such a byte
                           "A", "\\\\", "\\.", "の", "ｱ\\-", "表\\\\", "ポA",
                           // alternations: a word JIS or EUC-JP can't hold, one with two
                           // sources in Unicode, an empty branch, overlapping words, words
                           // ending in the trail bytes \ and |, anchors, groups
                           "ｱﾞ|日本", "¬|ab", "日本|", "東京|京", "日本|本|日", "ソ|ポ|\\\\", "^(日|本)",
                           "(a|東)$", "x?(日|表)+", "Ａ|ａ|α", "ab|B", "a|~", "(?:東|京)[都京]", "〜|－",
                           // classes listing kanji, alone or as the second word a line must hold
                           "[東京]", "[都京]{2}", "日.?[本表]", "[ソポ]a", "Ａ[日本]", "ab.*[本表]|x",
                           // words of several bytes, mixing letters and kanji, each found by its
                           // leading bytes
                           "東京|日本a|B日", "ab日|Ba|本x",
                           // no literal at all, or only single characters: runs of a class
                           // within a lead byte, across lead bytes, listing characters whose
                           // second byte is an ASCII mark
                           "[ア-ン]{2,}", "[一-龠]{2}", "[ァ-ヶ一-龠]{3}", "[アソポ]{2}", "x[ソ能表]{2}",
                           "[Α-Ωア]{2}", "[Ａ-Ｚ]{2}",  // runs of letters that fold case
                           "[ア-ン]{3,2}",              // a run in a pattern the library refuses
                           "\\d", "^\\s*$", "^$", "[ｱ-ﾝ]|\\s$",
                           // a common literal found only with digits around it
                           "\\d{2}-\\d", "[0-9]-", "-\\d", "1-日", "\\d{3}-\\d{4}"}) {
    const std::string cp932 = platform::Utf8ToCp932(body);
    patterns.push_back("m/" + cp932 + "/k");
    patterns.push_back("m/" + cp932 + "/ki");
  }
  return patterns;
}

TEST(GrepDifferentialTest, FilesGiveWhatThePlainReadingGives) {
  testing::TTempDir dir;
  std::mt19937 random(8122026);
  const std::vector<std::string> patterns = Patterns();
  TKyGrep grep;
  std::vector<TRow> rows;
  grep.OnMatch = [&](TKyGrep&, const TGrepHit& hit) {
    rows.push_back({hit.LineNum, std::string(hit.Line), hit.MatchPos, hit.MatchLen});
  };
  TBRegExp plain;
  for (int round = 0; round < 1500; ++round) {
    const std::string raw = RandomFile(random);
    const std::string file = dir.Write("f.txt", raw);
    for (bool autoCode : {true, false}) {
      const std::vector<std::string> lines = PlainLines(raw, autoCode);
      for (const std::string& pattern : patterns) {
        std::vector<TRow> expected;
        bool plainFailed = false;
        try {
          expected = testing::MatchingRows(lines, pattern, plain);
        } catch (const EBRegExpError&) {
          plainFailed = true;
        }
        rows.clear();
        grep.RegExp = pattern;
        grep.AutoCode = autoCode;
        bool failed = false;
        try {
          grep.GrepFile(file);
        } catch (const EBRegExpError&) {
          failed = true;
        }
        const std::string where = "round " + std::to_string(round) + (autoCode ? " converted " : " raw ") + pattern;
        ASSERT_EQ(failed, plainFailed) << where;
        ASSERT_EQ(rows, expected) << where;
      }
    }
  }
}

// The UTF-8 decision, read plainly: iconv takes the whole text as UTF-8, a
// character cut off by its end aside, and it holds a character beyond ASCII;
// anything else goes to the byte scan. Texts begin with a character of each
// length beyond ASCII and break late, across the blocks the check reads.
int PlainUtf8Decision(const std::string& raw) {
  iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
  char* in = const_cast<char*>(raw.data());
  size_t left = raw.size();
  bool wellFormed = true;
  while (left > 0 && wellFormed) {
    char buffer[4096];
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(cd, &in, &left, &outPtr, &outLeft) == static_cast<size_t>(-1) && errno != E2BIG) {
      wellFormed = errno == EINVAL;  // cut off by the end
      break;
    }
  }
  iconv_close(cd);
  const std::string_view read(raw.data(), raw.size() - left);
  const bool beyondAscii = std::any_of(read.begin(), read.end(), [](char c) { return c & 0x80; });
  if (wellFormed && beyondAscii) return kcUtf8;
  const int code = DetectCode(raw);
  return code == kcEucOrSjis ? kcSjis : code;
}

std::string RandomUtf8DecisionFile(std::mt19937& random) {
  static const char* const firsts[] = {"é", "°", "©", "日", "株", "😀", "\xF0\xA0\x80\x8B"};
  // Characters and bytes that break UTF-8: Shift-JIS and EUC-JP kanji, a
  // continuation or lead byte alone, an overlong form, a surrogate, a code
  // point above U+10FFFF.
  static const char* const breaks[] = {"\x93\xFA", "\xC6\xFC", "\x80", "\xC3", "\xE3\x81", "\xC0\xAF",
                                       "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
  std::string bytes = std::string(random() % 70, 'a') + firsts[random() % 7] + RandomUtf8(random);
  switch (random() % 4) {
    case 0: {
      // at a block boundary or anywhere
      static const size_t boundaries[] = {15, 16, 31, 32, 63, 64};
      const size_t at = random() % 2 ? boundaries[random() % 6] : random() % (bytes.size() + 1);
      bytes.insert(std::min(at, bytes.size()), breaks[random() % 9]);
      break;
    }
    case 1:
      bytes.resize(bytes.size() - random() % 3);  // cut, perhaps mid-character
      break;
    case 2:
      bytes = Iconv("辷ら" + bytes, "CP932");  // Shift-JIS that starts like UTF-8
      break;
    default:
      break;
  }
  return bytes;
}

TEST(GrepDifferentialTest, Utf8DecisionTakesTheWholeText) {
  testing::TTempDir dir;
  std::mt19937 random(23012026);
  std::vector<std::string> patterns;
  for (const char* body : {"日本", "東京|京都", "[ア-ン]{2,}", "a", "辷", "\\?", "^$"})
    patterns.push_back("m/" + platform::Utf8ToCp932(body) + "/k");
  TKyGrep grep;
  grep.AutoCode = true;
  std::vector<TRow> rows;
  grep.OnMatch = [&](TKyGrep&, const TGrepHit& hit) {
    rows.push_back({hit.LineNum, std::string(hit.Line), hit.MatchPos, hit.MatchLen});
  };
  TBRegExp plain;
  int utf8 = 0;
  for (int round = 0; round < 600; ++round) {
    const std::string raw = RandomUtf8DecisionFile(random);
    const int code = PlainUtf8Decision(raw);
    utf8 += code == kcUtf8;
    ASSERT_EQ(DecideCode(raw, kcSjis), code) << "round " << round;
    const std::string text = PlainSjis(raw, code);
    const std::vector<std::string> lines = testing::ConvertedLines(text.substr(0, text.find('\0')));
    const std::string file = dir.Write("u.txt", raw);
    for (const std::string& pattern : patterns) {
      rows.clear();
      grep.RegExp = pattern;
      grep.GrepFile(file);
      ASSERT_EQ(rows, testing::MatchingRows(lines, pattern, plain)) << "round " << round << " " << pattern;
    }
  }
  EXPECT_GT(utf8, 150);  // both decisions are well represented
  EXPECT_LT(utf8, 450);
}

}  // namespace
}  // namespace tansa2
