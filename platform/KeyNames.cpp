#include "platform/KeyNames.h"

#include <array>
#include <string_view>

namespace tansa2::platform {
namespace {

struct TKeyName {
  uint8_t VirtualKey;
  std::string_view Name;
};

// The names a US keyboard gives its keys, where the Windows OEM codes name
// the punctuation keys. Shift, Ctrl and Alt have none: pressed alone they
// are no shortcut. No name begins with a modifier word or "^", and none
// repeats another key's, so each reads back to its own code.
constexpr std::array kKeyNames{
    TKeyName{0x0C, "Clear"},        TKeyName{0x13, "Pause"},
    TKeyName{0x14, "Caps Lock"},    TKeyName{0x2C, "Print Screen"},
    TKeyName{0x2F, "Help"},         TKeyName{0x5B, "Left Windows"},
    TKeyName{0x5C, "Right Windows"}, TKeyName{0x5D, "Application"},
    TKeyName{0x6A, "Num *"},        TKeyName{0x6B, "Num +"},
    TKeyName{0x6D, "Num -"},        TKeyName{0x6E, "Num Del"},
    TKeyName{0x6F, "Num /"},        TKeyName{0x90, "Num Lock"},
    TKeyName{0x91, "Scroll Lock"},  TKeyName{0xBA, ";"},
    TKeyName{0xBB, "="},            TKeyName{0xBC, ","},
    TKeyName{0xBD, "-"},            TKeyName{0xBE, "."},
    TKeyName{0xBF, "/"},            TKeyName{0xC0, "`"},
    TKeyName{0xDB, "["},            TKeyName{0xDC, "\\"},
    TKeyName{0xDD, "]"},            TKeyName{0xDE, "'"},
};

}  // namespace

std::string KeyName(uint8_t virtualKey) {
  for (const TKeyName& entry : kKeyNames)
    if (entry.VirtualKey == virtualKey) return std::string(entry.Name);
  return {};
}

}  // namespace tansa2::platform
