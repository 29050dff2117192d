#include "settings/ShortCutText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tansa2 {
namespace {

using platform::scAlt;
using platform::scCtrl;
using platform::scShift;
using platform::TShortCut;

TEST(ShortCutTextTest, TextsReadAndWriteBack) {
  struct TCase {
    const char* text;
    TShortCut code;
    const char* written;
  };
  const std::vector<TCase> cases = {
      {"ctrl+o", 0x404F, "Ctrl+O"},
      {"CTRL+O", 0x404F, "Ctrl+O"},
      {"^O", 0x404F, "Ctrl+O"},
      {"^o", 0x404F, "Ctrl+O"},
      {"alt+ctrl+o", 0xC04F, "Ctrl+Alt+O"},
      {"Alt+Shift+^F3", 0xE072, "Shift+Ctrl+Alt+F3"},
      {"Ctrl+Ctrl+O", 0x404F, "Ctrl+O"},
      {"5", 0x35, "5"},
      {"F3", 114, "F3"},
      {"f24", 0x87, "F24"},
      {"esc", 27, "Esc"},
      {"Ctrl+Left", 0x4025, "Ctrl+Left"},
      {"ctrl+del", 0x402E, "Ctrl+Del"},
      {"Shift+Tab", 0x2009, "Shift+Tab"},
      {"BKSP", 0x08, "BkSp"},
      {"Ctrl+;", 0x40BA, "Ctrl+;"},
      {"Ctrl+,", 0x40BC, "Ctrl+,"},
      {"Ctrl+=", 0x40BB, "Ctrl+="},
      {"num *", 0x6A, "Num *"},
      // Texts that name no key.
      {"", 0, ""},
      {"Ctrl+", 0, ""},
      {"Ctrl", 0, ""},
      {"^", 0, ""},
      {"F25", 0, ""},
      {"F0", 0, ""},
      {"Ctrl+ O", 0, ""},
      {" Ctrl+O", 0, ""},
      {"Hyper+O", 0, ""},
      {"Ctrl+OO", 0, ""},
      {"\x83\x41", 0, ""},
  };
  for (const TCase& c : cases) {
    const TShortCut code = ParseShortCut(c.text);
    EXPECT_EQ(code, c.code) << c.text;
    EXPECT_EQ(FormatShortCut(code), c.written) << c.text;
  }
}

TEST(ShortCutTextTest, ModifierAloneOrUnnamedKeyHasNoText) {
  for (TShortCut code : {TShortCut{0}, scCtrl, TShortCut(scShift | scCtrl | scAlt), TShortCut(scCtrl | 0x11),
                         TShortCut(scShift | 0x10), TShortCut{0x12}, TShortCut(scAlt | 0x88), TShortCut{0xFF}})
    EXPECT_EQ(FormatShortCut(code), "") << code;
}

// Every key that has a name reads back from it with every modifier, so no
// name repeats another or starts with a modifier word. The numeric pad's
// digits read as the main keyboard's.
TEST(ShortCutTextTest, EveryNamedKeyReadsBackToItsCode) {
  int named = 0;
  for (unsigned vk = 0; vk <= 0xFF; ++vk) {
    for (TShortCut modifiers : {0, 0x2000, 0x4000, 0x6000, 0x8000, 0xA000, 0xC000, 0xE000}) {
      const auto code = static_cast<TShortCut>(modifiers | vk);
      const std::string text = FormatShortCut(code);
      if (text.empty()) continue;
      ++named;
      const unsigned key = vk >= 0x60 && vk <= 0x69 ? vk - 0x30 : vk;
      EXPECT_EQ(ParseShortCut(text), modifiers | key) << text;
    }
  }
  // Letters, digits, pad digits, F1-F24 and the fixed names at the least.
  EXPECT_GE(named, (26 + 10 + 10 + 24 + 15) * 8);
}

}  // namespace
}  // namespace tansa2
