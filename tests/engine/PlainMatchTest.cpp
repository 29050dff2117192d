// Plain text found without the library must be found where the library
// finds it, in any bytes, and only patterns it matches so may take that way.
#include "engine/PlainMatch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/BRegExp.h"

namespace tansa2 {
namespace {

TEST(PlainMatchTest, TakesOnlyPlainCharactersThatMatchThemselves) {
  struct TCase {
    const char* pattern;
    bool plain;
  };
  for (const TCase& c : std::vector<TCase>{
           {"m/\x82\xCC/k", true},              // の
           {"m/\x82\xCC/ki", true},             // no case to fold
           {"m/\x93\xFA\x96\x7B abc/k", true},  // 日本 and letters, case matched
           {"m/abc/ki", false},                 // letters whose case is ignored
           {"m/\x82\x60/ki", false},            // full-width A folds too
           {"m/\x83\xBF/ki", false},            // and Greek
           {"m/\x84\x70/ki", false},            // and Cyrillic
           {"m/\x82\x60/k", true},
           {"m/\\$\\(\\)\\*\\+\\-\\.\\?\\[\\\\\\]\\^\\{\\|\\}\\//ki", true},
           {"m/1#%&'\",;:=<>@_`~!\xB1\xDE/ki", true},  // other marks, half-width kana
           {"m/a.c/k", false},
           {"m/ab*/k", false},
           {"m/a{2}/k", false},  // a count, not braces
           {"m/\\d/k", false},
           {"m/\\x41/k", false},
           {"m/\\</k", false},
           {"m/a\tb/k", false},
           {"m/\x80/k", false},
           {"m/\x81\x3F/k", false},  // a lead byte without its pair
           {"m/\x81/k", false},       // a lead byte takes the closing slash
           {"m//k", false},
           {"m/abc/", false},  // not read as Shift-JIS
           {"m/abc/kx", false},
           {"abc", false},
       })
    EXPECT_EQ(TPlainMatch::Of(c.pattern).has_value(), c.plain) << c.pattern;
}

// Lines of bytes that put the literals on trail bytes, after broken pairs
// and runs of lead bytes, among NULs, CRs and bytes no character uses.
TEST(PlainMatchTest, FindsWhereTheLibraryFinds) {
  const std::string bytes("\x82\xCC\x95\x5C\x83\x41\x7C\x81\x40\x3F\x2E\x00\r\xB1\x80\xA0\xFD\xFF\xE0\x9F" "aA/-\\",
                          25);
  const std::vector<std::string> bodies = {
      "\x82\xCC", "\x95\x5C", "\x83\x5C", "\x83\x41", "\x83\x7C", "\x82\x82", "\x9F\x40", "\x81\x40\x82\xCC",
      "A",        "a",        "aA",       "@",        "\\\\",     "\\|",      "\\?",      "\\.",
      "\\-",      "/",        "\xB1",     "\xB1\x82\xCC", "a\x95\x5C", "\x95\x5C" "a"};
  std::mt19937 random(1209);
  TBRegExp regExp;
  for (const std::string& body : bodies) {
    for (const char* flags : {"k", "ki"}) {
      const std::string pattern = "m/" + body + "/" + flags;
      const std::optional<TPlainMatch> plain = TPlainMatch::Of(pattern);
      if (!plain) continue;
      for (int round = 0; round < 400; ++round) {
        std::string line;
        const int n = std::uniform_int_distribution<int>(0, 24)(random);
        for (int i = 0; i < n; ++i) line += bytes[random() % bytes.size()];
        const size_t at = plain->Find(line);
        if (regExp.Match(pattern, line) > 0) {
          ASSERT_EQ(at + 1, static_cast<size_t>(regExp.MatchPos())) << pattern << " round " << round;
          ASSERT_EQ(plain->Length(), regExp.MatchLen()) << pattern;
        } else {
          ASSERT_EQ(at, std::string_view::npos) << pattern << " round " << round;
        }
      }
    }
  }
}

// Ignoring case, a character taken as plain must match no other character
// of the code: every one is tried against all the rest.
TEST(PlainMatchTest, CaselessPlainCharactersFoldWithNothingElse) {
  std::vector<std::string> chars;
  for (int c = 0x20; c < 0x7F; ++c) chars.emplace_back(1, static_cast<char>(c));
  for (int c = 0xA1; c <= 0xDF; ++c) chars.emplace_back(1, static_cast<char>(c));
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead == 0xA0) lead = 0xE0;
    for (int trail = 0x40; trail <= 0xFC; ++trail)
      if (trail != 0x7F) chars.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }
  std::string all;
  std::vector<size_t> starts;
  for (const std::string& c : chars) {
    starts.push_back(all.size());
    all += c;
  }
  TBRegExp regExp;
  int plainCount = 0;
  for (size_t k = 0; k < chars.size(); ++k) {
    const std::string body = chars[k].size() == 1 && std::string_view("$()*+-.?[\\]^{|}/").find(chars[k][0]) !=
                                                         std::string_view::npos
                                 ? "\\" + chars[k]
                                 : chars[k];
    const std::string pattern = "m/" + body + "/ki";
    if (!TPlainMatch::Of(pattern)) continue;
    ++plainCount;
    const std::string_view before = std::string_view(all).substr(0, starts[k]);
    const std::string_view after = std::string_view(all).substr(starts[k] + chars[k].size());
    ASSERT_EQ(regExp.Match(pattern, before), 0) << pattern;
    ASSERT_EQ(regExp.Match(pattern, after), 0) << pattern;
  }
  EXPECT_GT(plainCount, 10000);
}

}  // namespace
}  // namespace tansa2
