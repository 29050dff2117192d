#include "settings/ShortCutText.h"

#include <array>

namespace tansa2 {
namespace {

using platform::TShortCut;

struct TModifierWord {
  std::string_view Word;
  TShortCut Bit;
};

// In the order they are written.
constexpr std::array kModifierWords{
    TModifierWord{"Shift+", platform::scShift},
    TModifierWord{"Ctrl+", platform::scCtrl},
    TModifierWord{"Alt+", platform::scAlt},
};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Takes `word` off the front of `text`, letter case aside.
bool TakeWord(std::string_view& text, std::string_view word) {
  if (!SameLetters(text.substr(0, word.size()), word)) return false;
  text.remove_prefix(word.size());
  return true;
}

std::string KeyText(uint8_t vk) {
  switch (vk) {
    case 0x08: return "BkSp";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "PgUp";
    case 0x22: return "PgDn";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2D: return "Ins";
    case 0x2E: return "Del";
    default: break;
  }
  if (vk >= 0x30 && vk <= 0x39) return std::string(1, static_cast<char>(vk));
  if (vk >= 0x41 && vk <= 0x5A) return std::string(1, static_cast<char>(vk));
  // The numeric pad's digits read as the main keyboard's.
  if (vk >= 0x60 && vk <= 0x69) return std::string(1, static_cast<char>('0' + vk - 0x60));
  if (vk >= 0x70 && vk <= 0x87) return std::string("F").append(std::to_string(vk - 0x70 + 1));
  return platform::KeyName(vk);
}

}  // namespace

std::string FormatShortCut(TShortCut code) {
  std::string key = KeyText(static_cast<uint8_t>(code & 0xFF));
  if (key.empty()) return key;
  std::string text;
  for (const TModifierWord& modifier : kModifierWords)
    if (code & modifier.Bit) text += modifier.Word;
  return text + key;
}

TShortCut ParseShortCut(std::string_view text) {
  TShortCut modifiers = 0;
  for (bool taken = true; taken;) {
    taken = false;
    for (const TModifierWord& modifier : kModifierWords) {
      if (TakeWord(text, modifier.Word)) {
        modifiers |= modifier.Bit;
        taken = true;
      }
    }
    if (TakeWord(text, "^")) {
      modifiers |= platform::scCtrl;
      taken = true;
    }
  }
  if (text.empty()) return 0;
  for (unsigned vk = 0x08; vk <= 0xFF; ++vk)
    if (SameLetters(text, KeyText(static_cast<uint8_t>(vk)))) return static_cast<TShortCut>(modifiers | vk);
  return 0;
}

}  // namespace tansa2
